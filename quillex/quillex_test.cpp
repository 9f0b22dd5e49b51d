#include "quillex.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// The windows here are the test's own: each answers the private messages
// the way an editor would and keeps a record of what reached it.

namespace {

const char kEditorClass[] = "TQuillexMainForm";

struct LoadTextSeen {
  WPARAM wparam = 0;
  LPARAM lparam = 0;
  bool opened = false;       // the block was found by the window's own name
  std::string bytes;         // the block's first lparam bytes
  bool rest_zero = false;    // the view's bytes after those
  int sender_views = -1;     // views holding the marker, before opening
  int views_after_open = -1; // the same, with the window's own view mapped
};

struct Seen {
  std::vector<UINT> private_messages;
  std::vector<std::pair<WPARAM, LPARAM>> getedit;
  std::vector<LoadTextSeen> loads;
  LRESULT edit_answer = 0;
  std::string marker;  // when set, views starting with it are counted
};

Seen g_seen;

bool IsPrivate(UINT msg) { return msg >= WM_USER && msg < 0xC000; }

// Independent of the code under test: the format "%s%u".
std::string BlockNameFor(HWND window) {
  char name[64];
  snprintf(name, sizeof name, "%s%u", "Quillex_Map_",
           static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
  return name;
}

SIZE_T RegionBytesFrom(const void* p) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(p, &info, sizeof info) != sizeof info) return 0;
  return info.RegionSize -
         (static_cast<const char*>(p) - static_cast<const char*>(info.BaseAddress));
}

// Readable file-mapping views in this process whose first bytes are `marker`.
int MappedViewsStartingWith(const std::string& marker) {
  const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                         PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                         PAGE_EXECUTE_WRITECOPY;
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const char* p = static_cast<const char*>(system.lpMinimumApplicationAddress);
  const char* end = static_cast<const char*>(system.lpMaximumApplicationAddress);
  int found = 0;
  MEMORY_BASIC_INFORMATION info;
  while (p < end && VirtualQuery(p, &info, sizeof info) == sizeof info) {
    if (info.State == MEM_COMMIT && info.Type == MEM_MAPPED &&
        (info.Protect & readable) && !(info.Protect & PAGE_GUARD) &&
        info.RegionSize >= marker.size() &&
        memcmp(info.BaseAddress, marker.data(), marker.size()) == 0)
      ++found;
    p = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
  }
  return found;
}

LoadTextSeen TakeText(HWND window, WPARAM wparam, LPARAM lparam) {
  LoadTextSeen seen;
  seen.wparam = wparam;
  seen.lparam = lparam;
  if (!g_seen.marker.empty())
    seen.sender_views = MappedViewsStartingWith(g_seen.marker);
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, BlockNameFor(window).c_str());
  if (!mapping) return seen;
  seen.opened = true;
  const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  if (view) {
    SIZE_T available = RegionBytesFrom(view);
    SIZE_T size = static_cast<SIZE_T>(lparam);
    seen.bytes.assign(view, size < available ? size : available);
    seen.rest_zero = true;
    for (SIZE_T i = size; i < available; ++i)
      if (view[i] != 0) seen.rest_zero = false;
    if (!g_seen.marker.empty())
      seen.views_after_open = MappedViewsStartingWith(g_seen.marker);
    UnmapViewOfFile(view);
  }
  CloseHandle(mapping);
  return seen;
}

