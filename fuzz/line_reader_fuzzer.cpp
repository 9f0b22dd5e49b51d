// Input: L, then L chunk sizes (each taken as 1 + b % 128 and used in
// turn; L = 0: every read as large as asked), then F: 0 for no failure,
// else read number F - 1 (0-based) fails with the code in the next 4 bytes
// (little endian; 0 taken as 5). The rest is the piped input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "byte_scan.h"
#include "failure.h"
#include "fuzz_check.h"
#include "line_list.h"
#include "line_reader.h"

namespace {

constexpr size_t kNoFailure = SIZE_MAX;

class ChunkedSource : public ByteSource {
 public:
  ChunkedSource(std::string_view input, std::vector<size_t> chunks,
                size_t fail_at, uint32_t code)
      : input_(input), chunks_(std::move(chunks)), fail_at_(fail_at), code_(code) {}

  size_t Read(char* buffer, size_t capacity, uint32_t* error) override {
    FUZZ_CHECK(!saw_eof_char_, "read again after a block with 0x1A was delivered");
    FUZZ_CHECK(!ended_, "read again after the input ended");
    FUZZ_CHECK(!failed_, "read again after a failed read");
    FUZZ_CHECK(capacity >= 1 && capacity <= kReadBlock, "read of %zu bytes asked",
               capacity);
    FUZZ_CHECK(buffer != nullptr && error != nullptr, "null buffer or error");
    const size_t index = reads_++;
    if (index == fail_at_) {
      failed_ = true;
      *error = code_;
      return 0;
    }
    size_t n = input_.size() - pos_;
    if (!chunks_.empty()) n = std::min(n, chunks_[index % chunks_.size()]);
    n = std::min(n, capacity);
    if (n == 0) {
      ended_ = true;
      return 0;
    }
    memcpy(buffer, input_.data() + pos_, n);
    if (memchr(input_.data() + pos_, 0x1A, n)) saw_eof_char_ = true;
    pos_ += n;
    delivered_ = pos_;
    return n;
  }

  size_t reads() const { return reads_; }
  size_t delivered() const { return delivered_; }

 private:
  std::string_view input_;
  std::vector<size_t> chunks_;
  size_t fail_at_;
  uint32_t code_;
  size_t pos_ = 0, reads_ = 0, delivered_ = 0;
  bool saw_eof_char_ = false, ended_ = false, failed_ = false;
};

// The whole text by byte rewriting: cut at 0x1A, every CR LF and lone CR
// becomes CR LF, and a last piece without a line end gets one.
std::string ReferenceText(std::string_view input) {
  std::string_view in = input.substr(0, input.find('\x1A'));
  std::string out;
  size_t piece = 0;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '\r') {
      out += "\r\n";
      if (i + 1 < in.size() && in[i + 1] == '\n') ++i;
      piece = 0;
    } else {
      out += in[i];
      ++piece;
    }
  }
  if (piece > 0) out += "\r\n";
  return out;
}

// The lines by splitting, done separately from the text above.
std::vector<std::string> ReferenceLines(std::string_view input) {
  std::string_view in = input.substr(0, input.find('\x1A'));
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '\r') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (i + 1 < in.size() && in[i + 1] == '\n') ++i;
    } else {
      line += in[i];
      open = true;
    }
  }
  if (open) lines.push_back(line);
  return lines;
}

std::string Joined(const std::vector<std::string_view>& pieces) {
  std::string s;
  for (std::string_view p : pieces) s.append(p.data(), p.size());
  return s;
}

struct Outcome {
  bool threw = false;
  Failure failure{};
  size_t reads = 0, delivered = 0;
  std::vector<std::string> lines;
  std::string text;
  size_t count = 0, length = 0;
};

Outcome Run(std::string_view input, const std::vector<size_t>& chunks,
            size_t fail_at, uint32_t code) {
  ChunkedSource source(input, chunks, fail_at, code);
  LineList list;
  Outcome out;
  try {
    CollectLines(source, list);
  } catch (const Failure& f) {
    out.threw = true;
    out.failure = f;
  }
  out.reads = source.reads();
  out.delivered = source.delivered();
  out.lines = list.Lines();
  out.text = Joined(list.TextPieces());
  out.count = list.Count();
  out.length = list.TextLength();
  return out;
}

