# launcher.exe: PE32, GUI subsystem, only system DLLs, ASLR and DEP on,
# stripped and built for size.
enable_language(RC)
# No build path may reach the file: two builds from any folders are equal.
set(LAUNCHER_FLAGS -Os -fno-ident -ffunction-sections -fdata-sections
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
set(LAUNCHER_LINK_FLAGS
  -static -mwindows -s -Wl,--gc-sections
  -Wl,--dynamicbase -Wl,--nxcompat
  -Wl,--no-insert-timestamp -Wl,--build-id=none)
target_compile_options(launcher_core PRIVATE ${LAUNCHER_FLAGS})

add_library(quillex_link STATIC quillex/quillex.cpp)
target_link_libraries(quillex_link PUBLIC launcher_core)
target_compile_options(quillex_link PRIVATE ${LAUNCHER_FLAGS})

add_executable(launcher WIN32
  launcher/cache_folder.cpp
  launcher/editor_start.cpp
  launcher/failure_reporter.cpp
  launcher/main.cpp
  launcher/piped_text.cpp
  launcher/run_launcher.cpp
  launcher/system.cpp
  resources/launcher.rc)
target_compile_options(launcher PRIVATE ${LAUNCHER_FLAGS})
target_link_options(launcher PRIVATE ${LAUNCHER_LINK_FLAGS})
target_link_libraries(launcher PRIVATE quillex_link ole32 shell32 uuid)
set_target_properties(launcher PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
include(${CMAKE_SOURCE_DIR}/cmake/package.cmake)

include(${CMAKE_SOURCE_DIR}/resources/resources.cmake OPTIONAL)
include(${CMAKE_SOURCE_DIR}/tests/win32_tests.cmake OPTIONAL)

# Same-bitness yardstick for the piped-text benchmark.
add_executable(bare_reader WIN32 tests/bench/bare_reader.cpp)
target_link_options(bare_reader PRIVATE -static -s)
set_target_properties(bare_reader PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
