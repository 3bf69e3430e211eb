# Picks the export definitions of tavo32.dll for the target: sets TAVO_DEF
# and TAVO_DEF_LINK_OPTIONS.
# res/tavo32.def is the one list of names and ordinals.  Its names carry the
# 32-bit stdcall decoration (BC_StrErr@12) that 32-bit callers link against.
# 64-bit Windows has a single calling convention and no decoration, so the
# 64-bit build reads the same list with "@bytes" cut from every name; the
# ordinals stay as they are.
set(TAVO_DEF_SOURCE ${CMAKE_CURRENT_LIST_DIR}/tavo32.def)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TAVO_DEF_SOURCE})

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  file(READ ${TAVO_DEF_SOURCE} def_text)
  # Comment lines describe the decoration; leave them behind.
  string(REGEX REPLACE "(^|\n)[ \t]*;[^\n]*" "" def_text "${def_text}")
  string(REGEX REPLACE "^\n+" "" def_text "${def_text}")
  # NAME@24 -> NAME.  An ordinal ("@6") follows blanks, never a name character.
  string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" def_text "${def_text}")
  set(TAVO_DEF ${CMAKE_BINARY_DIR}/generated/tavo32.def)
  file(CONFIGURE OUTPUT ${TAVO_DEF} CONTENT
"; Exports of the 64-bit tavo32.dll, written from res/tavo32.def with the 32-bit
; stdcall decoration removed: the same names and ordinals.
${def_text}" @ONLY)
else()
  set(TAVO_DEF ${TAVO_DEF_SOURCE})
endif()

# TAVO_DEF_LINK_OPTIONS: every export marked as referenced (ld -u).  Only the
# linker reads the .def, so with link-time optimisation the compiler sees no
# caller of the exported functions and may drop them, leaving export table
# entries that point at nothing.  The names come from the same list; 32-bit C
# symbols carry a leading underscore.
set(TAVO_DEF_LINK_OPTIONS)
file(STRINGS ${TAVO_DEF} def_lines REGEX "^[ \t]+[A-Za-z_]")
foreach(line IN LISTS def_lines)
  if(line MATCHES "^[ \t]+([A-Za-z_][A-Za-z0-9_]*(@[0-9]+)?)")
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      list(APPEND TAVO_DEF_LINK_OPTIONS "-Wl,-u,${CMAKE_MATCH_1}")
    else()
      list(APPEND TAVO_DEF_LINK_OPTIONS "-Wl,-u,_${CMAKE_MATCH_1}")
    endif()
  endif()
endforeach()