LRESULT CALLBACK EditorLikeProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (IsPrivate(msg)) g_seen.private_messages.push_back(msg);
  if (msg == WM_EDITOR_GETEDIT) {
    g_seen.getedit.emplace_back(wparam, lparam);
    return g_seen.edit_answer;
  }
  if (msg == WM_EDITOR_LOADTEXT) {
    g_seen.loads.push_back(TakeText(window, wparam, lparam));
    return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

// A top-level window of its own class, registered for its lifetime only:
// class names are case-insensitive, so two spellings can't coexist.
class TestWindow {
 public:
  explicit TestWindow(const std::string& class_name) : class_name_(class_name) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = EditorLikeProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = class_name_.c_str();
    if (!RegisterClassA(&wc)) return;
    registered_ = true;
    window_ = CreateWindowExA(0, class_name_.c_str(), "", WS_OVERLAPPEDWINDOW, 0, 0,
                              200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~TestWindow() {
    Destroy();
    if (registered_) UnregisterClassA(class_name_.c_str(), GetModuleHandleA(nullptr));
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND get() const { return window_; }
  void Destroy() {
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
  }
  std::string ClassName() const {
    char name[256] = {};
    GetClassNameA(window_, name, sizeof name);
    return name;
  }

 private:
  std::string class_name_;
  bool registered_ = false;
  HWND window_ = nullptr;
};

bool BlockExists(const std::string& name) {
  HANDLE h = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
  if (h) CloseHandle(h);
  return h != nullptr;
}

std::string Bytes(const char* data, size_t size) { return std::string(data, size); }

std::string LongText(size_t size) {
  std::string text(size, '\0');
  for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + i % 26);
  return text;
}

class EditorLink : public ::testing::Test {
 protected:
  void SetUp() override { g_seen = Seen(); }
};

TEST_F(EditorLink, RecognisesOnlyTheExactClassName) {
  struct Case {
    const char* class_name;
    bool editor;
  };
  const Case cases[] = {
      {"TQuillexMainForm", true},   {"TQuillexMainForm1", false},
      {"TQuillexMainFor", false},   {"tquillexmainform", false},
      {"TQUILLEXMAINFORM", false},  {"TQuillex", false},
      {"TQuillexMainForm ", false}, {"XTQuillexMainForm", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("class \"") + c.class_name + "\"");
    g_seen = Seen();
    g_seen.edit_answer = 0x4242;
    TestWindow window(c.class_name);
    ASSERT_NE(window.get(), nullptr);
    ASSERT_EQ(window.ClassName(), c.class_name);

    EXPECT_EQ(IsEditorMainWindow(window.get()), c.editor);
    HWND edit = GetEditorEditControl(window.get());
    SendTextToEditor(window.get(), "text");
    if (c.editor) {
      EXPECT_EQ(reinterpret_cast<LRESULT>(edit), 0x4242);
      EXPECT_EQ(g_seen.private_messages,
                (std::vector<UINT>{WM_EDITOR_GETEDIT, WM_EDITOR_LOADTEXT}));
    } else {
      EXPECT_EQ(edit, nullptr);
      EXPECT_TRUE(g_seen.private_messages.empty());
    }
  }
}

TEST_F(EditorLink, HandleZeroIsNoEditorAndAsksTheSystemNothing) {
  // GetClassNameA on handle 0 would leave its own error code behind.
  SetLastError(0x20001234);
  EXPECT_FALSE(IsEditorMainWindow(nullptr));
  EXPECT_EQ(GetEditorEditControl(nullptr), nullptr);
  SendTextToEditor(nullptr, "text");
  SendTextToEditor(nullptr, std::vector<std::string_view>{"a", "b"}, 7);
  EXPECT_EQ(GetLastError(), 0x20001234u);
  EXPECT_FALSE(BlockExists(BlockNameFor(nullptr)));
}

TEST_F(EditorLink, DestroyedWindowIsNoEditor) {
  TestWindow window(kEditorClass);
  ASSERT_NE(window.get(), nullptr);
  HWND gone = window.get();
  ASSERT_TRUE(IsEditorMainWindow(gone));
  window.Destroy();
  ASSERT_FALSE(IsWindow(gone));

  g_seen = Seen();
  EXPECT_FALSE(IsEditorMainWindow(gone));
  EXPECT_EQ(GetEditorEditControl(gone), nullptr);
  SendTextToEditor(gone, "text");
  EXPECT_TRUE(g_seen.private_messages.empty());
}

TEST_F(EditorLink, EditControlIsTheWindowsAnswerUnchanged) {
  const LRESULT answers[] = {reinterpret_cast<LRESULT>(GetDesktopWindow()),
                             static_cast<LRESULT>(0x7FFF1234),
                             static_cast<LRESULT>(0xFFFFFFF0u), 0};
  TestWindow window(kEditorClass);
  ASSERT_NE(window.get(), nullptr);
  for (LRESULT answer : answers) {
    SCOPED_TRACE(answer);
    g_seen = Seen();
    g_seen.edit_answer = answer;
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetEditorEditControl(window.get())), answer);
    ASSERT_EQ(g_seen.getedit.size(), 1u);
    EXPECT_EQ(g_seen.getedit[0].first, 0u);
    EXPECT_EQ(g_seen.getedit[0].second, 0);
    EXPECT_EQ(g_seen.private_messages, std::vector<UINT>{WM_EDITOR_GETEDIT});
  }
}

