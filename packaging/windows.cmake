# The Windows extras beside tavo32.dll and its MinGW import library: an import
# library for Microsoft's linker (tavo32.lib) and the export definitions the
# DLL was linked with (tavo32.def), both in lib/ of the build and installed.
#
# tavo32.lib is written from the .def in the short import format that
# Microsoft's librarian writes (llvm-dlltool), so MSVC binds by name: 32-bit
# callers reference the stdcall-decorated _BC_StrErr@12 and the loader looks
# up the undecorated BC_StrErr.  Without llvm-dlltool the MinGW dlltool
# writes it in MinGW's own format, which Microsoft's linker also reads.
find_program(TAVO_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-16 llvm-dlltool-15 llvm-dlltool-14)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(tavo_machine i386:x86-64)
else()
  set(tavo_machine i386)
endif()
set(tavo_msvc_lib ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}/tavo32.lib)
set(tavo_def_copy ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}/tavo32.def)
if(TAVO_LLVM_DLLTOOL)
  set(tavo_lib_tool ${TAVO_LLVM_DLLTOOL})
else()
  set(tavo_lib_tool ${TAVO_DLLTOOL})
endif()
add_custom_command(OUTPUT ${tavo_msvc_lib} ${tavo_def_copy}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}
  COMMAND ${tavo_lib_tool} -m ${tavo_machine} -k -d ${TAVO_DEF} -D tavo32.dll -l ${tavo_msvc_lib}
  COMMAND ${CMAKE_COMMAND} -E copy ${TAVO_DEF} ${tavo_def_copy}
  DEPENDS ${TAVO_DEF}
  COMMENT "Writing tavo32.lib, the import library for Microsoft's linker")
add_custom_target(tavo32_msvc_lib ALL DEPENDS ${tavo_msvc_lib} ${tavo_def_copy})

install(FILES ${tavo_msvc_lib} ${tavo_def_copy} DESTINATION ${CMAKE_INSTALL_LIBDIR})
