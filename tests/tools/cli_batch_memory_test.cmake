# tavo batch keeps its peak memory under 64 MiB whatever the input: a cell
# of 60 MiB (in the value column and in another) and a million rows.  The
# peak is the maximum resident set size GNU time reports.
# A sanitizer's shadow memory and allocator alone come near the bound (60 MiB
# for the 60 MiB cell with no quarantine, against 12 MiB without a
# sanitizer), so the bound is held where it means something: in the build
# without one.
if(TAVO_SANITIZED)
  message(STATUS "skipped under a sanitizer, whose own memory the peak would measure")
  return()
endif()
if(NOT WORK)
  set(WORK ${CMAKE_CURRENT_BINARY_DIR}/cli_batch_memory_test)
endif()
file(MAKE_DIRECTORY ${WORK})
find_program(GNU_TIME time PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)

# make_input(NAME SHELL-COMMAND): the input file, written by a shell pipeline.
function(make_input name command)
  execute_process(COMMAND sh -c "${command} > ${WORK}/${name}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot make ${name}")
  endif()
endfunction()

# peak(NAME STATUS ARGS...): runs tavo batch ARGS on NAME, wants STATUS and a
# peak under 64 MiB.
function(peak name status)
  execute_process(COMMAND ${GNU_TIME} -f "%M" -o ${WORK}/${name}.kb ${TAVO} batch ${ARGN}
                          -i ${WORK}/${name} -o ${WORK}/${name}.out
                  OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL status)
    message(FATAL_ERROR "${name}: exit ${rc}, wanted ${status}\n${err}")
  endif()
  file(STRINGS ${WORK}/${name}.kb kb REGEX "^[0-9]+$")
  message(STATUS "${name}: ${kb} KiB at peak")
  if(kb GREATER 65536)
    message(FATAL_ERROR "${name}: ${kb} KiB at peak, more than 64 MiB")
  endif()
  file(SIZE ${WORK}/${name} in_size)
  file(SIZE ${WORK}/${name}.out out_size)
  if(out_size LESS in_size)
    message(FATAL_ERROR "${name}: the output (${out_size} bytes) lost some of the input (${in_size})")
  endif()
endfunction()

set(sixty "head -c 62914560 /dev/zero | tr '\\\\0' 1")
make_input(cell_value.csv "{ printf 'ean13,name\\n'; ${sixty}; printf ',x\\n5901234123457,y\\n'; }")
peak(cell_value.csv 1 gtin13 --column ean13)
make_input(cell_other.csv "{ printf 'ean13,name\\n5901234123457,\"'; ${sixty}; printf '\"\\n'; }")
peak(cell_other.csv 0 gtin13 --column ean13)
make_input(rows.csv "awk 'BEGIN { print \"n,imb\"; for (i = 0; i < 1000000; i++) printf \"%d,00270123456%09d\\n\", i, i }'")
peak(rows.csv 0 imb --column imb)
file(REMOVE ${WORK}/cell_value.csv ${WORK}/cell_value.csv.out ${WORK}/cell_other.csv ${WORK}/cell_other.csv.out
     ${WORK}/rows.csv ${WORK}/rows.csv.out)
