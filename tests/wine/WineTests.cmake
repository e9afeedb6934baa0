# Windows-side tests. Built on Linux, CTest runs them under Wine, in a prefix of their own
# inside the build tree. Built on Windows, the test executables run as they are, and the tests
# that need Wine or Linux are left out.

if(NOT CMAKE_HOST_WIN32)
  set(VERNIX_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
  set(VERNIX_PREFIX_SH ${CMAKE_CURRENT_LIST_DIR}/prefix.sh)

  add_test(NAME wine_prefix_setup COMMAND sh ${VERNIX_PREFIX_SH} setup ${VERNIX_WINE_DIR})
  add_test(NAME wine_prefix_cleanup COMMAND sh ${VERNIX_PREFIX_SH} cleanup ${VERNIX_WINE_DIR})
  set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 180)
  set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine_prefix)
endif()

# A Windows test executable; they share one registry (and under Wine one prefix), so they run
# one at a time. A test process that dies half-way can leave exit status 0 under Wine: it
# passes only when GoogleTest's closing line says so.
function(vernix_windows_test name)
  add_test(NAME ${name} COMMAND ${name} ${ARGN})
  set_tests_properties(${name} PROPERTIES
    RESOURCE_LOCK wine_prefix TIMEOUT 120
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ test"
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
  if(NOT CMAKE_HOST_WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
  endif()
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
         "tools_selftest and the benchmark need Wine, Linux network namespaces or Xvfb")
  message(STATUS "Windows host: not added: ${skipped}")
  return()
endif()

add_test(NAME vernix_smoke
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/smoke.sh $<TARGET_FILE:vernix> ${VERNIX_WINE_DIR})
set_tests_properties(vernix_smoke PROPERTIES
  FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK wine_prefix TIMEOUT 60)

# The acceptance suite: the real vernix.exe in network namespaces, on consoles and a desktop.
# The scenarios that run both builds side by side take the other one from VERNIX_PEER_BUILD.
set(VERNIX_PEER_BUILD "" CACHE PATH "Build tree of the other architecture's vernix.exe")
find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_test(NAME acceptance
  COMMAND ${Python3_EXECUTABLE} -W ignore::ResourceWarning
          ${CMAKE_CURRENT_LIST_DIR}/../accept/run.py)
set_tests_properties(acceptance PROPERTIES
  ENVIRONMENT "VERNIX_BUILD=${CMAKE_BINARY_DIR};VERNIX_PEER_BUILD=${VERNIX_PEER_BUILD}"
  SKIP_RETURN_CODE 77 TIMEOUT 600
  RUN_SERIAL TRUE)
