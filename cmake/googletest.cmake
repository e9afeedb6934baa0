# GoogleTest for the tests, for whichever target this tree builds: an installed one first
# (find_package, which MSYS2's mingw-w64-*-gtest packages serve), else built from its sources
# (Debian's googletest package). Sets VERNIX_GTEST_FOUND; where there is neither, says so in
# one line, and the tests are off.
set(VERNIX_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
    "GoogleTest's sources, built when find_package(GTest) finds no installed GoogleTest")

find_package(GTest QUIET)
if(TARGET GTest::gtest_main)
  set(VERNIX_GTEST_FOUND ON)
elseif(EXISTS ${VERNIX_GTEST_SOURCE_DIR}/CMakeLists.txt)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  if(WIN32)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  endif()
  add_subdirectory(${VERNIX_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(VERNIX_GTEST_FOUND ON)
else()
  message(STATUS "Tests are off: no GoogleTest, neither installed (find_package(GTest)) nor "
                 "as sources in ${VERNIX_GTEST_SOURCE_DIR} (VERNIX_GTEST_SOURCE_DIR)")
  set(VERNIX_GTEST_FOUND OFF)
endif()
