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
