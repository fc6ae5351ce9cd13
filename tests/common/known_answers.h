#pragma once
// Known answers that several test programs compare against, written out by hand.

namespace qm17::test {

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
