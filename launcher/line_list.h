#ifndef LAUNCHER_LINE_LIST_H_
#define LAUNCHER_LINE_LIST_H_

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

// The piped lines, each stored with the CR LF that ends it in the whole
// text. A line never holds CR, so every CR in the store ends a line and the
// whole text is the store's bytes in order: nothing is copied to build it.
// Bytes live in a few large blocks, never one heap block per line, and
// blocks never move, so growing costs no copy and no doubled peak.
class LineList {
 public:
  void Append(std::string_view line);
  // Adds bytes to the line being built; EndLine() finishes it.
  void AppendPart(std::string_view part) { Put(part.data(), part.size()); }
  void EndLine() {
    Put("\r\n", 2);
    ++count_;
  }

  size_t Count() const { return count_; }
  size_t TextLength() const { return length_; }
  // The whole text as consecutive pieces.
  std::vector<std::string_view> TextPieces() const;
  // Each line, without its CR LF, in order; for tests and checks.
  std::vector<std::string> Lines() const;

 private:
  // Inline for the common case, a piece that fits the current block: piped
  // text arrives as millions of short pieces.
  void Put(const char* data, size_t size) {
    if (!blocks_.empty() && blocks_.back().capacity - blocks_.back().size >= size) {
      Block& b = blocks_.back();
      if (size) memcpy(b.bytes.get() + b.size, data, size);
      b.size += size;
      length_ += size;
      return;
    }
    PutInNewBlocks(data, size);
  }
  void PutInNewBlocks(const char* data, size_t size);

  struct Block {
    std::unique_ptr<char[]> bytes;
    size_t size = 0, capacity = 0;
  };
  std::vector<Block> blocks_;
  size_t count_ = 0;
  size_t length_ = 0;
};

#endif  // LAUNCHER_LINE_LIST_H_
