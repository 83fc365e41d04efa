# Writes a settings file with every option, dumps it, and compares what comes back.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(out ${WORK}/tavilune.dat)
execute_process(COMMAND ${TOOL} ${out} "C:\\写真\\表.bmp" --color 0x008000 --thickness 5
                        --top -40 --left 1280 --intray 1 --stayontop 2
                RESULT_VARIABLE written)
if(NOT written EQUAL 0)
  message(FATAL_ERROR "writing failed: ${written}")
endif()
file(SIZE ${out} size)
if(NOT size EQUAL 276)
  message(FATAL_ERROR "the settings file has ${size} bytes")
endif()
# "表" is 0x95 0x5C in code page 932: the file must hold those bytes, not UTF-8.
file(READ ${out} path_hex OFFSET 8 LIMIT 14 HEX)
if(NOT path_hex STREQUAL "433a5c8eca905e5c955c2e626d70")
  message(FATAL_ERROR "the picture path bytes are ${path_hex}")
endif()
execute_process(COMMAND ${TOOL} --dump ${out} OUTPUT_VARIABLE dump RESULT_VARIABLE dumped)
set(expected "FrameColor 0x008000
FrameThickness 5
PicturePath C:\\写真\\表.bmp
WindowTop -40
WindowLeft 1280
InTray 1
StayOnTop 2
Alignment 0x00 0x00
")
if(NOT dumped EQUAL 0 OR NOT dump STREQUAL expected)
  message(FATAL_ERROR "dump (${dumped}) was:\n${dump}")
endif()
execute_process(COMMAND ${TOOL} ${out} "C:\\a.bmp" --thickness many RESULT_VARIABLE refused
                ERROR_QUIET)
if(refused EQUAL 0)
  message(FATAL_ERROR "a bad number was accepted")
endif()
