#include "line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "failure.h"
#include "line_list.h"

namespace {

using std::string;
using Strings = std::vector<string>;

// Delivers a script of reads: each step gives at most the chunk it names
// (a chunk larger than the caller's buffer is spread over several reads)
// or fails with a system error code. An empty step is a read of 0 bytes;
// after the script every read gives 0.
class ScriptedSource : public ByteSource {
 public:
  struct Step {
    string bytes;
    uint32_t error = 0;
  };

  explicit ScriptedSource(std::vector<Step> steps) : steps_(std::move(steps)) {}

  size_t Read(char* buffer, size_t capacity, uint32_t* error) override {
    ++reads;
    largest_capacity = std::max(largest_capacity, capacity);
    if (next_ == steps_.size()) return 0;
    Step& step = steps_[next_];
    if (step.error || step.bytes.empty()) {
      ++next_;
      if (step.error) *error = step.error;
      return 0;
    }
    size_t n = std::min(capacity, step.bytes.size() - offset_);
    memcpy(buffer, step.bytes.data() + offset_, n);
    offset_ += n;
    delivered += n;
    if (offset_ == step.bytes.size()) {
      ++next_;
      offset_ = 0;
    }
    return n;
  }

  int reads = 0;
  size_t delivered = 0;
  size_t largest_capacity = 0;

