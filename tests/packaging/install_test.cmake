# Installs the build into a temporary prefix, checks the layout, moves the
# tree elsewhere, and builds and runs the consumer program against it twice:
# through the CMake package (find_package(tavo32)) and through pkg-config.
# Arguments: BUILD_DIR SOURCE_DIR WORK_DIR LIBDIR INCLUDEDIR BINDIR GENERATOR
#            C_COMPILER PKG_CONFIG OBJDUMP VERSION [DATADIR PYTHON FC_MATCH]
# With DATADIR, PYTHON and FC_MATCH (the bar code fonts were built), also
# checks that fontconfig, given the installed font folder, resolves every
# face name the installed library gives to the TAVO font of that name.
cmake_minimum_required(VERSION 3.20)

function(run out)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${stdout}\n${stderr}")
  endif()
  set(${out} "${stdout}" PARENT_SCOPE)
endfunction()

function(expect_link path target)
  if(NOT IS_SYMLINK ${path})
    message(FATAL_ERROR "${path} is not a symbolic link")
  endif()
  file(READ_SYMLINK ${path} got)
  if(NOT got STREQUAL target)
    message(FATAL_ERROR "${path} points to ${got}, not ${target}")
  endif()
endfunction()

set(consumer_output
"978012345678: +~7ia1c3|EFGHIG*_ in \"TAVO UPC EAN JAN\"
97801234567X: 32507 ERROR: Illegal character for this symbology.  Character must be numeric.
")
function(expect_consumer_output got how)
  if(NOT got STREQUAL consumer_output)
    message(FATAL_ERROR "consumer built ${how} printed:\n${got}\nexpected:\n${consumer_output}")
  endif()
  message(STATUS "consumer built ${how}: ok")
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(ignored ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# Layout: the library with its soname and version links, header, tool,
# CMake package, pkg-config file, Python module.
string(REGEX MATCH "^[0-9]+\\.[0-9]+\\.[0-9]+" so_version ${VERSION})
string(REGEX MATCH "^[0-9]+" major ${VERSION})
set(lib ${prefix}/${LIBDIR})
expect_link(${lib}/libtavo32.so libtavo32.so.${major})
expect_link(${lib}/libtavo32.so.${major} libtavo32.so.${so_version})
foreach(file ${lib}/libtavo32.so.${so_version} ${prefix}/${INCLUDEDIR}/tavo32.h
             ${prefix}/${BINDIR}/tavo ${lib}/cmake/tavo32/tavo32Config.cmake
             ${lib}/cmake/tavo32/tavo32ConfigVersion.cmake ${lib}/cmake/tavo32/tavo32Targets.cmake
             ${lib}/pkgconfig/tavo32.pc ${lib}/tavo32/python/tavo32.py)
  if(NOT EXISTS ${file} OR IS_SYMLINK ${file})
    message(FATAL_ERROR "missing from the installed tree: ${file}")
  endif()
endforeach()
run(dump ${OBJDUMP} -p ${lib}/libtavo32.so.${so_version})
if(NOT dump MATCHES "SONAME +libtavo32\\.so\\.${major}\n")
  message(FATAL_ERROR "libtavo32.so.${so_version} does not carry the soname libtavo32.so.${major}")
endif()

# Everything below runs in the moved tree: nothing may point back to the
# prefix the files were installed to.
set(moved ${WORK_DIR}/moved)
file(RENAME ${prefix} ${moved})
set(lib ${moved}/${LIBDIR})

run(out ${moved}/${BINDIR}/tavo translate ean13 978012345678)
if(NOT out MATCHES "\\+~7ia1c3\\|EFGHIG\\*_")
  message(FATAL_ERROR "the installed tavo printed:\n${out}")
endif()

# CMake package.
run(ignored ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/packaging/consumer -B ${WORK_DIR}/cmake-build
    -G ${GENERATOR} -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_PREFIX_PATH=${moved})
file(STRINGS ${WORK_DIR}/cmake-build/CMakeCache.txt found REGEX "^tavo32_DIR:")
if(NOT found STREQUAL "tavo32_DIR:PATH=${lib}/cmake/tavo32")
  message(FATAL_ERROR "find_package(tavo32) found ${found}")
endif()
run(ignored ${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-build)
run(out ${WORK_DIR}/cmake-build/consumer)
expect_consumer_output("${out}" "with find_package(tavo32)")

# Another major version is not this package.
file(WRITE ${WORK_DIR}/v4/CMakeLists.txt
     "cmake_minimum_required(VERSION 3.20)\nproject(v4 LANGUAGES NONE)\nfind_package(tavo32 4 REQUIRED)\n")
execute_process(COMMAND ${CMAKE_COMMAND} -S ${WORK_DIR}/v4 -B ${WORK_DIR}/v4/build -G ${GENERATOR}
                -DCMAKE_PREFIX_PATH=${moved} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(rc EQUAL 0)
  message(FATAL_ERROR "find_package(tavo32 4) accepted version ${VERSION}")
endif()

# pkg-config, with the system's own search paths shut out.
set(ENV{PKG_CONFIG_LIBDIR} ${lib}/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
run(modversion ${PKG_CONFIG} --modversion tavo32)
string(STRIP "${modversion}" modversion)
if(NOT modversion STREQUAL VERSION)
  message(FATAL_ERROR "pkg-config --modversion tavo32 gave ${modversion}, not ${VERSION}")
endif()
run(cflags ${PKG_CONFIG} --cflags tavo32)
run(libs ${PKG_CONFIG} --libs tavo32)
separate_arguments(cflags UNIX_COMMAND "${cflags}")
separate_arguments(libs UNIX_COMMAND "${libs}")
run(ignored ${C_COMPILER} ${cflags} ${SOURCE_DIR}/tests/packaging/consumer/consumer.c ${libs}
    -o ${WORK_DIR}/consumer-pc)
set(ENV{LD_LIBRARY_PATH} ${lib})
run(out ${WORK_DIR}/consumer-pc)
expect_consumer_output("${out}" "with pkg-config")

# fontconfig: every face name the library gives (codes, heights and caption
# variants taken generously, each name once) resolves to our file.
if(DATADIR AND PYTHON AND FC_MATCH)
  set(font_dir ${moved}/${DATADIR}/fonts/truetype/tavo)
  file(WRITE ${WORK_DIR}/fonts.conf "<?xml version=\"1.0\"?>
<fontconfig>
  <include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>
  <dir>${font_dir}</dir>
  <cachedir>${WORK_DIR}/fontconfig-cache</cachedir>
</fontconfig>
")
  set(ENV{FONTCONFIG_FILE} ${WORK_DIR}/fonts.conf)
  run(names ${PYTHON} -c "
import ctypes, sys
lib = ctypes.CDLL(sys.argv[1])
names = []
for code in range(256):
    for height in range(8):
        for caption in (0, 1):
            buf, n = ctypes.create_string_buffer(64), ctypes.c_int32()
            if lib.BC_FontGetFaceName(b'TAVO ', code, height, caption, buf, 63, ctypes.byref(n)) == 0:
                name = buf.raw[:n.value].decode('ascii')
                if name not in names:
                    names.append(name)
print(','.join(names))" ${lib}/libtavo32.so)
  string(STRIP "${names}" names)
  string(REPLACE "," ";" names "${names}")
  list(LENGTH names n_names)
  if(n_names EQUAL 0)
    message(FATAL_ERROR "the installed library gave no face names")
  endif()
  foreach(name IN LISTS names)
    run(match ${FC_MATCH} -f "%{family}|%{file}" "${name}")
    string(FIND "${match}" "|" bar)
    string(SUBSTRING "${match}" 0 ${bar} family)
    math(EXPR bar "${bar} + 1")
    string(SUBSTRING "${match}" ${bar} -1 file)
    get_filename_component(dir "${file}" DIRECTORY)
    string(REPLACE "," ";" families "${family}")
    if(NOT dir STREQUAL font_dir OR NOT name IN_LIST families)
      message(FATAL_ERROR "fc-match \"${name}\" gave ${match}, not the font of that name in ${font_dir}")
    endif()
  endforeach()
  message(STATUS "fontconfig resolves all ${n_names} face names to the installed fonts")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