void CheckList(const Outcome& o) {
  std::string rebuilt;
  for (const std::string& line : o.lines) {
    FUZZ_CHECK(line.find('\r') == std::string::npos, "a line holds CR");
    FUZZ_CHECK(line.find('\x1A') == std::string::npos, "a line holds 0x1A");
    rebuilt += line + "\r\n";
  }
  FUZZ_CHECK(rebuilt == o.text, "text pieces are not the lines each with CR LF");
  FUZZ_CHECK(o.count == o.lines.size(), "Count %zu for %zu lines", o.count,
             o.lines.size());
  FUZZ_CHECK(o.length == o.text.size(), "TextLength %zu for %zu bytes", o.length,
             o.text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t p = 0;
  if (p >= size) return 0;
  const size_t pattern = data[p++];
  std::vector<size_t> chunks;
  for (size_t k = 0; k < pattern && p < size; ++k) chunks.push_back(1 + data[p++] % 128);
  if (p >= size) return 0;
  const uint8_t f = data[p++];
  size_t fail_at = kNoFailure;
  uint32_t code = 0;
  if (f != 0) {
    if (size - p < 4) return 0;
    fail_at = f - 1;
    memcpy(&code, data + p, 4);
    p += 4;
    if (code == 0) code = 5;
  }
  const std::string_view input(reinterpret_cast<const char*>(data) + p, size - p);

  // The four-bytes-a-step test behind the line scan, on every window.
  for (size_t i = 0; i + 4 <= input.size(); ++i) {
    uint32_t word;
    memcpy(&word, input.data() + i, 4);
    const uint8_t probes[4] = {0x0D, 0x1A, 0x00, static_cast<uint8_t>(input[0])};
    for (uint8_t b : probes) {
      const bool has = memchr(input.data() + i, b, 4) != nullptr;
      FUZZ_CHECK(WordHasByte(word, b) == has, "WordHasByte(%08X, %02X) = %d",
                 word, b, !has);
    }
  }

  const Outcome clean = Run(input, chunks, kNoFailure, 0);
  FUZZ_CHECK(!clean.threw, "failure raised without a read failure");
  CheckList(clean);
  FUZZ_CHECK(clean.text == ReferenceText(input), "whole text differs for %s",
             FuzzShow(input.substr(0, 200)).c_str());
  FUZZ_CHECK(clean.lines == ReferenceLines(input), "lines differ (%zu vs %zu)",
             clean.lines.size(), ReferenceLines(input).size());
  // Reading stops at the block that holds the first 0x1A, or at the end.
  const size_t cut = input.find('\x1A');
  if (cut != std::string_view::npos)
    FUZZ_CHECK(clean.delivered > cut, "0x1A never delivered yet reading stopped");
  else
    FUZZ_CHECK(clean.delivered == input.size(), "stopped reading at %zu of %zu",
               clean.delivered, input.size());

  if (fail_at == kNoFailure) return 0;

  // After a failure the list may still hold the bytes of the line that
  // failed (the list is dropped with the failure), so only whole lines count.
  const Outcome failed = Run(input, chunks, fail_at, code);
  FUZZ_CHECK(failed.count == failed.lines.size(), "Count %zu for %zu lines",
             failed.count, failed.lines.size());
  if (fail_at >= clean.reads) {
    // The failing read is never reached: same result as without it.
    FUZZ_CHECK(!failed.threw, "raised for a read that is never made");
    FUZZ_CHECK(failed.lines == clean.lines && failed.reads == clean.reads,
               "an unreached failure changed the outcome");
    return 0;
  }
  FUZZ_CHECK(failed.threw, "read %zu failed with %u but nothing was raised",
             fail_at, code);
  FUZZ_CHECK(failed.failure.class_name != nullptr &&
                 strcmp(failed.failure.class_name, "EInOutError") == 0,
             "raised class %s", failed.failure.class_name ? failed.failure.class_name : "(null)");
  FUZZ_CHECK(failed.failure.error_code == code, "error code %u, expected %u",
             failed.failure.error_code, code);
  FUZZ_CHECK(failed.failure.message == InOutErrorMessage(code),
             "message does not match the code");
  if (code < 2 || code > 5)
    FUZZ_CHECK(failed.failure.message ==
                   "I/O \xB4\xD7\xB0 (" + std::to_string(static_cast<int32_t>(code)) + ")",
               "message %s for code %u", FuzzShow(failed.failure.message).c_str(), code);
  FUZZ_CHECK(failed.reads == fail_at + 1, "%zu reads, the failing one was %zu",
             failed.reads, fail_at);
  // Lines whose end was fully seen before the failing read are kept; the
  // line during which it failed is not.
  size_t complete = 0;
  for (size_t i = 0; i + 1 < failed.delivered; ++i) complete += input[i] == '\r';
  FUZZ_CHECK(failed.lines.size() == complete, "%zu lines kept, expected %zu",
             failed.lines.size(), complete);
  for (size_t i = 0; i < complete; ++i)
    FUZZ_CHECK(failed.lines[i] == clean.lines[i], "kept line %zu differs", i);
  return 0;
}
