# The tavo tool: Code 93 and PostNet translations and their errors.
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)

expect_output("translate;code93;TEST93" "^}\\\\xD4\\\\xC5\\\\xD3\\\\xD4\\\\xB9\\\\xB3\\\\xAB\\\\xB6~\nlength 10\n$")
expect_output("translate;5;F" "^}\\\\xC6\\\\xC6{~\nlength 5\n$")
expect_output("translate;code93;4Z" "^}\\\\xB4\\\\xDAy\\\\xD6~\nlength 6\n$")
expect_output("translate;postnet;12345-6789" "^\\*1234567895\\*\nlength 12\n$")
expect_output("translate;8;12345 6789 01" "^\\*123456789014\\*\nlength 14\n$")
expect_exit("translate;code93;A\\xC8" 1)
expect_exit("translate;postnet;1234" 1)
expect_exit("translate;postnet;123456789012" 1)
expect_exit("translate;postnet;1234a" 1)
