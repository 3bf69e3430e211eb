# Every generated font passes the OpenType Sanitizer, the checker browsers
# run before they use a font (tables, offsets, cmap and glyph data).
file(GLOB fonts ${FONT_DIR}/*.ttf)
list(LENGTH fonts count)
if(NOT count EQUAL 39)
  message(FATAL_ERROR "${count} fonts in ${FONT_DIR}, wanted 39")
endif()
foreach(font IN LISTS fonts)
  execute_process(COMMAND ${OTS} ${font} ${SCRATCH} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${font}: ots-sanitize exit ${rc}\n${out}${err}")
  endif()
endforeach()
