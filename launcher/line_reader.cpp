#include "line_reader.h"

#include <cstring>
#include <string_view>

#include "failure.h"

namespace {

constexpr char kEndOfText = 0x1A;

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
      size_t available = size_ - pos_;
      const char* stop = nullptr;
      for (const char* p = begin; p < begin + available; ++p)
        if (*p == '\r' || *p == kEndOfText) { stop = p; break; }
      size_t taken = stop ? static_cast<size_t>(stop - begin) : available;
      lines.AppendPart(std::string_view(begin, taken));
      pos_ += taken;
      if (stop) break;
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
    // Nothing after the first 0x1A is ever read.
    if (memchr(buffer_, kEndOfText, n)) ended_ = true;
    return true;
  }

  [[noreturn]] void Raise() {
    RaiseFailure("EInOutError", InOutErrorMessage(error_), error_);
  }

  ByteSource& source_;
  char buffer_[kReadBlock];
  size_t pos_ = 0, size_ = 0;
  bool ended_ = false;
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
