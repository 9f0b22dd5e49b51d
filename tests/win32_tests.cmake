# Tests that need Windows itself (windows, file mappings, directory search),
# run under Wine as a 32-bit console program: build/win32/win32_tests.exe.
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")

# Static and without pthreads: the exe has to run with Wine's DLLs alone.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_SHARED_LIBS OFF)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# This mingw's win32 thread model has no std::mutex, which GoogleTest's
# Notification needs; its customisation header supplies one on a Win32 event.
# Quoted includes search -iquote before -I, so this copy wins.
set(GTEST_CUSTOM_DIR ${CMAKE_BINARY_DIR}/googletest-custom)
file(WRITE ${GTEST_CUSTOM_DIR}/gtest/internal/custom/gtest-port.h [=[
#ifndef GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
#define GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
#include <windows.h>
#define GTEST_HAS_NOTIFICATION_ 1
namespace testing {
namespace internal {
class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};
}  // namespace internal
}  // namespace testing
#endif
]=])
target_compile_options(gtest PUBLIC "SHELL:-iquote ${GTEST_CUSTOM_DIR}")

add_executable(win32_tests
  launcher/system.cpp
  launcher/system_test.cpp
  quillex/quillex_test.cpp)
target_compile_options(win32_tests PRIVATE -Wall -Wextra)
target_link_options(win32_tests PRIVATE -static)
target_link_libraries(win32_tests PRIVATE quillex_link gtest gtest_main)
set_target_properties(win32_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
