#include "lead_bytes.h"

LeadByteTable g_lead_bytes;

void LeadByteTable::SetRanges(const unsigned char* ranges, int max_ranges) {
  for (int r = 0; r < max_ranges; ++r) {
    unsigned char first = ranges[2 * r], last = ranges[2 * r + 1];
    if (first == 0 && last == 0) break;
    for (int b = first; b <= last; ++b) lead[b] = true;
  }
}

bool LeadByteTable::IsSecondByte(std::string_view text, size_t index) const {
  size_t run = 0;
  while (run < index && lead[static_cast<unsigned char>(text[index - run - 1])])
    ++run;
  return run % 2 == 1;
}
