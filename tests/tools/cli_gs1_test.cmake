# GS1-128 and the full GTINs from the command line: the short names, a
# refused check digit, and tavo decode reading a GS1-128 string back to its
# element strings.
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)

expect_output("translate;gs1-128;(01)09501101530003(17)250101(10)ABC123"
              "^\\\\xE9\\\\xE6\"\\*S,\"V!\\$2:\"\"\\+\\\\xE4\\\\xA1\\\\xA2\\\\xA3\\\\xF9\\\\x91\\\\x92\\\\xB7\\\\xEA\nlength 24\n$")
expect_exit("translate;gs1-128;(01)09501101530004" 1)
expect_exit("translate;gtin13;5901234123458" 1)
expect_output("translate;gtin13;5901234123457 12" "^&~9ab23e\\|BCDEFH\\*_=l@m_\nlength 22\n$")
expect_output("translate;upce8;11234562" "^\"~12de5g\\^\\\\xAD\nlength 10\n$")
# The font string of (01)09501101530003(10)ABC123(17)250101, read back.
expect_output("decode;gs1-128;\\xE9\\xE6\"*S,\"V!$+\\xE4\\xA1\\xA2\\xA3\\xF9\\xE38\\xE62:\"\"\\x8B\\xEA"
              "data: \"\\(01\\)09501101530003\\(10\\)ABC123\\(17\\)250101\"\n.*\nconsistent\n$")
expect_output("decode;upce8;\"~12de5g^\\xAD" "data: \"11234562\"")
# GS1 data read back is checked as the library checks a value: the SSCC's
# check digit is wrong (the encoder refuses it with 32537), so decode does not
# call the symbol consistent.
execute_process(COMMAND ${TAVO} decode gs1-128 "\\xE9\\xE6!-CYo{-CYo2\\xF2\\xF2\\xF2\\x87\\xEA"
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 1 OR NOT out MATCHES
   "data: \"\\(00\\)123456789012345678\\(17\\)999999\"\n.*check: GS1 element strings: 32537 [^\n]*WRONG\n.*not consistent\n$")
  message(FATAL_ERROR "tavo decode gs1-128 (wrong SSCC check digit): exit ${rc}\n${out}")
endif()
# A GS1 Data Matrix of 25 element strings is read back in the bracketed form
# of its value, which the library turns into this very text again.
set(dm_gs1 "(01)09501101530003(91)X1(92)X2(93)X3(94)X4(95)X5(96)X6(97)X7(98)X8(99)X9")
foreach(i RANGE 1 15)
  string(APPEND dm_gs1 "(91)X1")
endforeach()
execute_process(COMMAND ${TAVO} translate datamatrix "${dm_gs1}" --check-value 2
                OUTPUT_VARIABLE dm_text RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT dm_text MATCHES "^([^\n]+)\nlength")
  message(FATAL_ERROR "tavo translate datamatrix (25 GS1 elements): exit ${rc}")
endif()
set(dm_text "${CMAKE_MATCH_1}")  # with its escapes, as a user pastes it
execute_process(COMMAND ${TAVO} decode datamatrix "${dm_text}" OUTPUT_VARIABLE out RESULT_VARIABLE rc)
string(REPLACE "(" "\\(" dm_gs1_regex "${dm_gs1}")
string(REPLACE ")" "\\)" dm_gs1_regex "${dm_gs1_regex}")
if(NOT rc EQUAL 0 OR NOT out MATCHES "data: \"${dm_gs1_regex}\"\n.*GS1 element strings: valid.*with check 2\nconsistent\n$")
  message(FATAL_ERROR "tavo decode datamatrix (GS1): exit ${rc}\n${out}")
endif()
