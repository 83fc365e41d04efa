# Cross build for 64-bit Windows. The programs run under 64-bit Wine, whose loader is named
# directly: the `wine` wrapper prefers the 32-bit loader when it is installed, and that loader
# cannot start on a kernel without 32-bit support.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAVILUNE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
