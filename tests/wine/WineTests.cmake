# Windows-side tests. Built on Linux, CTest runs them under Wine, in a prefix of their own
# inside the build tree. Built on Windows, the test executables run as they are, and the tests
# that need Wine or Linux are left out.

set(VERNIX_PEER_BUILD "" CACHE PATH "Build tree of the other architecture's vernix.exe")

# CTest's limits, all here, only end a test that hangs: each is many times the time measured on
# an idle 2-core machine (a Windows test or the prefix's setup under 30 s, the acceptance suite
# about 4 minutes, the ReactOS stage a minute and a half), so that a busy machine never reaches
# them. The waits inside the tests are bounded in tests/accept/vxaccept.py and the tools.
set(VERNIX_TEST_LIMIT 1200)
set(VERNIX_SUITE_LIMIT 3600)

if(NOT CMAKE_HOST_WIN32)
  set(VERNIX_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
  set(VERNIX_PREFIX_SH ${CMAKE_CURRENT_LIST_DIR}/prefix.sh)
  set(VERNIX_RUN sh ${VERNIX_PREFIX_SH} run ${VERNIX_WINE_DIR})
  # What starts a 32-bit program is skipped, with the reason, on a machine whose kernel starts
  # no 32-bit programs: the prefix's setup finds that out with a 32-bit probe, this build's or
  # the 32-bit peer's.
  set(VERNIX_NEEDS32 sh ${VERNIX_PREFIX_SH} needs32 ${VERNIX_WINE_DIR})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(VERNIX_32BIT_PROBE ${CMAKE_BINARY_DIR}/tests/tools/vxbits.exe)
    set(VERNIX_32BIT_ONLY ${VERNIX_NEEDS32})
  elseif(VERNIX_PEER_BUILD)
    set(VERNIX_32BIT_PROBE ${VERNIX_PEER_BUILD}/tests/tools/vxbits.exe)
  endif()

  add_test(NAME wine_prefix_setup
           COMMAND sh ${VERNIX_PREFIX_SH} setup ${VERNIX_WINE_DIR} ${VERNIX_32BIT_PROBE})
  add_test(NAME wine_prefix_cleanup COMMAND sh ${VERNIX_PREFIX_SH} cleanup ${VERNIX_WINE_DIR})
  set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix
                       TIMEOUT ${VERNIX_TEST_LIMIT})
  set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine_prefix)
endif()

# A Windows test executable; they share one registry (and under Wine one prefix), so they run
# one at a time. Each passes only when it exits 0 and GoogleTest says PASSED (see
# gtest_verdict.cmake); under Wine a 32-bit one is skipped where 32-bit programs can't run.
function(vernix_windows_test name)
  set(command ${CMAKE_COMMAND} -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../gtest_verdict.cmake)
  if(CMAKE_HOST_WIN32)
    add_test(NAME ${name} COMMAND ${command} $<TARGET_FILE:${name}> ${ARGN})
  else()
    add_test(NAME ${name}
             COMMAND ${VERNIX_32BIT_ONLY} ${command} ${VERNIX_RUN} $<TARGET_FILE:${name}> ${ARGN})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix SKIP_RETURN_CODE 77)
  endif()
  set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_prefix
                       TIMEOUT ${VERNIX_TEST_LIMIT})
endfunction()

vernix_windows_test(unit_tests)

# The Windows shell against the real registry, device names and drivers.
add_executable(shell_tests
  ${CMAKE_CURRENT_LIST_DIR}/../win/wine_test_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../win/adapter_walk_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../win/cards_key_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../win/ethernet_method_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../win/processor_serial_test.cpp)
target_link_libraries(shell_tests PRIVATE vernix_shell GTest::gtest_main)
vernix_windows_test(shell_tests)

if(CMAKE_HOST_WIN32)
  string(CONCAT skipped "the Wine prefix's setup and cleanup, vernix_smoke, acceptance, "
         "both_builds, tools_selftest and the benchmark need Wine, Linux network namespaces "
         "or Xvfb")
  message(STATUS "Windows host: not added: ${skipped}")
  return()
