# Every generated font passes the OpenType Sanitizer, the checker browsers
# run before they use a font (tables, offsets, cmap and glyph data).
# As many as the manifest lists: one per face of the registry (`tavo list`).
file(GLOB fonts ${FONT_DIR}/*.ttf)
list(LENGTH fonts count)
file(STRINGS ${FONT_DIR}/fonts.manifest listed REGEX "^[^#]")
list(LENGTH listed wanted)
if(NOT count EQUAL wanted OR count LESS 39)
  message(FATAL_ERROR "${count} fonts in ${FONT_DIR}, wanted the ${wanted} of the manifest (39 or more)")
endif()
foreach(font IN LISTS fonts)
  execute_process(COMMAND ${OTS} ${font} ${SCRATCH} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${font}: ots-sanitize exit ${rc}\n${out}${err}")
  endif()
endforeach()
