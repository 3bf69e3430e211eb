# Aztec Code through the tool: the named options, a PNG, and `tavo decode`
# reading the text back, counting a damaged codeword it mends and naming a
# damaged bullseye.
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)

# "TAVO" is compact with 1 layer: 15 modules and the margin, 9 blocks by 6 lines.
expect_output("translate;aztec;TAVO" "^[A-Za-z0-9#%]+(\\\\x0D\\\\x0A[A-Za-z0-9#%]+)+\nlength 64\n$")
expect_output("translate;aztec;TAVO;--size;5" "length 89\n$")
expect_output("translate;aztec;TAVO;--size;36" "length 4027\n$")
expect_output("translate;aztec;TAVO;--ec-percent;95" "length 284\n$")
expect_exit("translate;aztec;TAVO;--ec-percent;4" 2)
expect_exit("translate;aztec;TAVO;--size;37" 2)
expect_exit("translate;aztec;TAVO 0123456789 TAVO;--size;1" 1)

set(png ${CMAKE_CURRENT_BINARY_DIR}/cli_aztec_test.png)
file(REMOVE ${png})
expect_output("translate;aztec;https://example.com/;--png;${png}" "length")
if(NOT EXISTS ${png})
  message(FATAL_ERROR "tavo translate aztec --png wrote no picture")
endif()

execute_process(COMMAND ${TAVO} translate aztec "Z\\xC3\\xBCrich 2026" --raw OUTPUT_VARIABLE text RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tavo translate aztec --raw: exit ${rc}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")  # execute_process drops the CR of each CR LF
expect_output("decode;aztec;${text}" "data: \"Z\\\\xC3\\\\xBCrich 2026\".*no errors.*\nconsistent\n$")
# The second glyph of the second line drawn all dark (or all light): six
# modules of the outer layers, a few codewords mended, the data the same.
string(FIND "${text}" "\r\n" width)
math(EXPR at "${width} + 2 + 1")
string(SUBSTRING "${text}" ${at} 1 glyph)
if(glyph STREQUAL "%")
  set(other "A")
else()
  set(other "%")
endif()
string(SUBSTRING "${text}" 0 ${at} head)
math(EXPR rest "${at} + 1")
string(SUBSTRING "${text}" ${rest} -1 tail)
execute_process(COMMAND ${TAVO} decode aztec "${head}${other}${tail}" OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 1 OR NOT out MATCHES "data: \"Z\\\\xC3\\\\xBCrich 2026\"" OR NOT out MATCHES "[1-4] codewords corrected")
  message(FATAL_ERROR "tavo decode aztec (damaged codeword): exit ${rc}\n${out}")
endif()
# The middle line's middle glyph all light: the bullseye's centre is gone.
math(EXPR at "2 * (${width} + 2) + ${width} / 2")
string(SUBSTRING "${text}" 0 ${at} head)
math(EXPR rest "${at} + 1")
string(SUBSTRING "${text}" ${rest} -1 tail)
execute_process(COMMAND ${TAVO} decode aztec "${head}A${tail}" OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 1 OR NOT out MATCHES "damaged bullseye")
  message(FATAL_ERROR "tavo decode aztec (damaged bullseye): exit ${rc}\n${out}")
endif()
expect_exit("decode;aztec;AAAA" 1)
expect_exit("decode;aztec;not 2D text" 1)
