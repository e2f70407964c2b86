# Runs the x86 type-library finisher on widl's library and compares its output with the
# library the build made with the x64 finisher. Called by ctest with -D WINE_RUN, FINISHER,
# SOURCE, HELP (the manual's help table), EXPECTED and OUTPUT.
execute_process(COMMAND ${WINE_RUN} ${FINISHER} ${SOURCE} ${OUTPUT} ${HELP} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the x86 finisher failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED} RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
    message(FATAL_ERROR "the x64 finisher's x86 library differs from the x86 finisher's")
endif()
message(STATUS "the x64 and x86 finishers write the same x86 library")
