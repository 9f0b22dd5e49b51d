#include "shared_block.h"

#include <cstring>

#include "byte_scan.h"

namespace {

// Length of the bytes before the first NUL of [p, p + n).
size_t BytesBeforeNul(const char* p, size_t n) {
  size_t i = 0;
  for (; n - i >= 4; i += 4) {
    uint32_t word;
    memcpy(&word, p + i, 4);
    if (WordHasByte(word, 0)) break;
  }
  while (i < n && p[i] != 0) ++i;
  return i;
}

}  // namespace

std::string SharedBlockName(uint32_t window_handle) {
  return "Quillex_Map_" + std::to_string(window_handle);
}

uint64_t SharedBlockSize(const std::vector<std::string_view>& text) {
  uint64_t size = 1;
  for (std::string_view piece : text) size += piece.size();
  return size;
}

void FillSharedBlock(char* dest, uint64_t block_size,
                     const std::vector<std::string_view>& text) {
  uint64_t written = 0;
  for (std::string_view piece : text) {
    if (piece.empty()) continue;  // may have no storage at all
    size_t n = BytesBeforeNul(piece.data(), piece.size());
    memcpy(dest + written, piece.data(), n);
    written += n;
    if (n < piece.size()) break;
  }
  memset(dest + written, 0, block_size - written);
}
