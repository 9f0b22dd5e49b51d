#include "path_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Lead bytes of code page 932.
LeadByteTable Cp932() {
  const unsigned char ranges[12] = {0x81, 0x9F, 0xE0, 0xFC};
  LeadByteTable table;
  table.SetRanges(ranges, 6);
  return table;
}

const LeadByteTable kNoLeadBytes;

struct PathCase {
  const char* path;
  const char* change_extension;
  const char* folder;
  const char* drive;
};

TEST(PathRules, WorkedExamples) {
  const PathCase cases[] = {
      {"C:\\Tools\\launcher.exe", "C:\\Tools\\launcher.ini", "C:\\Tools", "C:"},
      {"C:\\launcher.exe", "C:\\launcher.ini", "C:\\", "C:"},
      {"\\\\srv\\share\\tools\\launcher.exe",
       "\\\\srv\\share\\tools\\launcher.ini", "\\\\srv\\share\\tools",
       "\\\\srv\\share"},
      {"C:\\dir.d\\tool", "C:\\dir.d\\tool.ini", "C:\\dir.d", "C:"},
      {"C:\\dir\\a.b.exe", "C:\\dir\\a.b.ini", "C:\\dir", "C:"},
      {"C:\\dir\\", "C:\\dir\\.ini", "C:\\dir", "C:"},
      {"C:launcher.exe", "C:launcher.ini", "C:", "C:"},
      {"\\launcher.exe", "\\launcher.ini", "\\", ""},
      {"launcher.exe", "launcher.ini", "", ""},
      {"\\\\srv\\share", "\\\\srv\\share.ini", "\\\\srv", "\\\\srv\\share"},
      {"\\\\srv\\share\\", "\\\\srv\\share\\.ini", "\\\\srv\\share",
       "\\\\srv\\share"},
      {"", ".ini", "", ""},
  };
  // ASCII paths come out the same with and without double-byte characters.
  const LeadByteTable cp932 = Cp932();
  for (const LeadByteTable* lead : {&kNoLeadBytes, &cp932}) {
    for (const PathCase& c : cases) {
      SCOPED_TRACE(c.path);
      EXPECT_EQ(ChangeExtension(c.path, ".ini", *lead), c.change_extension);
      EXPECT_EQ(FolderOf(c.path, *lead), c.folder);
      EXPECT_EQ(DriveOf(c.path), c.drive);
    }
  }
}

TEST(PathRules, ChangeExtensionReplacesTrailingDot) {
  EXPECT_EQ(ChangeExtension("report.", ".ini", kNoLeadBytes), "report.ini");
}

TEST(PathRules, FolderOfSkipsSeparatorThatIsASecondByte) {
  // C:\表\a.txt: the byte before the last separator is the second byte of 表.
  const std::string path = "C:\x5C\x95\x5C\x5C" "a.txt";
  EXPECT_EQ(FolderOf(path, Cp932()), "C:\x5C\x95\x5C");
  // Without double-byte characters that byte is a separator and stays.
  EXPECT_EQ(FolderOf(path, kNoLeadBytes), "C:\x5C\x95\x5C\x5C");
}

struct DoubleByteCase {
  const char* name;
  std::string path;
  const char* change_extension;  // with ".ini"
  const char* folder;
};

TEST(PathRules, SecondBytesFollowTheParityOfTheLeadRun) {
  const DoubleByteCase cases[] = {
      // 0x5C after 表 is no separator, so the dot before it is the extension.
      {"dot before 表", "x.d\x95\x5C", "x.ini", ""},
      // Three lead-valued bytes: the 0x5C pairs with the third.
      {"odd run", "\x81\x81\x81\x5C" "a.txt", "\x81\x81\x81\x5C" "a.ini", ""},
      // Two lead-valued bytes form one character; the 0x5C is a separator.
      {"even run", "\x81\x81\x5C" "a.txt", "\x81\x81\x5C" "a.ini", "\x81\x81"},
      // 亜 (88 9F) is two lead-valued bytes; the 0x5C after it separates.
      {"亜 then separator", "C:\x5C\x88\x9F\x5C" "b", "C:\x5C\x88\x9F\x5C" "b.ini",
       "C:\x5C\x88\x9F"},
  };
  const LeadByteTable cp932 = Cp932();
  for (const DoubleByteCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChangeExtension(c.path, ".ini", cp932), c.change_extension);
    EXPECT_EQ(FolderOf(c.path, cp932), c.folder);
  }
}

TEST(PathRules, DriveOfComparesBytesOnly) {
  // \\a\表\b: the second byte of 表 counts as the second separator.
  EXPECT_EQ(DriveOf("\x5C\x5C" "a\x5C\x95\x5C\x5C" "b"), "\x5C\x5C" "a\x5C\x95");
}

TEST(PathRules, DriveOfNetworkEdgeCases) {
  const struct {
    const char* path;
    const char* drive;
  } cases[] = {
      {"\\\\", "\\\\"},
      {"\\\\\\", "\\\\"},
      {"\\\\\\\\", "\\\\\\"},
      {"\\\\srv", "\\\\srv"},
      {"\\\\srv\\", "\\\\srv"},
      {"\\\\srv\\share\\a\\b", "\\\\srv\\share"},
      {"?:x", "?:"},
      {"C", ""},
      {"\\", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(DriveOf(c.path), c.drive);
  }
}

TEST(PathRules, StartsWithAndContains) {
  const struct {
    const char* text;
    const char* needle;
    bool starts_with;
    bool contains;
  } cases[] = {
      {"C:\\Web Cache", "C:\\Web Cache", true, true},
      {"C:\\Web Cache", "", false, false},
      {"", "", false, false},
      {"", "C:", false, false},
      {"C:\\Web", "c:\\web", false, false},
      {"C:\\Web", "C:\\Web Cache", false, false},
      {"x/a", "/", false, true},
      {"/a", "/", true, true},
      {"a:\\b", ":\\", false, true},
      {"a:/b", ":\\", false, false},
      {"\\\\srv", "\\\\", true, true},
      // Full-width forms are not folded to ASCII (／ is 81 5E).
      {"\x81\x5E" "a", "/", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " | " + c.needle);
    EXPECT_EQ(StartsWith(c.text, c.needle), c.starts_with);
    EXPECT_EQ(Contains(c.text, c.needle), c.contains);
  }
}

}  // namespace
