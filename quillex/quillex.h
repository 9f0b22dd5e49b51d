#ifndef QUILLEX_QUILLEX_H_
#define QUILLEX_QUILLEX_H_

#include <windows.h>

#include <string_view>
#include <vector>

// What the launcher knows of a running editor: its main window's class and
// the two private messages that reach into it.

constexpr UINT WM_EDITOR_GETEDIT = 0x8192;
constexpr UINT WM_EDITOR_LOADTEXT = 0x819B;

bool IsEditorMainWindow(HWND window);
HWND GetEditorEditControl(HWND window);
void SendTextToEditor(HWND window, const std::vector<std::string_view>& text,
                      WPARAM wparam = 0);
void SendTextToEditor(HWND window, std::string_view text, WPARAM wparam = 0);

#endif  // QUILLEX_QUILLEX_H_
