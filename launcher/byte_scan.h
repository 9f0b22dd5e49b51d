#ifndef LAUNCHER_BYTE_SCAN_H_
#define LAUNCHER_BYTE_SCAN_H_

#include <cstdint>

// True when any of the four bytes of `word` equals `byte`. Lets the passes
// over piped text look at four bytes a step.
inline bool WordHasByte(uint32_t word, uint8_t byte) {
  uint32_t x = word ^ (0x01010101u * byte);
  return ((x - 0x01010101u) & ~x & 0x80808080u) != 0;
}

#endif  // LAUNCHER_BYTE_SCAN_H_