TEST_F(EditorLink, BlockHoldsTheTextUpToItsFirstNulThenZeros) {
  struct Case {
    const char* what;
    std::vector<std::string> pieces;
    LPARAM size;
    std::string block;  // the first `size` bytes the window reads
  };
  const std::string long_text = LongText(10000);
  const Case cases[] = {
      {"empty", {""}, 1, Bytes("\0", 1)},
      {"no pieces", {}, 1, Bytes("\0", 1)},
      {"plain", {"abc"}, 4, Bytes("abc\0", 4)},
      {"code page 932 bytes", {"\x95\x5C\x81\x40"}, 5, Bytes("\x95\x5C\x81\x40\0", 5)},
      {"NUL inside", {Bytes("ab\0cd", 5)}, 6, Bytes("ab\0\0\0\0", 6)},
      {"NUL first", {Bytes("\0xyz", 4)}, 5, Bytes("\0\0\0\0\0", 5)},
      {"longer than a page", {long_text}, 10001, long_text + Bytes("\0", 1)},
      {"pieces", {"Hello, ", "", "world"}, 13, Bytes("Hello, world\0", 13)},
      {"NUL in a middle piece", {"ab", Bytes("c\0d", 3), "ef"}, 8, Bytes("abc\0\0\0\0\0", 8)},
      {"NUL ending a piece", {Bytes("a\0", 2), "bc"}, 5, Bytes("a\0\0\0\0", 5)},
  };
  TestWindow window(kEditorClass);
  ASSERT_NE(window.get(), nullptr);
  const std::string name = BlockNameFor(window.get());

  for (const Case& c : cases) {
    std::vector<std::string_view> views(c.pieces.begin(), c.pieces.end());
    std::string joined;
    for (const std::string& piece : c.pieces) joined += piece;
    // Pieces and the same text in one go give the same block.
    for (bool in_pieces : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (in_pieces ? ", as pieces" : ", in one go"));
      g_seen = Seen();
      if (in_pieces)
        SendTextToEditor(window.get(), views);
      else
        SendTextToEditor(window.get(), std::string_view(joined));

      ASSERT_EQ(g_seen.loads.size(), 1u);
      EXPECT_EQ(g_seen.private_messages, std::vector<UINT>{WM_EDITOR_LOADTEXT});
      const LoadTextSeen& seen = g_seen.loads[0];
      EXPECT_EQ(seen.lparam, c.size);
      EXPECT_EQ(seen.wparam, 0u);
      ASSERT_TRUE(seen.opened) << "no block named " << name << " during the message";
      EXPECT_TRUE(seen.bytes == c.block) << "block differs";
      EXPECT_TRUE(seen.rest_zero);
      EXPECT_FALSE(BlockExists(name)) << "block still open after the message";
    }
  }
}

