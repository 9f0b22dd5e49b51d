#include "shared_block.h"

#include <cstring>

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
    const void* nul = memchr(piece.data(), 0, piece.size());
    size_t n = nul ? static_cast<const char*>(nul) - piece.data() : piece.size();
    memcpy(dest + written, piece.data(), n);
    written += n;
    if (nul) break;
  }
  memset(dest + written, 0, block_size - written);
}
