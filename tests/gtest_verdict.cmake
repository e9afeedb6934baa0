# cmake -P gtest_verdict.cmake COMMAND...: runs a GoogleTest executable (through Wine, where
# COMMAND says so) and passes only when it exits 0 and GoogleTest says PASSED and not FAILED.
# Under Wine a test process that dies half-way may still exit 0, and one that crashes after its
# PASSED line (in a destructor at exit, in a fixture's teardown) exits non-zero: neither passes.
set(command)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(index RANGE 3 ${last})
  string(REPLACE ";" "\\;" argument "${CMAKE_ARGV${index}}")   # one argument, even with a ;
  list(APPEND command "${argument}")
endforeach()
execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_VARIABLE output
                ERROR_VARIABLE output)
message("${output}")
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "the test executable ended with status ${status}")
elseif(output MATCHES "\\[  FAILED  \\]")
  message(FATAL_ERROR "GoogleTest reports a failed test")
elseif(NOT output MATCHES "\\[  PASSED  \\] [0-9]+ test")
  message(FATAL_ERROR "the test executable ended without GoogleTest's PASSED line")
endif()