 private:
  std::vector<Step> steps_;
  size_t next_ = 0, offset_ = 0;
};

std::vector<ScriptedSource::Step> Chunks(const Strings& chunks) {
  std::vector<ScriptedSource::Step> steps;
  for (const string& c : chunks) steps.push_back({c, 0});
  return steps;
}

string WholeText(const LineList& lines) {
  string text;
  for (std::string_view piece : lines.TextPieces()) text.append(piece);
  return text;
}

// The ways one input is cut into reads.
std::vector<Strings> Chunkings(const string& input) {
  std::vector<Strings> result;
  result.push_back({input});
  Strings bytes, blocks;
  for (char c : input) bytes.push_back(string(1, c));
  for (size_t i = 0; i < input.size(); i += 128) blocks.push_back(input.substr(i, 128));
  result.push_back(bytes);
  result.push_back(blocks);
  for (unsigned seed = 1; seed <= 5; ++seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> size(1, 200);
    Strings pieces;
    for (size_t i = 0; i < input.size();) {
      size_t n = std::min(size(random), input.size() - i);
      pieces.push_back(input.substr(i, n));
      i += n;
    }
    result.push_back(pieces);
  }
  return result;
}

struct PipedCase {
  string input;
  Strings lines;
  string whole_text;
};

const string k600(600, 'x');

TEST(CollectLines, WorkedExamplesInEveryChunking) {
  const PipedCase cases[] = {
      {"", {}, ""},
      {"abc", {"abc"}, "abc\r\n"},
      {"a\r\nb\r\n", {"a", "b"}, "a\r\nb\r\n"},
      {"a\r\nb", {"a", "b"}, "a\r\nb\r\n"},
      {"a\rb\r", {"a", "b"}, "a\r\nb\r\n"},
      {"a\nb\n", {"a\nb\n"}, "a\nb\n\r\n"},
      {"\r\n", {""}, "\r\n"},
      {"\r", {""}, "\r\n"},
      {"\n", {"\n"}, "\n\r\n"},
      {"a\r\n\r\n", {"a", ""}, "a\r\n\r\n"},
      {"a\r\r\nb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
      {"a\n\rb", {"a\n", "b"}, "a\n\r\nb\r\n"},
      {"a\x1A" "b\r\n", {"a"}, "a\r\n"},
      {"a\r\x1A\nb", {"a"}, "a\r\n"},
      {"\x1A" "ab", {}, ""},
      {string("a\0b", 3), {string("a\0b", 3)}, string("a\0b\r\n", 5)},
      {k600, {k600}, k600 + "\r\n"},
      // A line end at the edge of a 128-byte block, and lines across blocks.
      {string(127, 'y') + "\r\nz", {string(127, 'y'), "z"},
       string(127, 'y') + "\r\nz\r\n"},
      {string(300, 'p') + "\r" + string(200, 'q') + "\r\n",
       {string(300, 'p'), string(200, 'q')},
       string(300, 'p') + "\r\n" + string(200, 'q') + "\r\n"},
      {"same\r\nsame\r\nsame", {"same", "same", "same"},
       "same\r\nsame\r\nsame\r\n"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const PipedCase& c = cases[i];
    for (const Strings& chunks : Chunkings(c.input)) {
      SCOPED_TRACE("case " + std::to_string(i) + ", " +
                   std::to_string(chunks.size()) + " chunks");
      ScriptedSource source(Chunks(chunks));
      LineList lines;
      CollectLines(source, lines);
      EXPECT_EQ(lines.Lines(), c.lines);
      EXPECT_EQ(lines.Count(), c.lines.size());
      EXPECT_EQ(WholeText(lines), c.whole_text);
      EXPECT_EQ(lines.TextLength(), c.whole_text.size());
      EXPECT_LE(source.largest_capacity, kReadBlock);
    }
  }
}

TEST(CollectLines, CrLfSplitAcrossReads) {
  ScriptedSource source(Chunks({"a\r", "\nb\r", "\n"}));
  LineList lines;
  CollectLines(source, lines);
  EXPECT_EQ(lines.Lines(), (Strings{"a", "b"}));
  EXPECT_EQ(WholeText(lines), "a\r\nb\r\n");
}

TEST(CollectLines, NothingAfterEndOfTextIsRead) {
  const struct {
    const char* name;
    Strings chunks;
    Strings lines;
    int reads;
    size_t delivered;
  } cases[] = {
      {"0x1A inside the first read", {"ab\x1A" "cd\r\n", "more\r\n"}, {"ab"}, 1, 7},
      {"0x1A begins a later read", {"ab\r\n", "\x1A" "cd", "more"}, {"ab"}, 2, 7},
      {"0x1A after a CR at a read's end", {"ab\r", "\x1A\n", "more"}, {"ab"}, 2, 5},
      {"0x1A mid-line across reads", {"a", "b\x1A", "more"}, {"ab"}, 2, 3},
      {"0x1A first", {"\x1A", "more"}, {}, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedSource source(Chunks(c.chunks));
    LineList lines;
    CollectLines(source, lines);
    EXPECT_EQ(lines.Lines(), c.lines);
    EXPECT_EQ(source.reads, c.reads);
    EXPECT_EQ(source.delivered, c.delivered);
  }
}

TEST(CollectLines, ZeroBytesEndTheInputForGood) {
  // A read of 0 bytes is the end (so is a broken pipe, which the system
  // side turns into 0); the chunk after it is never asked for.
  ScriptedSource source(Chunks({"a\r\nb", "", "c\r\n"}));
  LineList lines;
  CollectLines(source, lines);
  EXPECT_EQ(lines.Lines(), (Strings{"a", "b"}));
  EXPECT_EQ(source.reads, 2);
  EXPECT_EQ(source.delivered, 4u);
}

struct FailureCase {
  uint32_t code;
  string message;
};

const FailureCase kFailures[] = {
    {2, "\xCC\xA7\xB2\xD9\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82"
        "\xB9\x82\xF1"},
    {3, "\x95\x73\x90\xB3\x82\xC8\xCC\xA7\xB2\xD9\x96\xBC\x82\xC5\x82\xB7"},
    {4, "\xB5\xB0\xCC\xDF\xDD\x82\xB5\x82\xBD\xCC\xA7\xB2\xD9\x82\xAA\x91\xBD"
        "\x82\xB7\x82\xAC\x82\xDC\x82\xB7"},
    {5, "\xCC\xA7\xB2\xD9\x82\xD6\x82\xCC\xB1\xB8\xBE\xBD\x82\xAA\x8B\x91\x94"
        "\xDB\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82\xBD"},
    {6, "I/O \xB4\xD7\xB0 (6)"},
    {1117, "I/O \xB4\xD7\xB0 (1117)"},
};

TEST(CollectLines, ReadFailures) {
  // Where the failure strikes, and how many lines count before it.
  const struct {
    const char* name;
    Strings before;
    Strings lines;
  } places[] = {
      {"end test, first read", {}, {}},
      {"end test after a line", {"a\r\n"}, {"a"}},
      {"mid-line", {"a\r\nbc"}, {"a"}},
      {"mid-line after a full block", {"a\r\n" + string(130, 'w')}, {"a"}},
      {"while looking for LF after CR", {"a\r\nb\r"}, {"a"}},
  };
  for (const FailureCase& f : kFailures) {
    for (const auto& p : places) {
      SCOPED_TRACE(std::to_string(f.code) + ", " + p.name);
      std::vector<ScriptedSource::Step> steps = Chunks(p.before);
      steps.push_back({"", f.code});
      steps.push_back({"never\r\n", 0});
      ScriptedSource source(steps);
      LineList lines;
      try {
        CollectLines(source, lines);
        ADD_FAILURE() << "no failure raised";
      } catch (const Failure& failure) {
        EXPECT_STREQ(failure.class_name, "EInOutError");
        EXPECT_EQ(failure.message, f.message);
        EXPECT_EQ(failure.error_code, f.code);
      }
      EXPECT_EQ(lines.Lines(), p.lines);
      EXPECT_EQ(lines.Count(), p.lines.size());
    }
  }
}

TEST(InOutErrorMessage, ByCode) {
  for (const FailureCase& f : kFailures) {
    SCOPED_TRACE(f.code);
    EXPECT_EQ(InOutErrorMessage(f.code), f.message);
  }
}

}  // namespace
