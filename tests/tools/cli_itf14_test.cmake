# ITF-14 from the command line: the font string, a refused check digit, the
# reading back, the face and a picture.
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)

set(itf14 "\\\\x99\\\\x97\\\\xAB\\\\xC4\\\\x93\\\\xC5\\\\xB8\\\\xF3\\\\xDB\\\\x98\\\\x9A")
expect_output("translate;itf14;1540014128876" "^${itf14}\nlength 11\n$")
expect_output("translate;20;15400141288763" "^${itf14}\nlength 11\n$")
expect_exit("translate;itf14;15400141288764" 1)
expect_exit("translate;itf14;154001412887" 1)
expect_output("decode;itf14;\\x99\\x97\\xAB\\xC4\\x93\\xC5\\xB8\\xF3\\xDB\\x98\\x9A"
              "LEFT BEARER.*data: \"1540014128876\"\ncheck: GS1 check digit: 3, expected 3: ok\n.*consistent\n$")
# The last pair 63 made 64: the check digit no longer fits.
expect_exit("decode;itf14;\\x99\\x97\\xAB\\xC4\\x93\\xC5\\xB8\\xF3\\xDC\\x98\\x9A" 1)
expect_output("face;itf14;--height;H;--prefix;TAVO " "^TAVO ITF14 H\n$")
expect_output("check;itf14;7" "^valid \"7\"\n$")
expect_exit("check;itf14;A" 1)

string(RANDOM LENGTH 12 tag)
set(dir ${CMAKE_CURRENT_BINARY_DIR}/cli-itf14-${tag})
file(MAKE_DIRECTORY ${dir})
expect_output("translate;itf14;1540014128876;--png;${dir}/itf14.png;--caption" "length 11")
if(NOT EXISTS ${dir}/itf14.png)
  message(FATAL_ERROR "tavo translate itf14 --png wrote no picture")
endif()
file(REMOVE_RECURSE ${dir})
