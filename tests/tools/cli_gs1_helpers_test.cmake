# tavo gs1: each helper's answer, and its exit status and message when the
# library refuses the input (1) or the command line is wrong (2).
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)

expect_output("gs1;hri;[01]09501101530003[10]A(1)" "^\\(01\\)09501101530003\\(10\\)A\\(1\\)\n$")
expect_output("gs1;check-digit;950110153000" "^3\n$")
expect_output("gs1;check-digit;9501101530003;--verify" "^valid\n$")
expect_output("gs1;dl;(01)09506000134352(17)251231(10)AB/1"
              "^https://id\\.gs1\\.org/01/09506000134352/10/AB%2F1\\?17=251231\n$")
expect_output("gs1;dl;(00)106141411234567897;--domain;https://example.com/"
              "^https://example\\.com/00/106141411234567897\n$")
expect_output("gs1;parse-dl;https://a/x/01/09506000134352/10/AB%281?17=251231"
              "^\\(01\\)09506000134352\\(10\\)AB\\\\\\(1\\(17\\)251231\n$")

# refused(ARGS STATUS REGEX): exit status and the message on stderr.
function(refused args status regex)
  execute_process(COMMAND ${TAVO} ${args} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL status OR NOT err MATCHES "${regex}" OR NOT out STREQUAL "")
    message(FATAL_ERROR "tavo ${args}: exit ${rc}, wanted ${status}\n${out}${err}")
  endif()
endfunction()
refused("gs1;hri;(01)09501101530004" 1 "^tavo: gs1 hri \"\\(01\\)09501101530004\": 32537 ERROR: ")
refused("gs1;check-digit;9501101530004;--verify" 1 "9501101530004\": 32547 ")
refused("gs1;dl;(410)9501101020917" 1 ": 32570 ERROR: GS1 Digital Link")
refused("gs1;dl;(00)106141411234567897;--domain;ftp://x" 1 ": 32573 ")
refused("gs1;parse-dl;https://a/01/09506000134352/21/S/22/V" 1 ": 32571 ")
refused("gs1" 2 "^tavo: gs1: which helper")
refused("gs1;qr;x" 2 "unknown helper qr")
refused("gs1;hri" 2 "hri takes one argument")
refused("gs1;dl;(00)106141411234567897;--domain" 2 "--domain takes a value")
refused("gs1;hri;(00)106141411234567897;--domain;https://x" 2 "option not taken by hri")
refused("gs1;dl;(00)106141411234567897;--verbose" 2 "unknown option --verbose")
