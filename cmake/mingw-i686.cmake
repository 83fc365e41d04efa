# Cross build for 32-bit Windows, the product. Its programs run under Wine's `wine` wrapper.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TAVILUNE_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
