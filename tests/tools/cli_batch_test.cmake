# tavo batch as a user runs it: files, a pipe, exit statuses, messages.
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)
if(NOT WORK)
  set(WORK ${CMAKE_CURRENT_BINARY_DIR}/cli_batch_test)
endif()
file(MAKE_DIRECTORY ${WORK})

function(batch args input out_var err_var rc_var)
  file(WRITE ${WORK}/in.csv "${input}")
  execute_process(COMMAND ${TAVO} batch ${args} INPUT_FILE ${WORK}/in.csv
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
  set(${rc_var} "${rc}" PARENT_SCOPE)
endfunction()

function(expect what got want)
  if(NOT "${got}" STREQUAL "${want}")
    message(FATAL_ERROR "${what}: got\n[${got}]\nwanted\n[${want}]")
  endif()
endfunction()

# Standard input to standard output, by short name and by code.
batch("postnet;--column;zip" "name,zip\nAnn,12345\n" out err rc)
expect("pipe" "${out}" "name,zip,zip font\nAnn,12345,*123455*\n")
expect("pipe status" "${rc}" "0")
expect("count" "${err}" "tavo: reading the input as utf-8 (no byte order mark; the text is valid UTF-8)\ntavo: 1 row translated, 0 empty, 0 failed\n")
batch("8;--column;zip;-i;-;-o;-" "zip\n12345\n" out err rc)
expect("- for stdin and stdout" "${out}" "zip,zip font\n12345,*123455*\n")

# Files; a failing row: empty cell, message, exit status 1.
file(WRITE ${WORK}/list.csv "zip\n12345\nabcde\n12345-6789\n")
execute_process(COMMAND ${TAVO} batch postnet --column zip -i ${WORK}/list.csv -o ${WORK}/out.csv
                ERROR_VARIABLE err RESULT_VARIABLE rc)
file(READ ${WORK}/out.csv out)
expect("files" "${out}" "zip,zip font\n12345,*123455*\nabcde,\n12345-6789,*1234567895*\n")
expect("failing row status" "${rc}" "1")
if(NOT err MATCHES "\nrow 3, column \"zip\": 32507 ERROR: Illegal character[^\n]*\ntavo: 2 rows translated, 0 empty, 1 failed\n$")
  message(FATAL_ERROR "failing row report: ${err}")
endif()

# --check reaches the library: MSI's second check digit.
batch("msi;--column;v" "v\n1234567\n" out err rc)
batch("msi;--column;v;--check" "v\n1234567\n" out2 err rc)
string(LENGTH "${out}" n1)
string(LENGTH "${out2}" n2)
math(EXPR diff "${n2} - ${n1}")
expect("--check adds a digit" "${diff}" "1")

# Runs that cannot be done: exit status 2 and a message naming the fault.
batch("postnet;--column;ZIPCODE" "zip\n12345\n" out err rc)
expect("missing column status" "${rc}" "2")
if(NOT err MATCHES "no column \"ZIPCODE\"")
  message(FATAL_ERROR "missing column message: ${err}")
endif()
batch("postnet;--column;zip;--output-column;zip" "zip\n12345\n" out err rc)
expect("collision status" "${rc}" "2")
batch("nosuch;--column;zip" "zip\n" out err rc)
expect("unknown symbology" "${rc}" "2")
batch("99;--column;zip" "zip\n" out err rc)
expect("symbology code the library does not know" "${rc}" "2")
batch("postnet" "zip\n" out err rc)
expect("no --column" "${rc}" "2")

# The output never destroys the input: the same file by another name, a
# symbolic link or a hard link is refused, and the input stays whole.
file(WRITE ${WORK}/list.csv "zip\n12345\n")
file(REMOVE ${WORK}/link.csv ${WORK}/hard.csv)
file(CREATE_LINK ${WORK}/list.csv ${WORK}/link.csv SYMBOLIC)
file(CREATE_LINK ${WORK}/list.csv ${WORK}/hard.csv)
foreach(out ${WORK}/list.csv ${WORK}/./list.csv ${WORK}/link.csv ${WORK}/hard.csv)
  execute_process(COMMAND ${TAVO} batch postnet --column zip -i ${WORK}/list.csv -o ${out}
                  OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE rc)
  expect("output over input refused (${out})" "${rc}" "2")
  if(NOT err MATCHES "is the input file")
    message(FATAL_ERROR "output over input: ${err}")
  endif()
  file(READ ${WORK}/list.csv kept)
  expect("input kept (${out})" "${kept}" "zip\n12345\n")
endforeach()
# --in-place replaces it through a temporary file; a link keeps pointing at it.
execute_process(COMMAND ${TAVO} batch postnet --column zip -i ${WORK}/link.csv --in-place
                OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE rc)
expect("--in-place status" "${rc}" "0")
file(READ ${WORK}/list.csv replaced)
expect("--in-place" "${replaced}" "zip,zip font\n12345,*123455*\n")
file(READ ${WORK}/link.csv through_link)
expect("the link still points at the file" "${through_link}" "${replaced}")
file(GLOB leftovers ${WORK}/.*.tavo-*)
expect("no temporary file left" "${leftovers}" "")

# A run that cannot be done leaves an existing output as it was.
file(WRITE ${WORK}/old.csv "precious\n")
execute_process(COMMAND ${TAVO} batch postnet --column nosuch -i ${WORK}/list.csv -o ${WORK}/old.csv
                OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE rc)
expect("failed run status" "${rc}" "2")
file(READ ${WORK}/old.csv old)
expect("existing output untouched" "${old}" "precious\n")
execute_process(COMMAND ${TAVO} batch postnet --column zip -i ${WORK}/none.csv
                OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE rc)
expect("missing input file" "${rc}" "2")

file(WRITE ${WORK}/old.csv "zip\n12345\n")
# An output that is no regular file is written, never replaced: /dev/null
# stays the device.
execute_process(COMMAND ${TAVO} batch postnet --column zip -i ${WORK}/old.csv -o /dev/null --empty keep
                OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE rc)
expect("-o /dev/null" "${rc}" "0")
execute_process(COMMAND test -c /dev/null RESULT_VARIABLE rc)
expect("/dev/null is still a character device" "${rc}" "0")

# A pipe is judged by its first MiB: text that is not UTF-8 after it stops
# the run (exit 2) instead of being written in two encodings.
string(REPEAT "Ann,12345\n" 120000 rows)
file(WRITE ${WORK}/late.csv "n,zip\n${rows}")
execute_process(COMMAND sh -c "printf 'M\\374ller,12345\\n' >> '${WORK}/late.csv'")  # 0xFC: u umlaut in Windows-1252
execute_process(COMMAND sh -c "cat '${WORK}/late.csv' | '${TAVO}' batch postnet --column zip"
                OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE rc)
expect("a pipe that turns out not UTF-8" "${rc}" "2")
if(NOT err MATCHES "give --encoding windows-1252")
  message(FATAL_ERROR "pipe not UTF-8: ${err}")
endif()
execute_process(COMMAND sh -c "cat '${WORK}/late.csv' | '${TAVO}' batch postnet --column zip --encoding windows-1252 | wc -l"
                OUTPUT_VARIABLE lines ERROR_QUIET RESULT_VARIABLE rc)
string(STRIP "${lines}" lines)
expect("every row through the pipe" "${lines}" "120002")
