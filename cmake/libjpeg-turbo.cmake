# libjpeg for the JPEG decoder, as the target `tavilune_libjpeg`.
#
# Natively the system's libjpeg-turbo (Debian's libjpeg62-turbo) is used. The Windows program is
# one self-contained executable, so there libjpeg-turbo is cross-built from its source, unpacked by
# scripts/setup into .cache/, as a static library for the program's processor with its SIMD code,
# and linked in.
# The fuzzers build the same source with the fuzzing instrumentation, so that libFuzzer sees its
# way through the library's parsing too and the sanitizers watch it.

set(TAVILUNE_LIBJPEG_VERSION 2.1.5)

if(NOT WIN32 AND NOT WITH_FUZZERS)
  find_package(JPEG REQUIRED)
  add_library(tavilune_libjpeg INTERFACE)
  target_link_libraries(tavilune_libjpeg INTERFACE JPEG::JPEG)
  return()
endif()

set(TAVILUNE_LIBJPEG_SOURCE_DIR
    ${PROJECT_SOURCE_DIR}/.cache/libjpeg-turbo-${TAVILUNE_LIBJPEG_VERSION}
    CACHE PATH "Unpacked libjpeg-turbo source for the Windows and fuzzing builds")
if(NOT EXISTS ${TAVILUNE_LIBJPEG_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR
    "libjpeg-turbo ${TAVILUNE_LIBJPEG_VERSION} source not found at ${TAVILUNE_LIBJPEG_SOURCE_DIR}. "
    "Run scripts/setup, which fetches Debian's source package and unpacks it there.")
endif()

find_program(TAVILUNE_NASM nasm)
if(NOT TAVILUNE_NASM)
  message(FATAL_ERROR "nasm is needed for libjpeg-turbo's SIMD code; run scripts/setup.")
endif()

include(ExternalProject)

set(libjpeg_binary_dir ${CMAKE_BINARY_DIR}/libjpeg-turbo)
set(libjpeg_include_dir ${CMAKE_BINARY_DIR}/libjpeg-turbo-include)
set(libjpeg_library ${libjpeg_binary_dir}/libjpeg.a)

if(WIN32)
  # As the program's own code (CMakeLists.txt): a section for each function and piece of data, and
  # no path of this machine's folders in the object files.
  set(libjpeg_c_flags -O2 -ffunction-sections -fdata-sections
    -ffile-prefix-map=${TAVILUNE_LIBJPEG_SOURCE_DIR}/= -ffile-prefix-map=${libjpeg_binary_dir}/=)
  # The linker keeps every function that the unwind tables name, and a 32-bit object has one table
  # for all its functions: without tables the link leaves out what the program never calls (the
  # encoder's SIMD code and tables, which jsimd.c names). No unwinding ever crosses the library's
  # frames: no exception is thrown through them, and a 32-bit longjmp reads no tables. A 64-bit
  # longjmp does, so there the tables stay.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    list(APPEND libjpeg_c_flags -fno-asynchronous-unwind-tables)
  endif()
  # Its few formatted reads and writes (the JPEGMEM variable, its own messages) use the system's C
  # library rather than mingw-w64's scanf family, which would add 30 KB to the program.
  list(APPEND libjpeg_c_flags -D__USE_MINGW_ANSI_STDIO=0)
  list(JOIN libjpeg_c_flags " " libjpeg_c_flags)
  set(libjpeg_compiler_args -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    "-DCMAKE_C_FLAGS=${libjpeg_c_flags}")
else()
  set(libjpeg_compiler_args
    -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER}
    "-DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all")
endif()

# Only the static library is built: the library's own tools and tests are not needed here.
# REQUIRE_SIMD makes the configuration fail rather than quietly fall back to the plain C code.
ExternalProject_Add(libjpeg_turbo_build
  SOURCE_DIR ${TAVILUNE_LIBJPEG_SOURCE_DIR}
  BINARY_DIR ${libjpeg_binary_dir}
  CMAKE_ARGS
    ${libjpeg_compiler_args}
    -DCMAKE_BUILD_TYPE=Release
    # -O2, as the system's own package builds it: the decoder's hot paths are its SIMD code, and
    # -O3's unrolled C adds weight to the program for no speed a user sees. (Given with the
    # other flags: the library turns an -O2 of its release flags into -O3.)
    -DCMAKE_C_FLAGS_RELEASE=-DNDEBUG
    # Its default prefix for Windows is a drive path that its package files cannot use here;
    # nothing is installed there, the prefix only has to be a full path.
    -DCMAKE_INSTALL_PREFIX=${CMAKE_BINARY_DIR}/libjpeg-turbo-prefix
    -DCMAKE_ASM_NASM_COMPILER=${TAVILUNE_NASM}
    -DENABLE_SHARED=OFF
    -DENABLE_STATIC=ON
    -DWITH_TURBOJPEG=OFF
    -DWITH_SIMD=ON
    -DREQUIRE_SIMD=ON
    -DWITH_JAVA=OFF
    # Its packaging target depends on the shared library's target, which is not made here, so
    # that CMake would take it for a file and warn at every configuration; the policy's new
    # behaviour leaves such a name alone, and nothing builds that target.
    -DCMAKE_POLICY_DEFAULT_CMP0058=NEW
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  # The four public headers go to a folder of their own, so that the source folder's many other
  # headers never come into our include path.
  INSTALL_COMMAND ${CMAKE_COMMAND} -E copy_if_different
    <BINARY_DIR>/jconfig.h <SOURCE_DIR>/jpeglib.h <SOURCE_DIR>/jmorecfg.h <SOURCE_DIR>/jerror.h
    ${libjpeg_include_dir}
  BUILD_BYPRODUCTS ${libjpeg_library}
  USES_TERMINAL_CONFIGURE ON
  USES_TERMINAL_BUILD ON)

file(MAKE_DIRECTORY ${libjpeg_include_dir})
add_library(tavilune_libjpeg_static STATIC IMPORTED GLOBAL)
set_target_properties(tavilune_libjpeg_static PROPERTIES
  IMPORTED_LOCATION ${libjpeg_library}
  INTERFACE_INCLUDE_DIRECTORIES ${libjpeg_include_dir})
add_dependencies(tavilune_libjpeg_static libjpeg_turbo_build)

add_library(tavilune_libjpeg INTERFACE)
target_link_libraries(tavilune_libjpeg INTERFACE tavilune_libjpeg_static)
