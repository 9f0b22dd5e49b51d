#include "yes_no.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

TEST(YesNoFromText, StoredValues) {
  const struct {
    const char* stored;
    bool on;
  } cases[] = {
      {"", true},
      {"0", false}, {"00", false}, {"-0", false}, {"+0", false},
      {"0x0", false}, {"0X00", false}, {"$0", false},
      {"1", true}, {"2", true}, {"-1", true}, {"0x10", true},
      {"0XFF", true}, {"$ff", true}, {"$FFFFFFFF", true},
      {"false", true}, {"no", true}, {"off", true}, {"true", true},
      {"yes", true},
      {"0x", true},
      {"2147483648", true}, {"-2147483649", true},
      // Out of range, though the low 32 bits are 0: must not wrap to off.
      {"4294967296", true}, {"0x100000000", true}, {"$100000000", true},
      {" 0", false},   // leading blanks are allowed
      {"0 ", true},    // a trailing blank is not
      {"\t0", true},   // only 0x20 is a blank
      {"0x 0", true},  // rewritten to "$ 0", no number
      {" 0x0", true},  // not rewritten: the text begins with a blank
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(YesNoFromText(c.stored), c.on);
  }
}

TEST(ParseInt32, Accepted) {
  const struct {
    const char* text;
    int32_t value;
  } cases[] = {
      {"0", 0},
      {"+0", 0},
      {"-0", 0},
      {"42", 42},
      {"   -17", -17},
      {" +5", 5},
      {"000012", 12},
      {"2147483647", std::numeric_limits<int32_t>::max()},
      {"-2147483648", std::numeric_limits<int32_t>::min()},
      {"$1F", 31},
      {"$ff", 255},
      {"  $aBc", 0xABC},
      {"$7FFFFFFF", std::numeric_limits<int32_t>::max()},
      {"$80000000", std::numeric_limits<int32_t>::min()},
      {"$FFFFFFFF", -1},
      {"$000000000001", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    int32_t value = 12345;
    ASSERT_TRUE(ParseInt32(c.text, &value));
    EXPECT_EQ(value, c.value);
  }
}

TEST(ParseInt32, Rejected) {
  const char* const cases[] = {
      "",           " ",         "   ",        "+",          "-",
      "$",          " $",        "1 ",         "$1 ",        "1 2",
      "\t1",        "1a",        "0x10",       "$g",         "-$1",
      "+$1",        "$-1",       "--1",        "2147483648", "-2147483649",
      "99999999999999999999",    "$100000000", "$FFFFFFFFF", "1.0",
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    int32_t value = 12345;
    EXPECT_FALSE(ParseInt32(text, &value));
  }
}

}  // namespace
