# Makes the bundle a user downloads: the stripped program, its user's guide, its licence and the
# notices of the libraries linked into it, in one zip whose bytes depend only on its contents.
#   cmake -DPROGRAM=... -DZIP=... -DSTAGING=... -DTITLE=... -DSOURCE_DIR=...
#         -DLIBJPEG_SOURCE_DIR=... -DLINK_MAP=... -DZIP_PROGRAM=... -P release_bundle.cmake
# The notices are put together from the licence texts of the very sources and packages the
# program was built from, so that they change when the libraries do and are never retyped.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/release_texts.cmake)

foreach(input PROGRAM ZIP STAGING TITLE SOURCE_DIR LIBJPEG_SOURCE_DIR LINK_MAP ZIP_PROGRAM)
  if(NOT DEFINED ${input})
    message(FATAL_ERROR "release_bundle.cmake needs -D${input}=...")
  endif()
endforeach()
# Every entry carries this time, and the zip's local times are read in UTC, so that neither the
# day of the build nor its time zone changes the bundle's bytes.
set(entry_time "2026-01-01 00:00:00")
set(ENV{TZ} UTC)
set(ENV{LC_ALL} C)

function(read_required path out)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${path} is missing: the bundle's texts are taken from it")
  endif()
  file(READ "${path}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The text between the line `first` and the line before `next`, both searched from the start.
function(section_between text first next out)
  string(FIND "${text}" "${first}" begin)
  if(begin EQUAL -1)
    message(FATAL_ERROR "no \"${first}\" found where a licence text was expected")
  endif()
  string(SUBSTRING "${text}" ${begin} -1 rest)
  string(FIND "${rest}" "${next}" end)
  if(end EQUAL -1)
    message(FATAL_ERROR "no \"${next}\" found after \"${first}\"")
  endif()
  string(SUBSTRING "${rest}" 0 ${end} section)
  string(STRIP "${section}" section)
  set(${out} "${section}" PARENT_SCOPE)
endfunction()

# A stand-alone licence paragraph of a machine-readable Debian copyright file, its text unindented.
function(debian_license_text copyright name out)
  string(REGEX MATCH "\nLicense: ${name}\n( [^\n]*\n)+" paragraph "${copyright}")
  if(NOT paragraph)
    message(FATAL_ERROR "no stand-alone \"License: ${name}\" paragraph in a Debian copyright file")
  endif()
  string(REGEX REPLACE "^\nLicense: ${name}\n" "" paragraph "${paragraph}")
  string(REGEX REPLACE "(^|\n) \\.[ \t]*(\n)" "\\1\\2" paragraph "${paragraph}")
  string(REGEX REPLACE "(^|\n) " "\\1" paragraph "${paragraph}")
  string(STRIP "${paragraph}" paragraph)
  set(${out} "${paragraph}" PARENT_SCOPE)
endfunction()

function(package_of path package_out version_out)
  execute_process(COMMAND dpkg-query -S "${path}" OUTPUT_VARIABLE owner RESULT_VARIABLE status
                  ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0 OR NOT owner MATCHES "^([^:, ]+)(:[a-z0-9]+)?: ")
    message(FATAL_ERROR "no Debian package owns ${path}, so its licence cannot be named")
  endif()
  set(package ${CMAKE_MATCH_1})
  execute_process(COMMAND dpkg-query -W -f=\${Version} ${package} OUTPUT_VARIABLE version
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(${package_out} ${package} PARENT_SCOPE)
  set(${version_out} "${version}" PARENT_SCOPE)
endfunction()

# --- libjpeg-turbo, from its unpacked source package ---
read_required("${LIBJPEG_SOURCE_DIR}/LICENSE.md" jpeg_license)
read_required("${LIBJPEG_SOURCE_DIR}/README.ijg" readme_ijg)
read_required("${LIBJPEG_SOURCE_DIR}/debian/copyright" jpeg_debian_copyright)
read_required("${LIBJPEG_SOURCE_DIR}/debian/changelog" jpeg_changelog)
string(REGEX MATCH "^libjpeg-turbo \\(([^)]+)\\)" jpeg_source_version "${jpeg_changelog}")
set(jpeg_source_version "${CMAKE_MATCH_1}")
section_between("${readme_ijg}" "LEGAL ISSUES\n" "\nREFERENCES\n" ijg_terms)
debian_license_text("${jpeg_debian_copyright}" Zlib zlib_license)
ijg_sentence("${readme_ijg}" ijg_sentence)

set(rule "================================================================================")
set(notices "${TITLE}: third-party notices\n${rule}\n\n")
string(APPEND notices
  "${ijg_sentence}\n\n"
  "tavilune.exe is one file: the libraries below are linked into it. Each part reproduces the\n"
  "licence texts of one of them, taken when the program was built from the very source and\n"
  "packages it was built with.\n\n")

set(parts "")
string(APPEND parts
  "\n${rule}\nlibjpeg-turbo (JPEG decoding), from Debian's source package libjpeg-turbo "
  "${jpeg_source_version}\n${rule}\n\n"
  "--- LICENSE.md ---\n\n${jpeg_license}\n\n"
  "--- README.ijg, LEGAL ISSUES (the IJG License) ---\n\n${ijg_terms}\n\n"
  "--- The zlib License, which covers libjpeg-turbo's SIMD extensions (from the source package's "
  "debian/copyright) ---\n\n${zlib_license}\n")

# --- the toolchain's libraries, from the Debian packages that hold what the link took ---
# The linker's map names each archive a member was taken from and each object file loaded whole.
# The program's own libraries and libjpeg-turbo are named by paths inside the build folder; the
# toolchain's (start-up code, C runtime, threads, GCC's runtime, the system's import libraries)
# by full paths.
if(NOT EXISTS "${LINK_MAP}")
  message(FATAL_ERROR "${LINK_MAP} is missing: the program's link leaves it")
endif()
file(STRINGS "${LINK_MAP}" archive_lines REGEX "^/[^ (]+\\.a\\(")
file(STRINGS "${LINK_MAP}" object_lines REGEX "^LOAD /[^ ]+\\.o$")
set(linked "")
foreach(line IN LISTS archive_lines object_lines)
  string(REGEX REPLACE "^(LOAD )?(/[^ (]+)(\\(.*)?$" "\\2" path "${line}")
  file(REAL_PATH "${path}" path)
  if(NOT path IN_LIST linked)
    list(APPEND linked "${path}")
  endif()
endforeach()
if(NOT linked)
  message(FATAL_ERROR "${LINK_MAP} names no library of the toolchain")
endif()
list(SORT linked)
set(copyright_files "")
foreach(path IN LISTS linked)
  package_of("${path}" package version)
  set(copyright /usr/share/doc/${package}/copyright)
  if(NOT EXISTS ${copyright})
    message(FATAL_ERROR "${package}, which holds ${path}, has no ${copyright}")
  endif()
  # Several packages may share one copyright file (Debian links them); it is reproduced once.
  file(REAL_PATH ${copyright} copyright_real)
  file(SHA256 ${copyright_real} key)
  if(NOT key IN_LIST copyright_files)
    list(APPEND copyright_files ${key})
    set(copyright_path_${key} ${copyright})
    set(copyright_packages_${key} "")
    set(copyright_libraries_${key} "")
  endif()
  if(NOT "${package} ${version}" IN_LIST copyright_packages_${key})
    list(APPEND copyright_packages_${key} "${package} ${version}")
  endif()
  get_filename_component(name "${path}" NAME)
  list(APPEND copyright_libraries_${key} ${name})
endforeach()

foreach(key IN LISTS copyright_files)
  read_required(${copyright_path_${key}} copyright_text)
  list(JOIN copyright_packages_${key} ", " packages)
  list(JOIN copyright_libraries_${key} " " libraries)
  string(APPEND parts
    "\n${rule}\nLinked from the toolchain: ${libraries}\n"
    "Debian package(s) ${packages}; their copyright file ${copyright_path_${key}}:\n"
    "${rule}\n\n${copyright_text}")
endforeach()
string(APPEND notices "${parts}")

# --- the bundle ---
file(REMOVE_RECURSE "${STAGING}")
file(MAKE_DIRECTORY "${STAGING}")
file(COPY_FILE "${PROGRAM}" "${STAGING}/tavilune.exe")
read_required("${SOURCE_DIR}/docs/guide.md" guide)
read_required("${SOURCE_DIR}/LICENSE" license)
user_guide_text("${TITLE}" "${guide}" readme)
write_windows_text("${STAGING}/README.txt" "${readme}")
write_windows_text("${STAGING}/LICENSE.txt" "${license}")
write_windows_text("${STAGING}/THIRD-PARTY-NOTICES.txt" "${notices}")

release_bundle_entries(entries)
foreach(entry IN LISTS entries)
  file(CHMOD "${STAGING}/${entry}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  execute_process(COMMAND touch -d "${entry_time}" "${STAGING}/${entry}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
# zip adds to an archive that exists; the bundle is always made anew. -X leaves out the owner and
# the extra time fields, -D the folder entries, so only names, contents and the fixed time remain.
file(REMOVE "${ZIP}")
execute_process(COMMAND ${ZIP_PROGRAM} -X -D -q "${ZIP}" ${entries}
                WORKING_DIRECTORY "${STAGING}" COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "${ZIP}: ${entries}")
