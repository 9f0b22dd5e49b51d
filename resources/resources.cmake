# MAINICON is drawn as text (mainicon.txt) and turned into an .ico at
# build time; launcher.rc finds it through a source-level include dir.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(MAINICON_DIR ${CMAKE_BINARY_DIR}/resources)
set(MAINICON_ICO ${MAINICON_DIR}/mainicon.ico)

add_custom_command(
  OUTPUT ${MAINICON_ICO}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${MAINICON_DIR}
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/make_icon.py
          ${CMAKE_CURRENT_LIST_DIR}/mainicon.txt ${MAINICON_ICO}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_icon.py
          ${CMAKE_CURRENT_LIST_DIR}/mainicon.txt
  COMMENT "Generating mainicon.ico"
  VERBATIM)

# Listing the .ico attaches the rule to the target; windres writes no
# depfile, so OBJECT_DEPENDS is what recompiles the .rc when it changes.
target_sources(launcher PRIVATE ${MAINICON_ICO})
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/launcher.rc PROPERTIES
  INCLUDE_DIRECTORIES ${MAINICON_DIR}
  OBJECT_DEPENDS ${MAINICON_ICO})
