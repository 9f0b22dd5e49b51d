#include "line_list.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {
constexpr size_t kFirstBlock = 4096;
constexpr size_t kLargestBlock = size_t{1} << 20;
}  // namespace

void LineList::PutInNewBlocks(const char* data, size_t size) {
  while (size > 0) {
    if (blocks_.empty() || blocks_.back().size == blocks_.back().capacity) {
      size_t capacity = blocks_.empty()
                            ? kFirstBlock
                            : std::min(blocks_.back().capacity * 2, kLargestBlock);
      Block block;
      block.bytes.reset(new char[capacity]);
      block.capacity = capacity;
      blocks_.push_back(std::move(block));
    }
    Block& b = blocks_.back();
    size_t n = std::min(size, b.capacity - b.size);
    memcpy(b.bytes.get() + b.size, data, n);
    b.size += n;
    data += n;
    size -= n;
    length_ += n;
  }
}

void LineList::Append(std::string_view line) {
  AppendPart(line);
  EndLine();
}

std::vector<std::string_view> LineList::TextPieces() const {
  std::vector<std::string_view> pieces;
  pieces.reserve(blocks_.size());
  for (const Block& b : blocks_)
    if (b.size > 0) pieces.emplace_back(b.bytes.get(), b.size);
  return pieces;
}

std::vector<std::string> LineList::Lines() const {
  std::string text;
  for (std::string_view piece : TextPieces()) text.append(piece);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t cr; (cr = text.find('\r', start)) != std::string::npos; start = cr + 2)
    lines.push_back(text.substr(start, cr - start));
  return lines;
}
