# Builds vernix.exe and its Windows-side tests with MinGW-w64 for 32-bit x86 Windows.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VERNIX_MINGW_TARGET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
