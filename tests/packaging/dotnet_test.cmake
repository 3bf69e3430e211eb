# Compiles the C# binding with its test program (Mono's mcs) and runs it with
# Mono against the built libtavo32.so.
# Arguments: MCS MONO SOURCE_DIR WORK_DIR LIBRARY_DIR
cmake_minimum_required(VERSION 3.20)
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${MCS} -warn:4 -warnaserror -out:${WORK_DIR}/Tavo32Test.exe
                        ${SOURCE_DIR}/bindings/dotnet/Tavo32.cs
                        ${SOURCE_DIR}/tests/packaging/dotnet/Tavo32Test.cs
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "mcs failed")
endif()
# Mono resolves DllImport("tavo32") to libtavo32.so on the loader's path.
set(ENV{LD_LIBRARY_PATH} ${LIBRARY_DIR})
execute_process(COMMAND ${MONO} ${WORK_DIR}/Tavo32Test.exe RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the C# binding test failed")
endif()
