# The release bundle of this Windows build, tavilune-<version>-win32.zip or -win64.zip, made by
# cmake/release_bundle.cmake whenever the stripped program in TAVILUNE_DIST_DIR is made again.
# Sets TAVILUNE_BUNDLE_ZIP and TAVILUNE_BUNDLE_TITLE for the check of the bundle.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(bundle_arch win64)
  set(bundle_bits 64)
else()
  set(bundle_arch win32)
  set(bundle_bits 32)
endif()
set(TAVILUNE_BUNDLE_ZIP ${TAVILUNE_BUNDLE_DIR}/tavilune-${PROJECT_VERSION}-${bundle_arch}.zip)
set(TAVILUNE_BUNDLE_TITLE "Tavilune ${PROJECT_VERSION} for ${bundle_bits}-bit Windows")

# zip, not CMake's own archiver: that one records each file's change and access times, which
# differ at every build, so its zips never come out the same twice.
find_program(TAVILUNE_ZIP zip)
if(NOT TAVILUNE_ZIP)
  message(FATAL_ERROR "zip makes the release bundle; run scripts/setup, which installs it.")
endif()

# The linker's map names every archive and object it took code from: the notices follow it.
set(link_map ${CMAKE_BINARY_DIR}/tavilune.map)
target_link_options(tavilune PRIVATE -Wl,-Map=${link_map})

add_custom_command(
  OUTPUT ${TAVILUNE_BUNDLE_ZIP}
  COMMAND ${CMAKE_COMMAND}
          -DPROGRAM=${TAVILUNE_DIST_DIR}/tavilune.exe
          -DZIP=${TAVILUNE_BUNDLE_ZIP}
          -DSTAGING=${CMAKE_BINARY_DIR}/bundle
          "-DTITLE=${TAVILUNE_BUNDLE_TITLE}"
          -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
          -DLIBJPEG_SOURCE_DIR=${TAVILUNE_LIBJPEG_SOURCE_DIR}
          -DLINK_MAP=${link_map}
          -DZIP_PROGRAM=${TAVILUNE_ZIP}
          -P ${PROJECT_SOURCE_DIR}/cmake/release_bundle.cmake
  DEPENDS tavilune
          ${PROJECT_SOURCE_DIR}/cmake/release_bundle.cmake
          ${PROJECT_SOURCE_DIR}/cmake/release_texts.cmake
          ${PROJECT_SOURCE_DIR}/docs/guide.md
          ${PROJECT_SOURCE_DIR}/LICENSE
          ${TAVILUNE_LIBJPEG_SOURCE_DIR}/LICENSE.md
          ${TAVILUNE_LIBJPEG_SOURCE_DIR}/README.ijg
  COMMENT "Making the release bundle ${TAVILUNE_BUNDLE_ZIP}"
  VERBATIM)
add_custom_target(release_bundle ALL DEPENDS ${TAVILUNE_BUNDLE_ZIP})
