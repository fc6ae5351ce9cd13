#pragma once
// Known answers that several test programs compare against, written out by hand.

#include <array>
#include <cstdint>

namespace qm17::test {

// The default parameter block (image bytes 50..99), byte by byte: 15 points, base 10, limiter
// 150, reserved 1, polarity 2, start limiter 60, retard 6, 1 ignition, shift light 120, speeds
// 10..150, advances 10.
inline constexpr std::array<std::uint8_t, 50> kDefaultParameterBlock = {
    15, 10, 150, 1,  0,  2,  60, 6,  1,  120,                           // 50..59
    10, 20, 30,  40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150,  // speeds 60..74
    0,  0,  0,   0,  0,                                                 // 75..79
    10, 10, 10,  10, 10, 10, 10, 10, 10, 10,  10,  10,  10,  10,  10,   // advances 80..94
    0,  0,  0,   0,  0};                                                // 95..99

// The default parameter set as a parameter file, character for character.
inline constexpr char kDefaultParameterFile[] =
    "KORVALEX_KEY   26 \r\n"
    "\r\n"
    "RPM_ADV      1000  2000  3000  4000  5000  6000  7000  8000  9000 10000 11000 12000 13000 "
    "14000 15000 \r\n"
    "ADVANCE        10    10    10    10    10    10    10    10    10    10    10    10    10 "
    "   10    10 \r\n"
    "POCET_BODU     15 \r\n"
    "BASE_ADV       10 \r\n"
    "LIMITER        60   150     6 \r\n"
    "POLARITA        2 \r\n"
    "GEBER_NR        1 \r\n"
    "PILOT_LIGHT 12000 ";

}  // namespace qm17::test
