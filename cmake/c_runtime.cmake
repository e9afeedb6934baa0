# vernix.exe imports its C runtime from msvcrt.dll, which every Windows NT has. A MinGW-w64 that
# links the Universal C Runtime instead (MSYS2's UCRT64, though its gcc -dumpmachine reads like
# any other) builds executables that need ucrtbase.dll, which none of Windows NT 4.0, 2000, XP and
# Server 2003 comes with. Its headers say so by defining _UCRT: configuring stops there, once.
set(probe ${CMAKE_BINARY_DIR}/CMakeFiles/vernix_c_runtime.c)
file(WRITE ${probe} "#include <stdio.h>\n#ifdef _UCRT\nvernix_links_ucrt\n#endif\n")
execute_process(COMMAND ${CMAKE_C_COMPILER} -E -P ${probe} OUTPUT_VARIABLE seen
                RESULT_VARIABLE failed ERROR_QUIET)
if(NOT failed AND seen MATCHES "vernix_links_ucrt")
  message(FATAL_ERROR "${CMAKE_C_COMPILER} links the Universal C Runtime (ucrtbase.dll and the "
    "api-ms-win-crt-* DLLs; its headers define _UCRT). vernix.exe can't use it: it must load on "
    "Windows NT 4.0, 2000, XP and Server 2003, none of which comes with it, so it imports its C "
    "runtime from msvcrt.dll, which every Windows NT has. Build with a MinGW-w64 that links "
    "msvcrt.dll: MSYS2's MINGW64 shell (windows-x64) or MINGW32 shell (windows-x86), or Debian's "
    "mingw-w64.")
endif()
