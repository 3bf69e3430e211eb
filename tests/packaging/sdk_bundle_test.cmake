# Unpacks the Windows SDK bundle and checks it as a Windows developer would
# use it: the files are there; each DLL exports the names and ordinals of its
# .def and imports operating-system DLLs only; the MinGW import library
# (.dll.a) and the Microsoft one (.lib) are archives for the right machine;
# and a C program linked with MinGW against each import library runs under
# Wine.  When clang and lld-link are at hand, a program compiled for the MSVC
# ABI is linked against tavo32.lib by Microsoft's rules and run too.
# The fonts\ folder holds every font of the font build (FONT_DIR) byte for
# byte, their licences, the note on installing them and on the code page, and
# the font installer of each architecture, which imports Windows DLLs only.
# Where this machine cannot execute 32-bit programs (RUN_X86 false) the x86
# part is checked without running anything, and its runs are skipped with a
# line saying so.  64-bit programs start with the 64-bit Wine loader itself.
# Arguments: ZIP WORK_DIR SOURCE_DIR VERSION WINEPREFIX WINE32 WINE64 RUN_X86 FONT_DIR
#            [CLANG LLD_LINK]
cmake_minimum_required(VERSION 3.20)
cmake_policy(SET CMP0057 NEW)

function(run out)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${stdout}\n${stderr}")
  endif()
  string(REPLACE "\r" "" stdout "${stdout}")
  set(${out} "${stdout}" PARENT_SCOPE)
endfunction()

set(wine_env ${CMAKE_COMMAND} -E env WINEPREFIX=${WINEPREFIX} WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml=)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
run(ignored ${CMAKE_COMMAND} -E chdir ${WORK_DIR} ${CMAKE_COMMAND} -E tar xf ${ZIP})
set(sdk ${WORK_DIR}/tavo32-sdk-${VERSION})

