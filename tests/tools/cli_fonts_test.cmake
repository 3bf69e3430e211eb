# The tavo tool: face names of the bar code fonts and the character check.
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)

expect_output("face;2;--height;H;--caption;--prefix;AB " "^AB I2of5 HC\n$")
expect_output("face;code93;--height;M;--caption" "^TAVO 93 MC\n$")
expect_output("face;code128" "^TAVO 128 L\n$")
expect_output("face;upca;--height;H;--caption" "^TAVO UPC EAN JAN\n$")
expect_output("face;postnet;--prefix=" "^POSTNET\n$")
# Codes printed in another's font answer with that font's face.
expect_output("face;code39ascii;--height;H" "^TAVO 39 H\n$")
expect_output("face;gs1-128;--caption" "^TAVO 128 LC\n$")
expect_output("face;gtin13" "^TAVO UPC EAN JAN\n$")
string(REPEAT "p" 600 long_prefix)
expect_output("face;1;--prefix;${long_prefix}" "^${long_prefix}39 L\n$")
expect_output("face;itf14;--height;M;--caption" "^TAVO ITF14 MC\n$")
expect_exit("face;22" 1)  # code 22 never gets a symbology
expect_exit("face;5;--height;X" 2)
expect_exit("face;1;--height" 2)
expect_exit("face" 2)

expect_output("check;code128;185;--alt" "^valid \"<FNC1> Alt 0185\"\n$")
expect_output("check;11;01;--alt" "^valid \"<SOH>  Alt 001\"\n$")
expect_output("check;11;A" "^valid \"A\"\n$")
expect_output("check;code39;32" "^valid \"<SP> \"\n$")
expect_output("check;codabar;A;--alt" "^valid \"<SS A> Alt 065\"\n$")
expect_output("check;i2of5;5" "^valid \"5\"\n$")
expect_output("check;22;x" "^valid \"x\"\n$")
expect_exit("check;2;A" 1)
expect_exit("check;11;256" 1)
expect_exit("check;-1;A" 1)
expect_exit("check;11" 2)
expect_exit("check;11;AB" 2)
expect_exit("check;11;A;--bogus" 2)
# Code 39 Full ASCII is typed in Code 39's characters; GS1-128 keeps its own
# rule (the GS1 set has no '#'), not Code 128's.
expect_output("check;code39ascii;C" "^valid \"C\"\n$")
expect_exit("check;gs1-128;#" 1)
expect_output("check;code128;#" "^valid \"#\"\n$")
