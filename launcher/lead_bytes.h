#ifndef LAUNCHER_LEAD_BYTES_H_
#define LAUNCHER_LEAD_BYTES_H_

#include <string_view>

// Which byte values open a double-byte character in the ANSI code page.
// Empty (no lead bytes) on systems without double-byte character sets.
struct LeadByteTable {
  bool lead[256] = {};

  // Fills from up to six (first, last) ranges as the system reports them;
  // the list ends at the first range whose bounds are both 0.
  void SetRanges(const unsigned char* ranges, int max_ranges);

  // True when the byte at `index` (0-based) is the second byte of a
  // double-byte character: the run of lead bytes right before it is odd.
  bool IsSecondByte(std::string_view text, size_t index) const;
};

// The table for this process, filled once at start-up.
extern LeadByteTable g_lead_bytes;

#endif  // LAUNCHER_LEAD_BYTES_H_
