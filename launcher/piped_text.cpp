#include "piped_text.h"

#include <windows.h>

#include "../quillex/quillex.h"
#include "editor_start.h"
#include "launcher_settings.h"
#include "line_reader.h"

namespace {

// "無題 - Quillex" in code page 932.
const char kUntitledTitle[] = "\x96\xB3\x91\xE8 - Quillex";

// The standard input as it is when the reading starts; never closed.
class StandardInput : public ByteSource {
 public:
  size_t Read(char* buffer, size_t capacity, uint32_t* error) override {
    if (!opened_) {
      handle_ = GetStdHandle(STD_INPUT_HANDLE);
      opened_ = true;
    }
    DWORD n = 0;
    if (ReadFile(handle_, buffer, static_cast<DWORD>(capacity), &n, nullptr))
      return n;
    DWORD code = GetLastError();
    if (code != ERROR_BROKEN_PIPE) *error = code;
    return 0;
  }

 private:
  HANDLE handle_ = nullptr;
  bool opened_ = false;
};

}  // namespace

void HandOffPipedText() {
  LineList lines;
  StandardInput input;
  CollectLines(input, lines);

  HWND window = StartEditor(g_settings.AppExePath, std::string());
  if (!IsEditorMainWindow(window)) return;

  SendTextToEditor(window, lines.TextPieces());
  SetWindowTextA(window, kUntitledTitle);
  SetWindowTextA(GetWindow(window, GW_OWNER), kUntitledTitle);
  HWND edit = GetEditorEditControl(window);
  SendMessageA(edit, EM_SETMODIFY, 0, 0);
  SendMessageA(edit, EM_EMPTYUNDOBUFFER, 0, 0);
}