TEST_F(EditorLink, WParamReachesTheWindowUnchanged) {
  TestWindow window(kEditorClass);
  ASSERT_NE(window.get(), nullptr);

  SendTextToEditor(window.get(), "x");
  SendTextToEditor(window.get(), std::vector<std::string_view>{"x"});
  const WPARAM values[] = {0, 1, 0x12345678u, 0x80000000u, 0xFFFFFFFFu};
  for (WPARAM w : values) {
    SendTextToEditor(window.get(), "x", w);
    SendTextToEditor(window.get(), std::vector<std::string_view>{"x"}, w);
  }

  std::vector<WPARAM> expected = {0, 0};
  for (WPARAM w : values) expected.insert(expected.end(), {w, w});
  std::vector<WPARAM> got;
  for (const LoadTextSeen& seen : g_seen.loads) got.push_back(seen.wparam);
  EXPECT_EQ(got, expected);
}

TEST_F(EditorLink, SendersViewIsGoneBeforeTheMessage) {
  TestWindow window(kEditorClass);
  ASSERT_NE(window.get(), nullptr);
  // A text no other view in this process starts with.
  char marker[80];
  snprintf(marker, sizeof marker, "view-check-%lu-%lu-%p",
           GetCurrentProcessId(), GetTickCount(), static_cast<void*>(window.get()));
  g_seen.marker = marker;

  SendTextToEditor(window.get(), std::string(marker) + " and more");

  ASSERT_EQ(g_seen.loads.size(), 1u);
  const LoadTextSeen& seen = g_seen.loads[0];
  ASSERT_TRUE(seen.opened);
  // The count sees the window's own view, so it would see the sender's.
  EXPECT_EQ(seen.views_after_open, 1);
  EXPECT_EQ(seen.sender_views, 0);
}

TEST_F(EditorLink, ExistingSmallerBlockGetsNothingSent) {
  TestWindow window(kEditorClass);
  ASSERT_NE(window.get(), nullptr);
  const std::string name = BlockNameFor(window.get());
  const std::string text = LongText(10000);

  HANDLE small = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    16, name.c_str());
  ASSERT_NE(small, nullptr);
  void* own_view = MapViewOfFile(small, FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(own_view, nullptr);
  ASSERT_LT(RegionBytesFrom(own_view), text.size() + 1) << "view not smaller than the text";
  UnmapViewOfFile(own_view);

  SendTextToEditor(window.get(), text);
  EXPECT_TRUE(g_seen.private_messages.empty());

  // Once the old block is gone the name serves a full hand-over again.
  CloseHandle(small);
  g_seen = Seen();
  SendTextToEditor(window.get(), text);
  ASSERT_EQ(g_seen.loads.size(), 1u);
  EXPECT_EQ(g_seen.loads[0].lparam, 10001);
  EXPECT_TRUE(g_seen.loads[0].bytes == text + Bytes("\0", 1));
}

TEST_F(EditorLink, ExistingLargerBlockIsReused) {
  TestWindow window(kEditorClass);
  ASSERT_NE(window.get(), nullptr);
  const std::string name = BlockNameFor(window.get());

  // An editor still holding an earlier, longer hand-over.
  HANDLE earlier = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      65536, name.c_str());
  ASSERT_NE(earlier, nullptr);
  char* stale = static_cast<char*>(MapViewOfFile(earlier, FILE_MAP_WRITE, 0, 0, 0));
  ASSERT_NE(stale, nullptr);
  memset(stale, 0xAA, 65536);

  SendTextToEditor(window.get(), "abc");
  ASSERT_EQ(g_seen.loads.size(), 1u);
  EXPECT_EQ(g_seen.loads[0].lparam, 4);
  EXPECT_TRUE(g_seen.loads[0].bytes == Bytes("abc\0", 4));
  EXPECT_EQ(memcmp(stale, "abc", 4), 0);

  UnmapViewOfFile(stale);
  CloseHandle(earlier);
}

}  // namespace
