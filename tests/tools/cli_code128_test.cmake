# The tavo tool on Code 128: function characters and NUL typed as escapes.
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)

# Set B throughout: 232 163 207 196 197 243 249 145 151 192 234.
expect_output("translate;code128;Code 128"
              "^\\\\xE8\\\\xA3\\\\xCF\\\\xC4\\\\xC5\\\\xF3\\\\xF9\\\\x91\\\\x97\\\\xC0\\\\xEA\nlength 11\n$")
# \F1 then 1: no run, FNC1 in set B (232 230 249 162 234).
expect_output("translate;code128;\\F11" "^\\\\xE8\\\\xE6\\\\xF9\\\\xA2\\\\xEA\nlength 5\n$")
# \F1 then 0112345: Start C, FNC1, pairs 01 12 34 (" - C), CODE B, 5.
expect_output("translate;code128;\\F10112345"
              "^\\\\xE9\\\\xE6\"-C\\\\xE4\\\\x94\\\\xD0\\\\xEA\nlength 9\n$")
# \0 is NUL as data: Start B, CODE A, NUL (232 229 192 151 234).
expect_output("translate;code128;\\0" "^\\\\xE8\\\\xE5\\\\xC0\\\\x97\\\\xEA\nlength 5\n$")
expect_exit("translate;code128;A\\xC8" 1)
