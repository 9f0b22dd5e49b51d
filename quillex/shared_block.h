#ifndef QUILLEX_SHARED_BLOCK_H_
#define QUILLEX_SHARED_BLOCK_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The block a text travels in to the editor: named for the receiving
// window, one byte longer than the text.

// "Quillex_Map_" and the handle as an unsigned decimal number.
std::string SharedBlockName(uint32_t window_handle);

// Text length + 1, the block's size and the message's lParam.
uint64_t SharedBlockSize(const std::vector<std::string_view>& text);

// Writes the text's bytes before its first NUL, then zeros up to the block
// size. `dest` holds `block_size` bytes.
void FillSharedBlock(char* dest, uint64_t block_size,
                     const std::vector<std::string_view>& text);

#endif  // QUILLEX_SHARED_BLOCK_H_
