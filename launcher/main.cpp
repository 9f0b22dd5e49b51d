// Start and end of a run: COM, the lead-byte table, the failure reporter
// around the one flow, then ExitProcess with the run's code.
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <new>
#include <stdexcept>

#include "failure.h"
#include "failure_reporter.h"
#include "run_launcher.h"
#include "system.h"

namespace {

__attribute__((noinline)) void* Allocate(size_t size, const void* caller) {
  if (void* p = malloc(size ? size : 1)) return p;
  RaiseFailureAt(caller, "EOutOfMemory", kOutOfMemoryMessage);
}

int Run() {
  try {
    RunLauncher();
    return 0;
  } catch (const Failure& failure) {
    ReportFailure(failure);
  } catch (const std::bad_alloc&) {
    ReportFailure(Failure{"EOutOfMemory", kOutOfMemoryMessage, nullptr, 0});
  } catch (const std::length_error&) {  // a text longer than memory allows
    ReportFailure(Failure{"EOutOfMemory", kOutOfMemoryMessage, nullptr, 0});
  }
  return 1;
}

}  // namespace

// Every allocation failure in the launcher becomes EOutOfMemory, raised at
// the code that asked for the memory.
void* operator new(size_t size) { return Allocate(size, __builtin_return_address(0)); }
void* operator new[](size_t size) { return Allocate(size, __builtin_return_address(0)); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  LoadLeadBytes();
  CoInitialize(nullptr);
  int exit_code = Run();
  CoUninitialize();
  ExitProcess(exit_code);
}
