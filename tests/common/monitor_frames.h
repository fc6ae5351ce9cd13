#pragma once
// A monitor frame with worked values, shared by the decoding and the caption tests.

#include "device/frames.h"

namespace qm17::test {

// A monitor frame with worked values; the check byte is not examined by the decoder.
inline Frame WorkedMonitorFrame() {
  Frame f{};
  f[0] = 0xB0;
  f[1] = 0x34, f[2] = 0x12;    // 0x1234 = 4660 rpm
  f[3] = 0;                    // no alarm
  f[5] = 12;                   // advance
  f[7] = 0;                    // start limiter active
  f[9] = 0x72, f[10] = 0x06;   // raw 1650
  f[11] = 0x01, f[12] = 0x02;  // 513 programmings
  for (int i = 0; i < 8; ++i) {
    f[13 + 2 * i] = static_cast<std::uint8_t>(i + 1);
    f[14 + 2 * i] = static_cast<std::uint8_t>(i == 7 ? 1 : 0);  // test 8 = 0x0108 = 264
  }
  f[30] = 1;  // retard not active
  f[31] = 1;  // negative
  f[32] = 0;  // polarity label red
  f[33] = 1;  // speed warning
  return f;
}

}  // namespace qm17::test