endif()

# The same tests on a machine that holds a choice already: they leave it, its record and a key
# beside it as they were.
add_test(NAME shell_tests_keep_host
  COMMAND ${VERNIX_32BIT_ONLY} sh ${CMAKE_CURRENT_LIST_DIR}/keeps_host.sh ${VERNIX_WINE_DIR}
          $<TARGET_FILE:shell_tests>)
set_tests_properties(shell_tests_keep_host PROPERTIES FIXTURES_REQUIRED wine_prefix
                     SKIP_RETURN_CODE 77 RESOURCE_LOCK wine_prefix TIMEOUT ${VERNIX_TEST_LIMIT})

# Each of these starts this build's programs under Wine, in the prefix above or in their own.
add_test(NAME vernix_smoke
  COMMAND ${VERNIX_32BIT_ONLY} sh ${CMAKE_CURRENT_LIST_DIR}/smoke.sh $<TARGET_FILE:vernix>
          ${VERNIX_WINE_DIR})
set_tests_properties(vernix_smoke PROPERTIES RESOURCE_LOCK wine_prefix
                     TIMEOUT ${VERNIX_TEST_LIMIT})

# The acceptance suite helpers under Wine, started from no terminal as the suite starts them.
set(VERNIX_TOOLS_DIR ${CMAKE_BINARY_DIR}/tests/tools)
add_test(NAME tools_selftest
  COMMAND ${VERNIX_32BIT_ONLY} sh ${CMAKE_CURRENT_LIST_DIR}/../tools/selftest.sh
          ${VERNIX_TOOLS_DIR} ${VERNIX_TOOLS_DIR}/selftest)
set_tests_properties(tools_selftest PROPERTIES TIMEOUT ${VERNIX_TEST_LIMIT})

# The acceptance suite: the real vernix.exe in network namespaces, on consoles and a desktop,
# its scenarios side by side (tests/accept/run.py).
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(VERNIX_ACCEPT ${Python3_EXECUTABLE} -W ignore::ResourceWarning
                  ${CMAKE_CURRENT_LIST_DIR}/../accept/run.py)
add_test(NAME acceptance COMMAND ${VERNIX_32BIT_ONLY} ${VERNIX_ACCEPT})
set_tests_properties(acceptance PROPERTIES TIMEOUT ${VERNIX_SUITE_LIMIT})

# The 32-bit vernix.exe on ReactOS, booted in qemu: real NDIS drivers, device names that NDIS
# leaves undefined. It starts no 32-bit program on this machine, so it is not skipped with them.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_test(NAME reactos COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/../reactos/stage.py)
  set_tests_properties(reactos PROPERTIES ENVIRONMENT "VERNIX_BUILD=${CMAKE_BINARY_DIR}"
                       SKIP_RETURN_CODE 77 TIMEOUT ${VERNIX_SUITE_LIMIT})
endif()

# The 64-bit and the 32-bit vernix.exe side by side, the other one taken from VERNIX_PEER_BUILD:
# a test of the 64-bit build that also starts the 32-bit one.
set(accept_tests acceptance)
if(VERNIX_PEER_BUILD)
  add_test(NAME both_builds COMMAND ${VERNIX_NEEDS32} ${VERNIX_ACCEPT} test_both_builds)
  set_tests_properties(both_builds PROPERTIES TIMEOUT ${VERNIX_TEST_LIMIT})
  list(APPEND accept_tests both_builds)
endif()
set_tests_properties(${accept_tests} PROPERTIES
  ENVIRONMENT "VERNIX_BUILD=${CMAKE_BINARY_DIR};VERNIX_PEER_BUILD=${VERNIX_PEER_BUILD}")
set_tests_properties(vernix_smoke tools_selftest ${accept_tests} PROPERTIES
  FIXTURES_REQUIRED wine_prefix SKIP_RETURN_CODE 77)
