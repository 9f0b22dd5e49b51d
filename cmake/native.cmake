# Native build: the pure rules under AddressSanitizer and
# UndefinedBehaviorSanitizer, with their unit tests and benchmarks.
enable_testing()
find_package(GTest REQUIRED)
set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(launcher_core PRIVATE ${SANITIZE} -Wall -Wextra)
target_link_options(launcher_core PUBLIC ${SANITIZE})

add_executable(unit_tests
  launcher/argument_mode_test.cpp
  launcher/command_line_test.cpp
  launcher/failure_test.cpp
  launcher/line_reader_test.cpp
  launcher/path_rules_test.cpp
  launcher/yes_no_test.cpp
  quillex/shared_block_test.cpp)
target_compile_options(unit_tests PRIVATE ${SANITIZE})
target_link_libraries(unit_tests PRIVATE launcher_core GTest::gtest GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

find_package(benchmark QUIET)
if(benchmark_FOUND)
  # Figures come from optimised code without sanitizers.
  add_executable(argument_mode_perftest launcher/argument_mode_perftest.cpp
    launcher/argument_mode.cpp launcher/command_line.cpp launcher/path_rules.cpp
    launcher/lead_bytes.cpp)
  target_include_directories(argument_mode_perftest PRIVATE launcher)
  target_compile_options(argument_mode_perftest PRIVATE -O2 -DNDEBUG)
  target_link_libraries(argument_mode_perftest PRIVATE benchmark::benchmark)
endif()
