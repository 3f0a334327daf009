# Starts the program in ENVIRONMENT (arguments to `cmake -E env`) where no display can be used
# and expects exactly the program's one line on standard error and exit status 2; passes that
# line on for the test's own expectation.
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${ENVIRONMENT} ${PROGRAM}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 20)
if(NOT status STREQUAL "2" OR NOT out STREQUAL "" OR NOT err MATCHES "^vodazi: no display found[^\n]*\n$")
  message(FATAL_ERROR "exit status ${status}, standard output [${out}], standard error [${err}]")
endif()
message("${err}")
