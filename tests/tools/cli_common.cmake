# Helpers for the CLI checks: run the tavo tool the way a user would.
function(expect_output args regex)
  execute_process(COMMAND ${TAVO} ${args} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "tavo ${args}: exit ${rc}\n${err}")
  endif()
  if(NOT out MATCHES "${regex}")
    message(FATAL_ERROR "tavo ${args}: got\n${out}\nwanted ${regex}")
  endif()
endfunction()

function(expect_exit args code)
  execute_process(COMMAND ${TAVO} ${args} OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE rc)
  if(NOT rc EQUAL ${code})
    message(FATAL_ERROR "tavo ${args}: exit ${rc}, wanted ${code}")
  endif()
endfunction()

