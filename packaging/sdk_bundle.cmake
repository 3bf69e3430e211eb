# Builds the 32-bit and 64-bit tavo32.dll (configuring each cross build on
# first use) and zips the Windows SDK bundle.  Run by the tavo32_sdk target
# with SOURCE_DIR, GENERATOR, WIN32_BUILD, WIN64_BUILD, VERSION, ZIP and
# FONT_DIR (the bar code fonts of the host build, bundled in fonts\ with
# their licences and the per-user font installer of each architecture).
cmake_minimum_required(VERSION 3.20)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}")
  endif()
endfunction()

# Text files for Windows users get Windows line endings; the VBA editor
# imports a module only so.
function(copy_crlf from to)
  file(READ ${from} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${to} "${text}")
endfunction()

# Builds one DLL and copies it, stripped, with its import libraries and .def
# into the bundle folder `arch`.
function(bundle_arch arch build toolchain triple installer)
  if(NOT EXISTS ${build}/CMakeCache.txt)
    run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${build} -G ${GENERATOR}
        -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/${toolchain}.cmake
        -DCMAKE_BUILD_TYPE=Release -DTAVO_BUILD_TESTS=OFF)
  endif()
  run(${CMAKE_COMMAND} --build ${build} --target tavo32 tavo32_msvc_lib tavo_fonts_installer)
  file(MAKE_DIRECTORY ${stage}/${arch})
  file(COPY ${build}/bin/tavo32.dll ${build}/lib/libtavo32.dll.a ${build}/lib/tavo32.lib
            ${build}/lib/tavo32.def DESTINATION ${stage}/${arch})
  find_program(strip NAMES ${triple}-strip REQUIRED NO_CACHE)
  run(${strip} --strip-unneeded ${stage}/${arch}/tavo32.dll)
  file(MAKE_DIRECTORY ${stage}/fonts)
  file(COPY_FILE ${build}/bin/tavo-fonts.exe ${stage}/fonts/${installer})
  run(${strip} --strip-unneeded ${stage}/fonts/${installer})
endfunction()

get_filename_component(zip_dir ${ZIP} DIRECTORY)
set(name tavo32-sdk-${VERSION})
set(stage ${zip_dir}/${name})
file(REMOVE_RECURSE ${stage})
file(REMOVE ${ZIP})

# The 32-bit installer runs on every Windows; the 64-bit one where 32-bit
# programs cannot.
bundle_arch(x86 ${WIN32_BUILD} mingw-w64-i686 i686-w64-mingw32 tavo-fonts.exe)
bundle_arch(x64 ${WIN64_BUILD} mingw-w64-x86_64 x86_64-w64-mingw32 tavo-fonts-x64.exe)

# Every face the font build produced, with the licences and a note on
# installing them and on the code page.
file(GLOB fonts ${FONT_DIR}/*.ttf)
if(NOT fonts)
  message(FATAL_ERROR "no fonts in ${FONT_DIR}: build the target tavo_fonts first")
endif()
file(COPY ${fonts} DESTINATION ${stage}/fonts)
copy_crlf(${SOURCE_DIR}/fonts/OFL.txt ${stage}/fonts/OFL.txt)
copy_crlf(${SOURCE_DIR}/fonts/LICENSE-DejaVu.txt ${stage}/fonts/LICENSE-DejaVu.txt)
list(LENGTH fonts TAVO_FONT_COUNT)
configure_file(${SOURCE_DIR}/packaging/sdk/FONTS.txt ${stage}/fonts/README.txt @ONLY NEWLINE_STYLE CRLF)

file(COPY ${SOURCE_DIR}/include/tavo32.h DESTINATION ${stage}/include)
file(COPY ${SOURCE_DIR}/tests/packaging/consumer/consumer.c DESTINATION ${stage}/examples)
file(COPY ${SOURCE_DIR}/bindings/dotnet/Tavo32.cs DESTINATION ${stage}/bindings/dotnet)
file(COPY ${SOURCE_DIR}/bindings/python/tavo32.py DESTINATION ${stage}/bindings/python)
file(MAKE_DIRECTORY ${stage}/bindings/vba)
copy_crlf(${SOURCE_DIR}/bindings/vba/Tavo32.bas ${stage}/bindings/vba/Tavo32.bas)
copy_crlf(${SOURCE_DIR}/bindings/vba/README.md ${stage}/bindings/vba/README.md)
configure_file(${SOURCE_DIR}/packaging/sdk/README.txt ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)

run(${CMAKE_COMMAND} -E chdir ${zip_dir} ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${name})
message(STATUS "Windows SDK bundle: ${ZIP}")
