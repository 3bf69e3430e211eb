# The tavo tool's manners: names and options in any spelling, errors that name
# the bad input and suggest the nearest, one line of usage after an error,
# --version, the full-number hint, face names with the installed prefix.

# Runs tavo with `args` (a ;-list) and checks the exit status, standard output
# and standard error against regular expressions ("" matches anything).
function(expect args status out_regex err_regex)
  execute_process(COMMAND ${TAVO} ${args} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL status OR NOT out MATCHES "${out_regex}" OR NOT err MATCHES "${err_regex}")
    message(FATAL_ERROR "tavo ${args}: exit ${rc} (wanted ${status})\nstdout: ${out}\nstderr: ${err}\n"
                        "wanted stdout ${out_regex}\nand stderr ${err_regex}")
  endif()
endfunction()

# Two command lines print the same font string.
function(expect_same args other)
  execute_process(COMMAND ${TAVO} ${args} OUTPUT_VARIABLE a RESULT_VARIABLE rc_a)
  execute_process(COMMAND ${TAVO} ${other} OUTPUT_VARIABLE b RESULT_VARIABLE rc_b)
  if(NOT rc_a EQUAL 0 OR NOT rc_b EQUAL 0 OR NOT a STREQUAL b)
    message(FATAL_ERROR "tavo ${args} (exit ${rc_a}):\n${a}\ndiffers from tavo ${other} (exit ${rc_b}):\n${b}")
  endif()
endfunction()

# A usage error: its reason on one line, then one line of usage, exit status 2.
set(one_usage_line "\nusage: tavo [^\n]*\n$")

# Unknown names, with the nearest suggested (an exchange of two letters is one
# edit), and option values and options a symbology lacks.
foreach(row
    "translate|qr|HI|--levl|H@unknown option --levl \\(did you mean --level\\?\\)"
    "translate|code39|A|--chekc@unknown option --chekc \\(did you mean --check\\?\\)"
    "translate|ean31|1@unknown symbology 'ean31' \\(did you mean ean13\\?\\)"
    "translate|EAN-31|1@unknown symbology 'EAN-31' \\(did you mean ean13\\?\\)"
    "translate|qrcod|1@unknown symbology 'qrcod' \\(did you mean qr\\?\\)"
    "translate|datamatirx|1@'datamatirx' \\(did you mean datamatrix\\?\\)"
    "translate|qr|HI|--level|X@--level of qr takes L\\|M\\|Q\\|H, not 'X'"
    "translate|dm|HI|--shape=round@--shape of datamatrix takes square\\|rect, not 'round'"
    "translate|code93|A|--check@code93 has no optional check character, and no options"
    "translate|qr|A|--check@qr has no optional check character. its options: --level L\\|M\\|Q\\|H"
    "translate|code39|A|--level|H@code39 has no option --level. its options: --check-digit"
    "translate|qr|A|--check-value|4294967300@--check-value takes a whole number, not '4294967300'"
    "translate|99|A|--level|H@symbology 99 has no row in the registry"
    "translate|qr@translate takes SYMBOLOGY and VALUE \\(given: 'qr'\\)"
    "translate|code39|A\\q@malformed escape '\\\\q' at byte 2 in VALUE"
    "translate|code39|AB\\x4@malformed escape '\\\\x4' at byte 3 in VALUE"
    "check|code39|xy@CHAR is one character or a decimal code, not 'xy'"
    "list|extra@list takes no arguments \\(given: 'extra'\\)"
    "translate|qr|A|--module|0@--module takes [^\n]*, not '0'"
    "frobnicate@unknown command 'frobnicate'")
  string(REPLACE "@" ";" parts "${row}")
  list(GET parts 0 args)
  list(GET parts 1 why)
  string(REPLACE "|" ";" args "${args}")
  expect("${args}" 2 "^$" "^tavo: [^\n]*${why}[^\n]*${one_usage_line}")
endforeach()

# Names and options in any case and spelling, aliases, and the named options
# against the check argument they stand for.
expect_same("translate;EAN-13;590123412345" "translate;ean13;590123412345")
expect_same("translate;jan_13;590123412345" "translate;ean13;590123412345")
expect_same("translate;QR Code;HI;--LEVEL=h" "translate;qr;HI;--check-value;4")
expect_same("translate;qr;HI;--level;L" "translate;qr;HI;--check-value;1")
expect_same("translate;dm;(01)09501101530003;--gs1;--shape;rect" "translate;datamatrix;(01)09501101530003;--check-value;3")
expect_same("translate;Data-Matrix;HI;--Shape;RECT" "translate;datamatrix;HI;--check-value;1")
expect_same("translate;code39;ABC;--check" "translate;code39;ABC;--check-digit")
expect_same("translate;code39;ABC;--check-digit=on" "translate;code39;ABC;--check-value;1")
expect_same("translate;code39;ABC;--check-digit=off" "translate;code39;ABC")
expect_same("translate;msi;1234;--check" "translate;MSI-Plessey;1234;--check-value;1")

# "--" ends the flags: a value may begin with "--" or "-".
expect("translate;code128;--;--level" 0 "^\\\\xE8\\\\x8C\\\\x8C\\\\xCC\\\\xC5\\\\xD6\\\\xC5\\\\xCC\\\\xC2\\\\xEA\nlength 10\n$" "^$")
expect("translate;--check;code39;--;--" 0 "^`--[^\n]*~\nlength 5\n$" "^$")
expect("translate;code39;-AB" 0 "^`-AB~\nlength 5\n$" "^$")

# --version, the full-number hint after a library error, face names.
expect("--version" 0 "^translation [0-9]+\nfile [0-9]+\\.[0-9]+\\.[0-9]+\n$" "^$")
expect("translate;ean13;5901234123457" 1 "^$"
       "^tavo: 32503 [^\n]*\ntavo: hint: 13 digits with their check digit are a full number: use gtin13\n$")
expect("translate;upca;036000291452" 1 "^$" "\ntavo: hint: 12 digits [^\n]*use gtin12\n$")
expect("translate;ean13;12345" 1 "^$" "^tavo: 32503 [^\n]*\n$")
expect("face;ean13" 0 "^TAVO UPC EAN JAN\n$" "^$")
expect("face;code39ascii;--height;M" 0 "^TAVO 39 M\n$" "^$")
expect("face;qr;--prefix;My " 0 "^My QR\n$" "^$")
