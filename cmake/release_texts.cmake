# What making a release bundle and checking one share: its entries in their order, how its texts
# are written for Windows, and where the user's guide and the IJG acknowledgement come from.

# The bundle's entries, in the order the zip holds them.
function(release_bundle_entries out)
  set(${out} tavilune.exe README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt PARENT_SCOPE)
endfunction()

# The sentence the IJG licence asks a binary distribution's documentation to state, as README.ijg
# words it, made a sentence of its own.
function(ijg_sentence readme_ijg out)
  if(NOT readme_ijg MATCHES "documentation must state that[ \t\n]+\"([^\"]+)\"")
    message(FATAL_ERROR "README.ijg no longer says what the documentation must state")
  endif()
  string(REGEX REPLACE "[ \t\n]+" " " sentence "${CMAKE_MATCH_1}")
  string(SUBSTRING "${sentence}" 0 1 first)
  string(SUBSTRING "${sentence}" 1 -1 rest)
  string(TOUPPER "${first}" first)
  set(${out} "${first}${rest}." PARENT_SCOPE)
endfunction()

# The bundle's README.txt: a title line over docs/guide.md.
function(user_guide_text title guide out)
  string(LENGTH "${title}" length)
  string(REPEAT "=" ${length} underline)
  set(${out} "${title}\n${underline}\n\n${guide}" PARENT_SCOPE)
endfunction()

# Texts for Notepad: UTF-8 with a byte-order mark, lines ended by CR LF.
function(windows_text text out)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  string(ASCII 239 187 191 byte_order_mark)
  set(${out} "${byte_order_mark}${text}" PARENT_SCOPE)
endfunction()

function(write_windows_text path text)
  windows_text("${text}" converted)
  file(WRITE "${path}" "${converted}")
endfunction()

# README.md's copy of docs/guide.md sits between these two lines.
set(TAVILUNE_GUIDE_BEGIN
    "<!-- From docs/guide.md, the bundles' README.txt: edit it there and copy it here with cmake -DUPDATE=ON -P cmake/check_guide.cmake -->")
set(TAVILUNE_GUIDE_END "<!-- End of docs/guide.md -->")
