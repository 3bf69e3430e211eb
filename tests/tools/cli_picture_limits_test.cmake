# Pictures too large to draw, and memory running out while drawing: the tool
# says so and exits with status 2, leaving no file, nor a part of one, behind
# (an older picture of the same name stays as it was).  Links are written
# through.
include(${CMAKE_CURRENT_LIST_DIR}/cli_common.cmake)

set(out ${CMAKE_CURRENT_BINARY_DIR}/cli_picture_limits_out)
file(REMOVE_RECURSE ${out})
file(MAKE_DIRECTORY ${out})
string(REPEAT "A" 2000 value)

# run_refused(NAME ARGS STDERR_REGEX [LIMIT_KB]): runs tavo, with the virtual
# memory limited to LIMIT_KB when given; wants exit 2, the message, and
# ${out}/NAME untouched.
function(run_refused name args regex)
  file(WRITE ${out}/${name} "older picture")
  set(command ${TAVO} ${args})
  if(ARGC GREATER 3)
    list(JOIN command "\" \"" quoted)
    set(command sh -c "ulimit -v ${ARGV3} && exec \"${quoted}\"")
  endif()
  execute_process(COMMAND ${command} OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE rc)
  # A sanitized tool may not even load under the limit (its runtime's
  # segments cannot be mapped).
  if(err MATCHES "Sanitizer" OR TAVO_SANITIZED)
    message(STATUS "${name}: skipped under a sanitizer, which cannot run with a memory limit")
    return()
  endif()
  if(NOT rc EQUAL 2 OR NOT err MATCHES "${regex}")
    message(FATAL_ERROR "tavo ${args}: exit ${rc}, wanted 2 and ${regex}; stderr:\n${err}")
  endif()
  file(READ ${out}/${name} kept)
  file(GLOB left ${out}/*.tmp*)
  if(NOT kept STREQUAL "older picture" OR left)
    message(FATAL_ERROR "tavo ${args}: the older ${name} was touched or a part was left: ${left}")
  endif()
endfunction()

# 2,000 Code 39 characters at 100 pixels a module and 1,000 modules high would
# be 3,205,100 x 100,400 pixels: refused with the sizes, before any drawing.
run_refused(big.png "translate;code39;${value};--png;${out}/big.png;--module;100;--height;1000"
            "3205100 x 100400 pixels; at most 100 million")
# The SVG of the same request is small and is not written either.
run_refused(big.svg "translate;code39;${value};--svg;${out}/big.svg;--png;${out}/big.png;--module;100"
            "at most 100 million")
# 88 million pixels are allowed, but not in 60 MB of address space.
run_refused(oom.png "translate;code39;${value};--png;${out}/oom.png;--module;3;--height;300"
            "^tavo: out of memory\n$" 60000)

# A picture within the bound is drawn and replaces the older one whole.
file(WRITE ${out}/ok.png "older picture")
expect_output("translate;code39;${value};--png;${out}/ok.png;--module;1;--height;20" "length 2002")
file(READ ${out}/ok.png signature LIMIT 8 HEX)
file(GLOB left ${out}/*.tmp*)
if(NOT signature STREQUAL "89504e470d0a1a0a" OR left)
  message(FATAL_ERROR "ok.png is no PNG (${signature}) or a part was left: ${left}")
endif()

# A symbolic link is written through, not replaced; a link to what is no
# regular file (here /dev/null) is written in place.
file(WRITE ${out}/real.svg "older picture")
file(CREATE_LINK real.svg ${out}/link.svg SYMBOLIC)
file(CREATE_LINK /dev/null ${out}/null.svg SYMBOLIC)
expect_output("translate;code39;AB;--svg;${out}/link.svg" "length 4")
expect_output("translate;code39;AB;--svg;${out}/null.svg" "length 4")
file(READ ${out}/real.svg svg)
if(NOT IS_SYMLINK ${out}/link.svg OR NOT IS_SYMLINK ${out}/null.svg OR NOT svg MATCHES "^<\\?xml")
  message(FATAL_ERROR "a link was replaced, or real.svg not written through it: ${svg}")
endif()
file(REMOVE_RECURSE ${out})
