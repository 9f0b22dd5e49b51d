#include "system.h"

#include <windows.h>

#include "lead_bytes.h"

const ArgumentList& Arguments() {
  static const ArgumentList arguments(GetCommandLineA());
  return arguments;
}

int ArgumentCount() { return Arguments().Count(); }

std::string ModulePath(void* module) {
  std::string path(MAX_PATH + 1, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(static_cast<HMODULE>(module), &path[0],
                                 static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // cut: try a larger buffer
  }
}

std::string ArgumentAt(int index) {
  if (index == 0) return ModulePath(nullptr);
  return Arguments().At(index);
}

bool IsExistingFile(const std::string& name) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(name.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  // The entry's time plays no part: files from archives often carry dates
  // before 1980 and are files all the same.
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void LoadLeadBytes() {
  if (!GetSystemMetrics(SM_DBCSENABLED)) return;
  CPINFO info;
  if (GetCPInfo(CP_ACP, &info)) g_lead_bytes.SetRanges(info.LeadByte, 6);
}
