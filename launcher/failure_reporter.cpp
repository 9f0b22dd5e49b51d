#include "failure_reporter.h"

#include <windows.h>

#include "system.h"

namespace {

std::string FileNameOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void ReportFailure(const Failure& failure) {
  HMODULE module = nullptr;
  uint32_t offset;
  std::string module_path;
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCSTR>(failure.address), &module)) {
    offset = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(failure.address) -
                                   reinterpret_cast<uintptr_t>(module));
    module_path = ModulePath(module);
  } else {
    offset = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(failure.address) - 0x1000);
    module_path = ModulePath(nullptr);
  }
  std::string text = FormatFailureText(failure.class_name, FileNameOf(module_path),
                                       offset, failure.message);
  MessageBoxA(nullptr, text.c_str(), kFailureTitle,
              MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}
