#ifndef LAUNCHER_EDITOR_START_H_
#define LAUNCHER_EDITOR_START_H_

#include <windows.h>

#include <string>

// The editor's command line: the quoted path, a space, the parameters.
std::string EditorCommandLine(const std::string& exe_path,
                              const std::string& parameters);

// Starts a new editor process, waits until it is idle and returns the first
// top-level window of that process, or 0. Silent on every failure.
HWND StartEditor(const std::string& exe_path, const std::string& parameters);

BOOL CALLBACK FindWindowOfProcess(HWND window, LPARAM search_cell);

#endif  // LAUNCHER_EDITOR_START_H_
