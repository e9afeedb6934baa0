# What both MinGW-w64 toolchain files share: they set VERNIX_MINGW_TARGET, the target triplet
# (what that target's `gcc -dumpmachine` prints), and CMAKE_SYSTEM_PROCESSOR, then include this.

# On a Windows host MinGW-w64 is a native compiler: no CMAKE_SYSTEM_NAME, so that CMake does not
# treat the build as a cross build.
if(NOT CMAKE_HOST_WIN32)
  set(CMAKE_SYSTEM_NAME Windows)
endif()

# Takes the compilers from PATH by the names the host's MinGW-w64 gives them, the first of
#   <target>-g++-posix  Debian's alternatives with POSIX threads
#   <target>-g++        the plain triplet names (other distributions, MSYS2, MinGW-w64 builds)
#   g++                 on a Windows host only (MSYS2's UCRT64, MINGW64 and MINGW32, a plain
#                       MinGW-w64 on PATH), and only when it builds for <target>
# with the C compiler of the same kind beside it, then <target>-windres, or windres on a
# Windows host, preferably from the compilers' folder.
function(vernix_find_mingw target)
  set(kinds ${target}-@-posix ${target}-@)
  set(rc_names ${target}-windres)
  if(CMAKE_HOST_WIN32)
    list(APPEND kinds @)
    list(APPEND rc_names windres)
  endif()

  set(looked_for)
  set(found OFF)
  unset(rc)
  foreach(kind IN LISTS kinds)
    unset(cxx)
    unset(c)
    string(REPLACE @ g++ cxx_name ${kind})
    string(REPLACE @ gcc c_name ${kind})
    list(APPEND looked_for ${cxx_name} ${c_name})
    find_program(cxx ${cxx_name} NO_CMAKE_SYSTEM_PATH NO_CACHE)
    if(NOT cxx)
      continue()
    endif()
    get_filename_component(dir ${cxx} DIRECTORY)
    find_program(c ${c_name} HINTS ${dir} NO_CMAKE_SYSTEM_PATH NO_CACHE)
    if(NOT c)
      continue()
    endif()
    if(kind STREQUAL "@")
      # A plain g++ may build for the other architecture, or be no MinGW-w64 at all.
      execute_process(COMMAND ${cxx} -dumpmachine OUTPUT_VARIABLE machine
                      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(NOT machine STREQUAL target)
        list(APPEND looked_for "(${cxx} builds for '${machine}')")
        continue()
      endif()
    endif()
    set(found ON)
    find_program(rc NAMES ${rc_names} HINTS ${dir} NO_CMAKE_SYSTEM_PATH NO_CACHE)
    break()
  endforeach()
  list(APPEND looked_for ${rc_names})

  if(NOT found OR NOT rc)
    list(JOIN looked_for ", " looked_for)
    message(FATAL_ERROR "No MinGW-w64 for ${target} on PATH: looked for ${looked_for}. "
      "Install it (Debian: mingw-w64; MSYS2: see README.md) or put its bin folder on PATH.")
  endif()
  set(CMAKE_C_COMPILER ${c} PARENT_SCOPE)
  set(CMAKE_CXX_COMPILER ${cxx} PARENT_SCOPE)
  set(CMAKE_RC_COMPILER ${rc} PARENT_SCOPE)
endfunction()

vernix_find_mingw(${VERNIX_MINGW_TARGET})

# Debian keeps the target's headers and libraries in /usr/<target>: search only there, so that
# no Linux library or CMake package (a host GoogleTest, say) is taken for a Windows one.
if(EXISTS /usr/${VERNIX_MINGW_TARGET})
  set(CMAKE_FIND_ROOT_PATH /usr/${VERNIX_MINGW_TARGET})
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
endif()
