#include "line_reader.h"

#include <cstring>
#include <string_view>

#include "byte_scan.h"
#include "failure.h"

namespace {

constexpr char kEndOfText = 0x1A;

// First CR or 0x1A in [p, end), or end. Four bytes a step: piped input can
// be hundreds of megabytes, and this is the launcher's only pass over it.
const char* FindLineStop(const char* p, const char* end) {
  for (; end - p >= 4; p += 4) {
    uint32_t word;
    memcpy(&word, p, 4);
    if (WordHasByte(word, 0x0D) || WordHasByte(word, 0x1A)) break;
  }
  for (; p < end; ++p)
    if (*p == '\r' || *p == kEndOfText) return p;
  return end;
}

class TextReader {
 public:
  explicit TextReader(ByteSource& source) : source_(source) {}

  bool AtEnd() {
    if (pos_ == size_ && !Fill()) {
      if (error_) Raise();
      return true;
    }
    return buffer_[pos_] == kEndOfText;
  }

  // Appends the bytes up to the next CR, 0x1A or the end, then skips the
  // line end. A failed read stops the line; the caller raises afterwards.
  void ReadLineInto(LineList& lines) {
    for (;;) {
      if (pos_ == size_ && !Fill()) break;
      const char* begin = buffer_ + pos_;
      const char* end = buffer_ + size_;
      const char* stop = FindLineStop(begin, end);
      lines.AppendPart(std::string_view(begin, stop - begin));
      pos_ += stop - begin;
      if (stop != end) break;
    }
    if (pos_ < size_ && buffer_[pos_] == '\r') {
      ++pos_;
      if ((pos_ < size_ || Fill()) && buffer_[pos_] == '\n') ++pos_;
    }
  }

  void RaiseIfFailed() {
    if (error_) Raise();
  }

 private:
  // Refills an empty buffer; false at the end of the input or on failure.
  bool Fill() {
    if (ended_ || error_) return false;
    uint32_t error = 0;
    size_t n = source_.Read(buffer_, kReadBlock, &error);
    if (error) {
      error_ = error;
      return false;
    }
    if (n == 0) {
      ended_ = true;
      return false;
    }
    pos_ = 0;
    size_ = n;
    return true;
  }

  [[noreturn]] void Raise() {
    RaiseFailure("EInOutError", InOutErrorMessage(error_), error_);
  }

  ByteSource& source_;
  char buffer_[kReadBlock];
  size_t pos_ = 0, size_ = 0;
  bool ended_ = false;  // nothing after a 0x1A is read: lines stop at it
  uint32_t error_ = 0;
};

}  // namespace

void CollectLines(ByteSource& source, LineList& lines) {
  TextReader reader(source);
  while (!reader.AtEnd()) {
    reader.ReadLineInto(lines);
    // A line during which reading failed never counts; the partly stored
    // bytes go with the list, which the failure releases.
    reader.RaiseIfFailed();
    lines.EndLine();
  }
}
