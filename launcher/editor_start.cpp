#include "editor_start.h"

#include "handle.h"

std::string EditorCommandLine(const std::string& exe_path,
                              const std::string& parameters) {
  std::string line;
  line.reserve(exe_path.size() + parameters.size() + 3);
  line += '"';
  line += exe_path;
  line += "\" ";
  line += parameters;
  return line;
}

BOOL CALLBACK FindWindowOfProcess(HWND window, LPARAM search_cell) {
  auto* cell = reinterpret_cast<ULONG_PTR*>(search_cell);
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  if (process_id != *cell) return TRUE;
  *cell = reinterpret_cast<ULONG_PTR>(window);
  return FALSE;
}

HWND StartEditor(const std::string& exe_path, const std::string& parameters) {
  STARTUPINFOA startup;
  GetStartupInfoA(&startup);
  std::string command_line = EditorCommandLine(exe_path, parameters);
  PROCESS_INFORMATION process;
  if (!CreateProcessA(nullptr, &command_line[0], nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &process))
    return nullptr;
  DWORD wait;
  {
    Handle process_handle(process.hProcess), thread_handle(process.hThread);
    wait = WaitForInputIdle(process.hProcess, INFINITE);
  }
  if (wait != 0) return nullptr;
  ULONG_PTR cell = process.dwProcessId;
  EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&cell));
  if (cell == process.dwProcessId) return nullptr;
  return reinterpret_cast<HWND>(cell);
}
