# QR Code through the tool: the level options, a PNG, and `tavo decode`
# reading the text back (data, level and mask), naming a damaged block and
# refusing text that is no 2D font text.
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)

# "TAVO" at M is version 1: 29 modules with the quiet zone, 15 blocks by 10 lines.
expect_output("translate;qr;TAVO" "^A+(\\\\x0D\\\\x0A[A-Za-z0-9#%]+)+\nlength 168\n$")
expect_output("translate;qr;TAVO;--level;H" "length 168\n$")
expect_output("translate;qr;TAVO 0123456789 TAVO 0123456789;--level;H" "length 271\n$")
expect_exit("translate;qr;TAVO;--level;X" 2)
expect_output("error;32561" "^ERROR: Invalid check option for this symbology.\n$")

set(png ${CMAKE_CURRENT_BINARY_DIR}/cli_qr_test.png)
file(REMOVE ${png})
expect_output("translate;qr;https://example.com/;--png;${png}" "length")
if(NOT EXISTS ${png})
  message(FATAL_ERROR "tavo translate qr --png wrote no picture")
endif()

execute_process(COMMAND ${TAVO} translate qr "Z\\xC3\\xBCrich" --level Q --raw OUTPUT_VARIABLE text RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tavo translate qr --raw: exit ${rc}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")  # execute_process drops the CR of each CR LF
expect_output("decode;qr;${text}"
              "21 x 21 modules.*data: \"Z\\\\xC3\\\\xBCrich\".*version 1-Q, mask [0-7], ECI 26.*with check 3\nconsistent\n$")
# A block glyph in the middle of the symbol drawn all dark (or all light): data codewords change.
string(FIND "${text}" "\r\n" width)
math(EXPR at "5 * (${width} + 2) + 7")
string(SUBSTRING "${text}" ${at} 1 glyph)
if(glyph STREQUAL "%")
  set(other "A")
else()
  set(other "%")
endif()
string(SUBSTRING "${text}" 0 ${at} head)
math(EXPR rest "${at} + 1")
string(SUBSTRING "${text}" ${rest} -1 tail)
execute_process(COMMAND ${TAVO} decode qr "${head}${other}${tail}" OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 1 OR NOT out MATCHES "fault: block 1 of 1 fails its error correction check")
  message(FATAL_ERROR "tavo decode qr (damaged): exit ${rc}\n${out}")
endif()
expect_exit("decode;qr;AAAA" 1)
expect_exit("decode;qr;not 2D text" 1)

# GS1 (check 8 + level) and Kanji mode (check 32 + level): decode names FNC1
# and Kanji mode, shows GS1 data bracketed and the check value that gives
# the string back.
foreach(case "(01)09501101530003(10)AB%12(17)251231|9|data: \"\\(01\\)09501101530003\\(10\\)AB%12\\(17\\)251231\".*FNC1 in first position: GS1|GS1 element strings: valid.*with check 9"
             "\\xE6\\x9D\\xB1\\xE4\\xBA\\xAC 2026|34|data: \"\\\\xE6\\\\x9D\\\\xB1\\\\xE4\\\\xBA\\\\xAC 2026\"|Kanji mode.*with check 32")
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 value)
  list(GET parts 1 check)
  list(GET parts 2 data)
  list(GET parts 3 rest)
  execute_process(COMMAND ${TAVO} translate qr "${value}" --check-value ${check} --raw OUTPUT_VARIABLE text
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "tavo translate qr ${value} --check-value ${check}: exit ${rc}")
  endif()
  string(REPLACE "\n" "\r\n" text "${text}")
  execute_process(COMMAND ${TAVO} decode qr "${text}" OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "${data}" OR NOT out MATCHES "${rest}\nconsistent\n$")
    message(FATAL_ERROR "tavo decode qr (check ${check}): exit ${rc}\n${out}")
  endif()
endforeach()
expect_exit("translate;qr;(01)09501101530004;--check-value;8" 1)
