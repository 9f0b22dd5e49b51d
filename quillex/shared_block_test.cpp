#include "shared_block.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using std::string;
using Pieces = std::vector<std::string_view>;

TEST(SharedBlockName, UnsignedDecimal) {
  const struct {
    uint32_t handle;
    const char* name;
  } cases[] = {
      {0x1A2, "Quillex_Map_418"},
      {0, "Quillex_Map_0"},
      {0x80000000u, "Quillex_Map_2147483648"},
      {0xFFFFFFFFu, "Quillex_Map_4294967295"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.handle);
    EXPECT_EQ(SharedBlockName(c.handle), c.name);
  }
}

TEST(SharedBlock, SizeAndContents) {
  const string with_nul("ab\0cd", 5);
  const string nul_in_middle_piece("c\0d", 3);
  const string lone_nul(1, '\0');
  const struct {
    const char* name;
    Pieces text;
    uint64_t size;
    string block;
  } cases[] = {
      {"no pieces", {}, 1, string(1, '\0')},
      {"one empty piece", {""}, 1, string(1, '\0')},
      {"text without NUL", {"abc"}, 4, string("abc\0", 4)},
      // 無題 counts with all four bytes.
      {"double-byte text", {"\x96\xB3\x91\xE8"}, 5, string("\x96\xB3\x91\xE8\0", 5)},
      {"NUL inside", {with_nul}, 6, string("ab\0\0\0\0", 6)},
      {"several pieces", {"ab", "", "cd"}, 5, string("abcd\0", 5)},
      {"NUL in a middle piece", {"ab", nul_in_middle_piece, "ef"}, 8,
       string("abc\0\0\0\0\0", 8)},
      {"NUL first", {lone_nul}, 2, string(2, '\0')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(SharedBlockSize(c.text), c.size);
    // Guard bytes after the block show any write past its end.
    string dest(c.size + 8, '\xCC');
    FillSharedBlock(&dest[0], c.size, c.text);
    EXPECT_EQ(dest.substr(0, c.size), c.block);
    EXPECT_EQ(dest.substr(c.size), string(8, '\xCC'));
  }
}

}  // namespace
