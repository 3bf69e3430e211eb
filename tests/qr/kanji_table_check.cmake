# The checked-in Kanji mode table is what scripts/gen-qr-kanji-table.py
# makes from this machine's iconv: regenerated into the build tree and
# compared byte for byte.
#   cmake -DPYTHON=python3 -DSOURCE=<repo> -DWORK=<dir> -P kanji_table_check.cmake
set(fresh ${WORK}/qr_kanji_table.h)
file(REMOVE ${fresh})
execute_process(COMMAND ${PYTHON} -B ${SOURCE}/scripts/gen-qr-kanji-table.py ${fresh} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gen-qr-kanji-table.py failed (${rc})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${fresh} ${SOURCE}/src/symbologies/qr/qr_kanji_table.h
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "src/symbologies/qr/qr_kanji_table.h differs from what iconv gives now: "
                      "run scripts/gen-qr-kanji-table.py src/symbologies/qr/qr_kanji_table.h and review the change")
endif()
