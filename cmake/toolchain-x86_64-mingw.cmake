# Cross-build for 64-bit Windows: the fallback when 32-bit Wine cannot run here.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MORVANE_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
