# Checks a release bundle as a user receives it: its entries in their order, the program in it
# byte for byte the one build/dist holds, the guide and licence as Notepad shows them, and the
# notices that the linked libraries' licences require.
#   cmake -DZIP=... -DPROGRAM=... -DTITLE=... -DSOURCE_DIR=... -DLIBJPEG_SOURCE_DIR=...
#         -DSCRATCH=... -P check_bundle.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/release_texts.cmake)

set(failures "")
macro(fail text)
  string(APPEND failures "\n  ${text}")
endmacro()

if(NOT EXISTS "${ZIP}")
  message(FATAL_ERROR "${ZIP} is missing: the build did not make the bundle")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf "${ZIP}" OUTPUT_VARIABLE listing
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${ZIP} cannot be read as a zip")
endif()
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" listed "${listing}")
release_bundle_entries(expected)
if(NOT listed STREQUAL expected)
  fail("entries are \"${listed}\", not \"${expected}\" in that order")
endif()

file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${ZIP}" WORKING_DIRECTORY "${SCRATCH}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${ZIP} cannot be unpacked")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SCRATCH}/tavilune.exe" "${PROGRAM}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  fail("tavilune.exe differs from ${PROGRAM}")
endif()

# The version in the bundle's name is the one the program's version resource states.
if(NOT ZIP MATCHES "tavilune-([0-9.]+)-win(32|64)\\.zip$")
  fail("the name does not carry a version")
endif()
set(version "${CMAKE_MATCH_1}")
string(HEX "FileVersion" key_hex)
string(HEX "${version}." version_hex)
foreach(hex key_hex version_hex)
  string(REGEX REPLACE "(..)" "\\100" ${hex} "${${hex}}")
endforeach()
file(READ "${PROGRAM}" program_hex HEX)
string(FIND "${program_hex}" "${key_hex}" at)
set(value_hex "")
if(NOT at EQUAL -1)
  string(SUBSTRING "${program_hex}" ${at} 200 value_hex)
endif()
if(NOT value_hex MATCHES "^${key_hex}(00)+${version_hex}")
  fail("the program's FileVersion does not begin with ${version}.")
endif()

# No build time in the program's header, which would make every build's bytes differ. The PE
# header's place is the 32-bit value at 0x3C; its time stamp follows 8 bytes after it.
string(SUBSTRING "${program_hex}" 120 8 header_at)
string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" header_at "${header_at}")
math(EXPR stamp_at "(0x${header_at} + 8) * 2")
string(SUBSTRING "${program_hex}" ${stamp_at} 8 stamp)
if(NOT stamp STREQUAL "00000000")
  fail("the program's header carries a build time (0x${stamp})")
endif()

# The texts, exactly as made from their sources.
function(check_text entry text)
  # Compared as files: file(READ) does not keep carriage returns.
  write_windows_text("${SCRATCH}/wanted-${entry}" "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SCRATCH}/wanted-${entry}"
                          "${SCRATCH}/${entry}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    fail("${entry} is not its source as UTF-8 with a byte-order mark and CR LF line ends")
    set(failures "${failures}" PARENT_SCOPE)
  endif()
endfunction()
file(READ "${SOURCE_DIR}/docs/guide.md" guide)
file(READ "${SOURCE_DIR}/LICENSE" license)
user_guide_text("${TITLE}" "${guide}" readme)
check_text(README.txt "${readme}")
check_text(LICENSE.txt "${license}")

file(READ "${LIBJPEG_SOURCE_DIR}/README.ijg" readme_ijg)
ijg_sentence("${readme_ijg}" sentence)
file(READ "${SCRATCH}/THIRD-PARTY-NOTICES.txt" notices)
string(REPLACE "\r\n" "\n" notices_lf "${notices}")
string(FIND "${notices_lf}" "\n${sentence}\n" at)
if(at EQUAL -1)
  fail("THIRD-PARTY-NOTICES.txt does not state \"${sentence}\" on a line of its own")
endif()
string(FIND "${readme}" "${sentence}" at)
if(at EQUAL -1)
  fail("README.txt does not state \"${sentence}\"")
endif()
# Every copyright line of libjpeg-turbo's licence and of the IJG terms, and the runtime's terms.
file(STRINGS "${LIBJPEG_SOURCE_DIR}/LICENSE.md" jpeg_copyrights REGEX "^Copyright")
file(STRINGS "${LIBJPEG_SOURCE_DIR}/README.ijg" ijg_copyrights REGEX "software is copyright")
if(NOT jpeg_copyrights OR NOT ijg_copyrights)
  fail("libjpeg-turbo's LICENSE.md or README.ijg has no copyright line to look for")
endif()
foreach(line IN LISTS jpeg_copyrights ijg_copyrights ITEMS
        "Redistributions in binary form must reproduce the above copyright notice"
        "GCC RUNTIME LIBRARY EXCEPTION" "Files: mingw-w64-libraries/winpthreads/*")
  string(FIND "${notices_lf}" "${line}" at)
  if(at EQUAL -1)
    fail("THIRD-PARTY-NOTICES.txt lacks \"${line}\"")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${ZIP}:${failures}")
endif()
message(STATUS "${ZIP}: ${listed}; the program is ${PROGRAM}'s; the notices are complete")