# The files, and nothing else.
file(GLOB_RECURSE files RELATIVE ${sdk} ${sdk}/*)
list(SORT files)
set(want README.txt bindings/dotnet/Tavo32.cs bindings/python/tavo32.py bindings/vba/README.md
    bindings/vba/Tavo32.bas examples/consumer.c include/tavo32.h)
file(GLOB fonts RELATIVE ${FONT_DIR} ${FONT_DIR}/*.ttf)
if(NOT fonts)
  message(FATAL_ERROR "no fonts in ${FONT_DIR}")
endif()
foreach(font IN LISTS fonts)
  list(APPEND want fonts/${font})
endforeach()
list(APPEND want fonts/OFL.txt fonts/LICENSE-DejaVu.txt fonts/README.txt fonts/tavo-fonts.exe
     fonts/tavo-fonts-x64.exe)
foreach(arch x64 x86)
  list(APPEND want ${arch}/libtavo32.dll.a ${arch}/tavo32.def ${arch}/tavo32.dll ${arch}/tavo32.lib)
endforeach()
list(SORT want)
if(NOT files STREQUAL want)
  message(FATAL_ERROR "the bundle holds\n  ${files}\ninstead of\n  ${want}")
endif()
foreach(font IN LISTS fonts)
  file(SHA256 ${FONT_DIR}/${font} built)
  file(SHA256 ${sdk}/fonts/${font} bundled)
  if(NOT built STREQUAL bundled)
    message(FATAL_ERROR "fonts/${font} is not the font the build made")
  endif()
endforeach()
# Every bundle path the walk-through in README.txt names is in the bundle.
file(READ ${sdk}/README.txt readme)
string(REGEX MATCHALL "(fonts|x86|x64|bindings|include|examples)\\\\[A-Za-z0-9_.\\-]+[A-Za-z0-9]" named "${readme}")
list(REMOVE_DUPLICATES named)
foreach(path IN LISTS named)
  string(REPLACE "\\" "/" path "${path}")
  if(NOT EXISTS ${sdk}/${path})
    message(FATAL_ERROR "README.txt names ${path}, which the bundle does not have")
  endif()
endforeach()
file(READ ${sdk}/fonts/README.txt note)
if(NOT note MATCHES "Windows-1252" OR NOT note MATCHES "tavo-fonts /uninstall")
  message(FATAL_ERROR "fonts/README.txt lost the code page note or the installer's usage")
endif()
foreach(installer tavo-fonts.exe:i386 tavo-fonts-x64.exe:x86-64)
  string(REPLACE ":" ";" installer ${installer})
  list(GET installer 0 exe)
  list(GET installer 1 format)
  find_program(objdump NAMES x86_64-w64-mingw32-objdump REQUIRED NO_CACHE)
  run(dump ${objdump} -p ${sdk}/fonts/${exe})
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  string(TOLOWER "${imports}" imports)
  string(REGEX REPLACE "dll name: (advapi32|gdi32|kernel32|msvcrt|shell32|user32)\\.dll;?" "" others "${imports}")
  if(NOT dump MATCHES "file format pei-${format}" OR NOT others STREQUAL "")
    message(FATAL_ERROR "fonts/${exe}: not pei-${format} or imports more than Windows DLLs: ${imports}")
  endif()
endforeach()
foreach(text README.txt bindings/vba/Tavo32.bas bindings/vba/README.md fonts/README.txt fonts/OFL.txt)
  # Byte by byte (file(READ) in text mode drops carriage returns): every LF
  # must follow a CR.
  file(READ ${sdk}/${text} hex HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
  string(REGEX MATCHALL "0d 0a " crlf "${bytes}")
  string(REGEX MATCHALL "0a " lf "${bytes}")
  list(LENGTH crlf n_crlf)
  list(LENGTH lf n_lf)
  if(n_crlf EQUAL 0 OR NOT n_crlf EQUAL n_lf)
    message(FATAL_ERROR "${text} must have Windows line endings")
  endif()
endforeach()

# Names and ordinals the .def promises, undecorated: {name}@{ordinal}.
function(def_exports def out)
  file(STRINGS ${def} lines REGEX "^[ \t]+[A-Za-z_]")
  set(exports)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]+([A-Za-z_][A-Za-z0-9_]*)(@[0-9]+)?[ \t]+@([0-9]+)")
      list(APPEND exports "${CMAKE_MATCH_1}@${CMAKE_MATCH_3}")
    endif()
  endforeach()
  list(SORT exports)
  set(${out} ${exports} PARENT_SCOPE)
endfunction()

def_exports(${sdk}/x86/tavo32.def x86_exports)
def_exports(${sdk}/x64/tavo32.def x64_exports)
list(LENGTH x86_exports n)
# The frozen exports 1-14 (13 of them: ordinal 4 is unassigned) and any
# added after them.
set(n_exports ${n})
if(n LESS 13 OR NOT x86_exports STREQUAL x64_exports)
  message(FATAL_ERROR "x86 and x64 .def differ:\n  ${x86_exports}\n  ${x64_exports}")
endif()
file(READ ${sdk}/x86/tavo32.def x86_def)
if(NOT x86_def MATCHES "BC_StrErr@12")
  message(FATAL_ERROR "the x86 .def lost the stdcall decoration that 32-bit callers link against")
endif()

function(check_arch arch triple format)
  find_program(objdump NAMES ${triple}-objdump REQUIRED NO_CACHE)
  find_program(gcc NAMES ${triple}-gcc-posix ${triple}-gcc REQUIRED NO_CACHE)
  set(dir ${sdk}/${arch})

  # The DLL: machine, exports by name and ordinal, imports.
  run(dump ${objdump} -p ${dir}/tavo32.dll)
  if(NOT dump MATCHES "file format pei-${format}")
    message(FATAL_ERROR "${arch}/tavo32.dll is not a pei-${format} file")
  endif()
  string(REGEX MATCH "Ordinal Base[ \t]+([0-9]+)" ignored "${dump}")
  set(base ${CMAKE_MATCH_1})
  string(FIND "${dump}" "[Ordinal/Name Pointer] Table" start)
  string(SUBSTRING "${dump}" ${start} -1 table)
  string(FIND "${table}" "\n\n" end)
  string(SUBSTRING "${table}" 0 ${end} table)
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_][A-Za-z0-9_]*" entries "${table}")
  set(exports)
  foreach(entry IN LISTS entries)
    string(REGEX MATCH "\\[ *([0-9]+)\\] (.*)" ignored "${entry}")
    math(EXPR ordinal "${CMAKE_MATCH_1} + ${base}")
    list(APPEND exports "${CMAKE_MATCH_2}@${ordinal}")
  endforeach()
  list(SORT exports)
  if(NOT exports STREQUAL x86_exports)
    message(FATAL_ERROR "${arch}/tavo32.dll exports\n  ${exports}\nnot\n  ${x86_exports}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  string(TOLOWER "${imports}" imports)
  if(NOT imports STREQUAL "dll name: kernel32.dll;dll name: msvcrt.dll;dll name: version.dll")
    message(FATAL_ERROR "${arch}/tavo32.dll imports ${imports}")
  endif()

  # Import libraries: archives whose members are all for this machine.  The
  # Microsoft one holds a short import member (pei-) per export.
  foreach(lib libtavo32.dll.a tavo32.lib)
    run(members ${objdump} -a ${dir}/${lib})
    string(REGEX MATCHALL "file format [^\n]+" formats "${members}")
    list(REMOVE_DUPLICATES formats)
    list(REMOVE_ITEM formats "file format pe-${format}" "file format pei-${format}")
    if(formats)
      message(FATAL_ERROR "${arch}/${lib} holds members of ${formats}")
    endif()
  endforeach()
  run(members ${objdump} -a ${dir}/tavo32.lib)
  string(REGEX MATCHALL "file format pei-${format}" short_members "${members}")
  list(LENGTH short_members n)
  if(NOT n EQUAL n_exports)
    message(FATAL_ERROR "${arch}/tavo32.lib has ${n} short import members, not ${n_exports}")
  endif()

  if(arch STREQUAL "x86" AND NOT RUN_X86)
    message(STATUS "x86: SKIPPED running the programs linked against libtavo32.dll.a and "
                   "tavo32.lib: this machine cannot execute 32-bit programs")
    return()
  endif()
  set(wine ${wine_env} ${WINE_${arch}})

  # A C program linked by MinGW against each import library.
  set(want
"978012345678: +~7ia1c3|EFGHIG*_ in \"TAVO UPC EAN JAN\"
97801234567X: 32507 ERROR: Illegal character for this symbology.  Character must be numeric.
")
  foreach(lib libtavo32.dll.a tavo32.lib)
    string(MAKE_C_IDENTIFIER ${lib} exe)
    run(ignored ${gcc} -Wall -Werror -I${sdk}/include ${sdk}/examples/consumer.c ${dir}/${lib}
        -o ${dir}/${exe}.exe)
    run(out ${wine} ${dir}/${exe}.exe)
    if(NOT out STREQUAL want)
      message(FATAL_ERROR "${arch}: the program linked against ${lib} printed\n${out}")
    endif()
    message(STATUS "${arch}: MinGW program linked against ${lib}: ok")
  endforeach()

  # The MSVC ABI, linked by Microsoft's rules against tavo32.lib.
  if(CLANG AND LLD_LINK)
    set(obj ${WORK_DIR}/msvc_${arch}.obj)
    run(ignored ${CLANG} --target=${msvc_triple_${arch}} -ffreestanding -O0 -I${sdk}/include
        -c ${SOURCE_DIR}/tests/packaging/msvc_link.c -o ${obj})
    file(GLOB kernel32 /usr/${triple}/lib/libkernel32.a)
    run(ignored ${LLD_LINK} /nologo /nodefaultlib /safeseh:no /subsystem:console
        /entry:mainCRTStartup /out:${dir}/msvc_link.exe ${obj} ${dir}/tavo32.lib ${kernel32})
    run(ignored ${wine} ${dir}/msvc_link.exe)
    message(STATUS "${arch}: MSVC-ABI program linked by lld-link against tavo32.lib: ok")
  endif()
endfunction()

set(WINE_x86 ${WINE32})
set(WINE_x64 ${WINE64})
set(msvc_triple_x86 i686-pc-windows-msvc)
set(msvc_triple_x64 x86_64-pc-windows-msvc)
check_arch(x86 i686-w64-mingw32 i386)
check_arch(x64 x86_64-w64-mingw32 x86-64)
file(REMOVE_RECURSE ${WORK_DIR})
