# What `cmake --install` lays out: the library and its header; on Linux a
# CMake package (find_package(tavo32) gives tavo32::tavo32), a pkg-config file
# and the Python module; on Windows also the MSVC import library and the
# export definitions.  The tavo tool installs itself from tools/.  A host
# build also defines the Windows SDK bundle (packaging/sdk.cmake).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS tavo32 EXPORT tavo32Targets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/tavo32.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
  return()
endif()

# The installed tool finds the installed library wherever the tree is moved.
if(TARGET tavo)
  file(RELATIVE_PATH tavo_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(tavo PROPERTIES INSTALL_RPATH "$ORIGIN/${tavo_bin_to_lib}")
endif()

set(TAVO_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/tavo32)
install(EXPORT tavo32Targets NAMESPACE tavo32:: DESTINATION ${TAVO_CMAKE_PACKAGE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/tavo32Config.cmake.in
  ${CMAKE_BINARY_DIR}/packaging/tavo32Config.cmake INSTALL_DESTINATION ${TAVO_CMAKE_PACKAGE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/packaging/tavo32ConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/packaging/tavo32Config.cmake
              ${CMAKE_BINARY_DIR}/packaging/tavo32ConfigVersion.cmake
        DESTINATION ${TAVO_CMAKE_PACKAGE_DIR})

# pkg-config: paths relative to the .pc file's own directory, so an installed
# tree keeps working when it is moved (unless the directories are absolute).
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(TAVO_PC_PREFIX ${CMAKE_INSTALL_PREFIX})
else()
  file(RELATIVE_PATH pc_to_prefix ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
  string(REGEX REPLACE "/$" "" pc_to_prefix "\${pcfiledir}/${pc_to_prefix}")
  set(TAVO_PC_PREFIX ${pc_to_prefix})
endif()
foreach(dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(TAVO_PC_${dir} ${CMAKE_INSTALL_${dir}})
  else()
    set(TAVO_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/tavo32.pc.in ${CMAKE_BINARY_DIR}/packaging/tavo32.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/tavo32.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Python module, two levels below the library it loads.
install(FILES bindings/python/tavo32.py DESTINATION ${CMAKE_INSTALL_LIBDIR}/tavo32/python)

if(NOT CMAKE_CROSSCOMPILING)
  include(${CMAKE_CURRENT_LIST_DIR}/sdk.cmake)
endif()
