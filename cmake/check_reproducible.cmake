# Builds the release files a second time, from the same sources seen at another path and in
# another build folder, and checks that the program and its bundle come out the same bytes as the
# build's own: so anyone can build a commit and compare the files with those downloaded.
#   cmake -DSOURCE_DIR=... -DLIBJPEG_SOURCE_DIR=... -DTOOLCHAIN_FILE=... -DGENERATOR=...
#         -DPROGRAM=... -DZIP=... -DSCRATCH=... -P check_reproducible.cmake
# The sources are reached through a symbolic link, so the compiler sees other paths for every file,
# libjpeg-turbo's included (it is built again too); the build folder lies elsewhere as well.
# CMAKE_BUILD_PARALLEL_LEVEL, if set, limits the build's jobs.
cmake_minimum_required(VERSION 3.25)
foreach(input SOURCE_DIR LIBJPEG_SOURCE_DIR TOOLCHAIN_FILE GENERATOR PROGRAM ZIP SCRATCH)
  if(NOT DEFINED ${input})
    message(FATAL_ERROR "check_reproducible.cmake needs -D${input}=...")
  endif()
endforeach()
foreach(file PROGRAM ZIP)
  if(NOT EXISTS "${${file}}")
    message(FATAL_ERROR "${${file}} is missing: build the preset before this check")
  endif()
endforeach()

# The other path names the same files: what lies below the sources is reached through the link.
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}/elsewhere")
set(alias "${SCRATCH}/elsewhere/tavilune")
file(CREATE_LINK "${SOURCE_DIR}" "${alias}" SYMBOLIC)
function(aliased path out)
  string(FIND "${path}" "${SOURCE_DIR}/" at)
  if(at EQUAL 0)
    string(LENGTH "${SOURCE_DIR}" length)
    string(SUBSTRING "${path}" ${length} -1 rest)
    set(path "${alias}${rest}")
  endif()
  set(${out} "${path}" PARENT_SCOPE)
endfunction()
aliased("${TOOLCHAIN_FILE}" toolchain)
aliased("${LIBJPEG_SOURCE_DIR}" libjpeg_source)

set(build "${SCRATCH}/build")
set(dist "${SCRATCH}/dist")
execute_process(
  COMMAND ${CMAKE_COMMAND} -S "${alias}" -B "${build}" -G "${GENERATOR}"
          "-DCMAKE_TOOLCHAIN_FILE=${toolchain}" -DCMAKE_BUILD_TYPE=Release
          "-DTAVILUNE_LIBJPEG_SOURCE_DIR=${libjpeg_source}"
          "-DTAVILUNE_DIST_DIR=${dist}" "-DTAVILUNE_BUNDLE_DIR=${dist}"
          -DWITH_E2E=OFF -DWITH_BENCH=OFF
  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring the second build failed:\n${output}")
endif()
# The bundle's target builds the program first.
execute_process(COMMAND ${CMAKE_COMMAND} --build "${build}" --target release_bundle
                OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the second build failed:\n${output}")
endif()

get_filename_component(zip_name "${ZIP}" NAME)
set(failures "")
foreach(pair "${PROGRAM}|${dist}/tavilune.exe" "${ZIP}|${dist}/${zip_name}")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 first)
  list(GET pair 1 second)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${first}" "${second}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    string(APPEND failures "\n  ${first} and ${second} differ (cmp -l shows where)")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "built again elsewhere, the release files differ:${failures}")
endif()
file(SIZE "${PROGRAM}" size)
message(STATUS "built again from ${alias} in ${build}: tavilune.exe (${size} bytes) and "
               "${zip_name} are the same bytes")
file(REMOVE_RECURSE "${SCRATCH}")
