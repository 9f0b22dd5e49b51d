#include "system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <string>

#include "lead_bytes.h"

// GoogleTest hands every failure to OutputDebugStringA too. Under Wine on
// qemu the exception that call raises wrecks the thread and ends the run, so
// this program's import of it is bound to a no-op: the text is on stdout.
namespace {
void WINAPI DropDebugPrint(LPCSTR) {}
}  // namespace
extern "C" void(WINAPI* const g_debug_print_import)(LPCSTR) __asm__("__imp__OutputDebugStringA@4");
extern "C" void(WINAPI* const g_debug_print_import)(LPCSTR) = DropDebugPrint;

namespace {

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileA(child.c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof temp, temp);
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, sizeof temp);
    root_ = std::string(temp) + "qx_system_" + std::to_string(GetCurrentProcessId()) +
            "_" + std::to_string(GetTickCount());
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr)) << root_;
  }
  void TearDown() override {
    if (!root_.empty()) RemoveTree(root_);
  }

  std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }
  void MakeFolder(const std::string& relative) {
    ASSERT_TRUE(CreateDirectoryA(Path(relative).c_str(), nullptr)) << relative;
  }
  void MakeFile(const std::string& relative) {
    HANDLE h = CreateFileA(Path(relative).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << relative;
    CloseHandle(h);
  }

  std::string root_;
};

TEST_F(TempFolder, IsExistingFileWantsTheFirstEntryToBeAFile) {
  MakeFile("a.txt");
  MakeFolder("sub");
  MakeFolder("only_file");
  MakeFile("only_file\\x.txt");
  MakeFolder("only_folder");
  MakeFolder("only_folder\\d.txt");

  struct Case {
    std::string name;
    bool exists;
  };
  const Case cases[] = {
      {Path("a.txt"), true},
      {"", false},
      {Path("sub"), false},
      {Path("a.txt") + "\\", false},
      {Path("sub") + "\\", false},
      {Path("only_file\\*.txt"), true},
      {Path("only_file\\?.txt"), true},
      {Path("only_folder\\*.txt"), false},
      {Path("*.none"), false},
      {Path("missing.txt"), false},
      {Path("missing\\a.txt"), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsExistingFile(c.name), c.exists) << "name \"" << c.name << "\"";
  }
}

TEST_F(TempFolder, IsExistingFileTakesRelativeNamesFromTheCurrentFolder) {
  MakeFile("a.txt");
  MakeFolder("sub");
  char saved[MAX_PATH + 1];
  ASSERT_GT(GetCurrentDirectoryA(sizeof saved, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(root_.c_str()));
  bool file = IsExistingFile("a.txt");
  bool folder = IsExistingFile("sub");
  bool missing = IsExistingFile("b.txt");
  SetCurrentDirectoryA(saved);
  EXPECT_TRUE(file);
  EXPECT_FALSE(folder);
  EXPECT_FALSE(missing);
}

// Files from archives may carry any date; they are files all the same, even
// where the time has no DOS form.
TEST_F(TempFolder, IsExistingFileIgnoresTheLastWriteTime) {
  struct Case {
    const char* file;
    WORD year;
  };
  const Case cases[] = {
      {"old.txt", 1975},
      {"future.txt", 2150},
      {"plain.txt", 2001},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    MakeFile(c.file);
    SYSTEMTIME when = {};
    when.wYear = c.year;
    when.wMonth = 6;
    when.wDay = 15;
    when.wHour = 12;
    FILETIME written;
    ASSERT_TRUE(SystemTimeToFileTime(&when, &written));
    HANDLE h = CreateFileA(Path(c.file).c_str(), FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES,
                           0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    BOOL set = SetFileTime(h, nullptr, nullptr, &written);
    FILETIME back = {};
    GetFileTime(h, nullptr, nullptr, &back);
    CloseHandle(h);
    ASSERT_TRUE(set);
    ASSERT_EQ(CompareFileTime(&back, &written), 0) << "the file system kept another time";

    EXPECT_TRUE(IsExistingFile(Path(c.file)));
  }
}

TEST_F(TempFolder, IsExistingFileReadsDoubleByteNamesWhole) {
  if (GetACP() != 932) GTEST_SKIP() << "needs ANSI code page 932, have " << GetACP();
  // The second byte of this character is the separator byte 0x5C.
  const std::string hyo = "\x95\x5C";
  MakeFolder(hyo);
  MakeFile(hyo + "\\a.txt");
  MakeFile(hyo + ".txt");
  EXPECT_TRUE(IsExistingFile(Path(hyo + "\\a.txt")));
  EXPECT_TRUE(IsExistingFile(Path(hyo + ".txt")));
  EXPECT_FALSE(IsExistingFile(Path(hyo)));
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(ArgumentAt, ZeroIsTheFullPathOfThisExecutable) {
  std::string path = ArgumentAt(0);
  ASSERT_GE(path.size(), 3u);
  EXPECT_TRUE(isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\')
      << path;
  const std::string tail = "\\win32_tests.exe";
  ASSERT_GT(path.size(), tail.size());
  EXPECT_EQ(Lower(path.substr(path.size() - tail.size())), tail) << path;
  EXPECT_TRUE(IsExistingFile(path)) << path;
}

TEST(ArgumentAt, BeyondTheLastArgumentIsEmpty) {
  EXPECT_EQ(ArgumentAt(ArgumentCount() + 1), "");
  EXPECT_EQ(ArgumentAt(ArgumentCount() + 100), "");
}

class LeadBytes : public ::testing::Test {
 protected:
  void SetUp() override { g_lead_bytes = LeadByteTable(); }
  void TearDown() override { g_lead_bytes = LeadByteTable(); }
};

TEST_F(LeadBytes, CodePage932MarksItsLeadBytes) {
  if (GetACP() != 932) GTEST_SKIP() << "needs ANSI code page 932, have " << GetACP();
  LoadLeadBytes();
  for (int b = 0; b < 256; ++b) {
    bool expected = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    EXPECT_EQ(g_lead_bytes.lead[b], expected) << "byte " << b;
  }
  EXPECT_TRUE(g_lead_bytes.IsSecondByte("\x95\x5C", 1));
}

TEST_F(LeadBytes, SingleByteCodePageMarksNone) {
  CPINFO info;
  ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
  if (info.MaxCharSize != 1) GTEST_SKIP() << "ANSI code page " << GetACP() << " is multi-byte";
  LoadLeadBytes();
  for (int b = 0; b < 256; ++b) EXPECT_FALSE(g_lead_bytes.lead[b]) << "byte " << b;
}

}  // namespace
