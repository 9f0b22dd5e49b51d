# libFuzzer targets for the pure rules (clang only, native builds only).
# Included from the top-level CMakeLists.txt after launcher_core is defined,
# or from fuzz/CMakeLists.txt, which sets LAUNCHER_FUZZ_CORE_SOURCES itself.
option(LAUNCHER_FUZZ "Build the libFuzzer targets" OFF)
if(NOT LAUNCHER_FUZZ OR WIN32)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "LAUNCHER_FUZZ needs clang (libFuzzer)")
endif()

set(_fuzz_dir ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(_fuzz_root ${_fuzz_dir} DIRECTORY)

# Same sources as launcher_core, but instrumented for coverage feedback.
if(NOT DEFINED LAUNCHER_FUZZ_CORE_SOURCES)
  get_target_property(_core_sources launcher_core SOURCES)
  get_target_property(_core_dir launcher_core SOURCE_DIR)
  set(LAUNCHER_FUZZ_CORE_SOURCES)
  foreach(_src IN LISTS _core_sources)
    if(NOT IS_ABSOLUTE ${_src})
      set(_src ${_core_dir}/${_src})
    endif()
    list(APPEND LAUNCHER_FUZZ_CORE_SOURCES ${_src})
  endforeach()
endif()

set(LAUNCHER_FUZZ_FLAGS -g -O1 -fno-omit-frame-pointer
    -fsanitize=address,undefined -fno-sanitize-recover=all)

add_library(launcher_core_fuzz STATIC ${LAUNCHER_FUZZ_CORE_SOURCES})
target_include_directories(launcher_core_fuzz PUBLIC
  ${_fuzz_root}/launcher ${_fuzz_root}/quillex)
target_compile_features(launcher_core_fuzz PUBLIC cxx_std_17)
target_compile_options(launcher_core_fuzz PRIVATE
  ${LAUNCHER_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)

set(LAUNCHER_FUZZERS
  command_line_fuzzer
  path_rules_fuzzer
  yes_no_fuzzer
  argument_mode_fuzzer
  line_reader_fuzzer
  shared_block_fuzzer
  failure_text_fuzzer)

foreach(_name IN LISTS LAUNCHER_FUZZERS)
  add_executable(${_name} ${_fuzz_dir}/${_name}.cpp)
  target_compile_options(${_name} PRIVATE
    ${LAUNCHER_FUZZ_FLAGS} -fsanitize=fuzzer -Wall -Wextra)
  target_link_options(${_name} PRIVATE
    -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${_name} PRIVATE launcher_core_fuzz)
endforeach()

add_custom_target(fuzzers DEPENDS ${LAUNCHER_FUZZERS})
