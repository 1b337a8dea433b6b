# Cross-build of Morvane.dll for 32-bit Windows with Debian's mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MORVANE_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
