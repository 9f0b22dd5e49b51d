# Release zip: cmake --build build/win32 --target package
#   -> build/win32/quillex-launcher-1.0.0-win32.zip holding launcher.exe,
#      launcher.ini, readme-en.txt and readme-ja.txt at its root (users unpack
#      it into the Quillex folder, where a top folder would be in the way).
# Not CPack: its ZIP writer stores entries in directory-read order and the
# builder's uid/gid, so two builds can differ. release/make_zip.py fixes
# order, dates and modes instead.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(RELEASE_VERSION 1.0.0)
set(RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(RELEASE_ZIP ${CMAKE_BINARY_DIR}/quillex-launcher-${RELEASE_VERSION}-win32.zip)

# The guides become .txt with CRLF, which a double click opens in Notepad:
# Japanese in code page 932, which every Japanese Notepad reads; English as
# UTF-8 with a BOM, as it quotes Japanese titles and is read outside Japan too.
set(RELEASE_ENTRIES launcher.exe=$<TARGET_FILE:launcher> launcher.ini=${CMAKE_SOURCE_DIR}/release/launcher.ini)
set(RELEASE_TEXTS)
foreach(lang_encoding ja:cp932 en:utf-8-sig)
  string(REPLACE ":" ";" pair ${lang_encoding})
  list(GET pair 0 lang)
  list(GET pair 1 encoding)
  set(out ${RELEASE_DIR}/readme-${lang}.txt)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${RELEASE_DIR}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/release/windows_text.py
            ${CMAKE_SOURCE_DIR}/docs/guide-${lang}.md ${out} ${encoding}
    DEPENDS ${CMAKE_SOURCE_DIR}/release/windows_text.py ${CMAKE_SOURCE_DIR}/docs/guide-${lang}.md
    COMMENT "Generating readme-${lang}.txt"
    VERBATIM)
  list(APPEND RELEASE_TEXTS ${out})
  list(APPEND RELEASE_ENTRIES readme-${lang}.txt=${out})
endforeach()

add_custom_command(
  OUTPUT ${RELEASE_ZIP}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/release/make_zip.py ${RELEASE_ZIP} ${RELEASE_ENTRIES}
  DEPENDS launcher $<TARGET_FILE:launcher> ${CMAKE_SOURCE_DIR}/release/launcher.ini
          ${CMAKE_SOURCE_DIR}/release/make_zip.py ${RELEASE_TEXTS}
  COMMENT "Packing quillex-launcher-${RELEASE_VERSION}-win32.zip"
  VERBATIM)
# "package" is free to take: CPack, which would reserve it, is not used.
add_custom_target(package DEPENDS ${RELEASE_ZIP})
