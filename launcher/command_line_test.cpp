#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Items = std::vector<std::string>;

struct SplitCase {
  const char* rest;  // the command line after the program name
  Items arguments;
};

// The program name is the same for every case; what follows it is varied.
ArgumentList Arguments(const std::string& rest) {
  return ArgumentList("launcher.exe " + rest);
}

void ExpectArguments(const ArgumentList& list, const Items& expected) {
  ASSERT_EQ(list.Count(), static_cast<int>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(list.At(static_cast<int>(i) + 1), expected[i]);
  }
  // Past the last argument there is only empty text.
  EXPECT_EQ(list.At(list.Count() + 1), "");
  EXPECT_EQ(list.At(list.Count() + 7), "");
}

TEST(SplitCommandLine, WorkedExamples) {
  const SplitCase cases[] = {
      {"a  b", {"a", "b"}},
      {"\"C:\\My Files\\a.txt\"", {"C:\\My Files\\a.txt"}},
      {"C:\\\"My Files\"\\a.txt", {"C:\\My Files\\a.txt"}},
      {"\"a\"\"b\"", {"ab"}},
      {"\"\" b", {"b"}},
      {"x\"\"y", {"xy"}},
      {"\"abc def", {"abc def"}},
      {"a\\\"b c", {"a\\b c"}},
      {"\" \"", {" "}},
      {"\ta\r\nb ", {"a", "b"}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.rest);
    ExpectArguments(Arguments(c.rest), c.arguments);
  }
}

TEST(SplitCommandLine, EdgeCases) {
  const SplitCase cases[] = {
      // Nothing, or only separators and empty quotes: no argument.
      {"", {}},
      {"   \t ", {}},
      {"\"\" \"\"  \"\"", {}},
      // A lone quote at the very end is an empty item and ends the count.
      {"a \"", {"a"}},
      // Quotes around an option vanish.
      {"\"/b\" c", {"/b", "c"}},
      // Every byte 0x01-0x20 separates; bytes above 0x7F do not.
      {"a\x01" "b\x1F" "c\x0B" "d", {"a", "b", "c", "d"}},
      {"\x95\x5C \x81\x40", {"\x95\x5C", "\x81\x40"}},
      // Doubled quote in an item closes one run and opens the next.
      {"\"a b\"\"c d\"", {"a bc d"}},
      // Empty quotes in front of an item vanish, also before a quoted run.
      {"\"\"\"x y\"", {"x y"}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.rest);
    ExpectArguments(Arguments(c.rest), c.arguments);
  }
}

TEST(SplitCommandLine, NulInsideTheLineEndsIt) {
  ExpectArguments(Arguments(std::string("a b\0c d", 7)), {"a", "b"});
}

TEST(SplitCommandLine, QuotedProgramNameWithSpacesIsOneItem) {
  ArgumentList list("\"C:\\Program Files\\Tools\\launcher.exe\" x  y");
  EXPECT_EQ(list.At(0), "C:\\Program Files\\Tools\\launcher.exe");
  ExpectArguments(list, {"x", "y"});
}

TEST(SplitCommandLine, ReturnsProgramNameThenArguments) {
  EXPECT_EQ(SplitCommandLine("prog a \"b c\""), (Items{"prog", "a", "b c"}));
  EXPECT_EQ(SplitCommandLine("prog"), (Items{"prog"}));
}

TEST(SplitCommandLine, NegativeIndexGivesEmptyText) {
  EXPECT_EQ(Arguments("a").At(-1), "");
}

}  // namespace
