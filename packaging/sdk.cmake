# The Windows SDK bundle, built by one target of a host build:
#   cmake --build build --target tavo32_sdk
# It builds the 32-bit and the 64-bit DLL in two cross builds (configured on
# first use: Release, no tests) and zips both with the header, the import
# libraries, the .def files, the bindings and a README for Windows users into
#   build/sdk/tavo32-sdk-<version>-windows.zip
# Point TAVO_SDK_WIN32_BUILD / TAVO_SDK_WIN64_BUILD at existing cross builds
# to bundle those instead (the CI bundles the DLLs its Wine runs tested).
set(TAVO_SDK_WIN32_BUILD ${CMAKE_BINARY_DIR}/sdk/build-win32 CACHE PATH
    "Build directory of the 32-bit Windows DLL bundled by tavo32_sdk")
set(TAVO_SDK_WIN64_BUILD ${CMAKE_BINARY_DIR}/sdk/build-win64 CACHE PATH
    "Build directory of the 64-bit Windows DLL bundled by tavo32_sdk")
set(TAVO_SDK_ZIP ${CMAKE_BINARY_DIR}/sdk/tavo32-sdk-${PROJECT_VERSION}-windows.zip)
# The bundle carries the bar code fonts of this (host) build.
if(TARGET tavo_fonts)
  get_target_property(TAVO_SDK_FONT_DIR tavo_fonts TAVO_FONT_DIR)
else()
  set(TAVO_SDK_FONT_DIR "")
endif()

add_custom_target(tavo32_sdk
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DGENERATOR=${CMAKE_GENERATOR}
          -DWIN32_BUILD=${TAVO_SDK_WIN32_BUILD} -DWIN64_BUILD=${TAVO_SDK_WIN64_BUILD}
          -DVERSION=${PROJECT_VERSION} -DZIP=${TAVO_SDK_ZIP} -DFONT_DIR=${TAVO_SDK_FONT_DIR}
          -P ${CMAKE_CURRENT_LIST_DIR}/sdk_bundle.cmake
  COMMENT "Building both Windows DLLs and the SDK bundle"
  USES_TERMINAL VERBATIM)
if(TARGET tavo_fonts)
  add_dependencies(tavo32_sdk tavo_fonts)
endif()
