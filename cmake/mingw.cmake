# What both Windows cross builds share: mingw-w64's posix-thread flavour (std::thread) for the
# target TAVILUNE_MINGW_TRIPLE, its own root for libraries and headers, and a static link, so
# that the program is one file that needs only the system's DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TAVILUNE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVILUNE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVILUNE_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAVILUNE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
