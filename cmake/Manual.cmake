# manual/Morvel10.chm: the reference manual, written once as Markdown in docs/. The
# generator (tools/manual/build-manual.py) turns every page into HTML with cmark and writes
# the help project (contents, index, context-id map); chmcmd compiles it. The manual also
# ships its context ids as manual/ContextIds.h.
find_program(MORVEL_PYTHON3 python3 HINTS /usr/bin REQUIRED)
find_program(MORVEL_CMARK cmark REQUIRED)
find_program(MORVEL_CHMCMD chmcmd REQUIRED)
# chmcmd's files need two mends (tools/chm-mend.py): the directory header names the wrong
# first listing chunk, and context-id targets are paths of the build machine instead of
# the pages' names inside the file. The mend reads streams with chmlib's test_chmLib.
find_program(MORVEL_TEST_CHMLIB test_chmLib REQUIRED)
set(morvel_chm_mend ${CMAKE_SOURCE_DIR}/tools/chm-mend.py)
set(manual_dir ${CMAKE_BINARY_DIR}/manual)
set(manual_generator ${CMAKE_SOURCE_DIR}/tools/manual/build-manual.py)
file(GLOB_RECURSE manual_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*)
add_custom_command(
    OUTPUT ${manual_dir}/Morvel10.chm ${manual_dir}/ContextIds.h
    COMMAND ${CMAKE_COMMAND} -E rm -rf project
    COMMAND ${MORVEL_PYTHON3} ${manual_generator} ${CMAKE_SOURCE_DIR}/docs project ${MORVEL_CMARK}
    COMMAND ${CMAKE_COMMAND} -E chdir project ${MORVEL_CHMCMD} Morvel10.hhp
    COMMAND ${MORVEL_PYTHON3} ${morvel_chm_mend} project/Morvel10.chm project
    COMMAND ${CMAKE_COMMAND} -E copy project/Morvel10.chm project/ContextIds.h .
    WORKING_DIRECTORY ${manual_dir}
    DEPENDS ${manual_sources} ${manual_generator} ${morvel_chm_mend}
    COMMENT "Reference manual: docs/ -> manual/Morvel10.chm")
file(MAKE_DIRECTORY ${manual_dir})
add_custom_target(manual ALL DEPENDS ${manual_dir}/Morvel10.chm)

# The manual against the type library of the DLL: every class, member and constant has
# its page, every page its contents entry, index keyword and context id.
add_executable(ManualTest ${CMAKE_SOURCE_DIR}/tests/manual/ManualTest.cpp)
target_include_directories(ManualTest PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(ManualTest PRIVATE GTest::gtest_main oleaut32 ole32 uuid)
target_link_options(ManualTest PRIVATE ${static_runtime})
add_dependencies(ManualTest Morvel10 manual)
add_test(NAME ManualTest COMMAND ManualTest)
set_tests_properties(ManualTest PROPERTIES
    ENVIRONMENT "MORVEL_BUILD=${CMAKE_BINARY_DIR};MORVEL_SOURCE=${CMAKE_SOURCE_DIR}")
# The generator's own rules, without Wine.
add_test(NAME manual_generator
         COMMAND ${MORVEL_PYTHON3} ${CMAKE_SOURCE_DIR}/tests/manual/test_build_manual.py ${MORVEL_CMARK})
