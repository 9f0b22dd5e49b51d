# Windows-side helpers for the end-to-end tests. Built as x86_64 PE: 64-bit
# programs run natively under wine64, 32-bit ones only through emulation.
set(LAUNCHER_TEST_TOOLS_DIR ${CMAKE_CURRENT_LIST_DIR})

function(launcher_test_tool name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES CXX_STANDARD 17 CXX_STANDARD_REQUIRED ON CXX_EXTENSIONS OFF)
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  target_compile_definitions(${name} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
  # Static, so Wine needs no mingw runtime DLLs beside the exe; GUI subsystem,
  # so no console is created for them.
  target_link_options(${name} PRIVATE -static -mwindows)
endfunction()

launcher_test_tool(quillex_double ${LAUNCHER_TEST_TOOLS_DIR}/editor_double/quillex_double.cpp)
launcher_test_tool(spawn ${LAUNCHER_TEST_TOOLS_DIR}/spawner/spawn.cpp)
