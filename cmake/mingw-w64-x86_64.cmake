# Builds vernix.exe and its Windows-side tests with MinGW-w64 for x86-64 Windows.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VERNIX_MINGW_TARGET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
