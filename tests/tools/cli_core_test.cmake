# The tavo tool: translation of Code 39 Full ASCII, messages, versions, usage errors.
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)

expect_output("translate;code39ascii;Code 39;--check" "^\\*C\\+O\\+D\\+E_39L\\*\nlength 13\n$")
expect_output("translate;0;A\\x09B;--check" "^\\*A\\$IBZ\\*\n")
expect_output("translate;0;back\\\\slash" "^\\*\\+B\\+A\\+C\\+K%L\\+S\\+L\\+A\\+S\\+H\\*\n")
expect_output("error;32505" "^ERROR: Illegal character for this symbology.\n$")
expect_output("error;40000" "^ERROR: Unknown error.\n$")
expect_output("version" "translation 9611080\nfile 3.1.8\n")
expect_exit("translate;0;\\xC8" 1)
expect_exit("translate;nosuch;1" 2)
expect_exit("translate;0;\\xZZ" 2)
expect_exit("frobnicate" 2)
expect_exit("" 2)
