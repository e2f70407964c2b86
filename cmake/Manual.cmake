# The help files of the build, compiled by chmcmd from a help project. chmcmd's files need
# two mends (tools/chm-mend.py): the directory header names the wrong first listing chunk,
# and context-id targets are paths of the build machine instead of the pages' names inside
# the file. The mend reads streams with chmlib's test_chmLib.
find_program(MORVEL_PYTHON3 python3 HINTS /usr/bin REQUIRED)
find_program(MORVEL_CMARK cmark REQUIRED)
find_program(MORVEL_CHMCMD chmcmd REQUIRED)
find_program(MORVEL_TEST_CHMLIB test_chmLib REQUIRED)

# morvel_help_file(<output.chm> PROJECT <project.hhp> [GENERATE <command...>]
#                  [COPY <folder>] [ALSO <files>] DEPENDS <files>)
# Compiles and mends one help file in the output's folder. The project is written there
# first, under project/: copied from the COPY folder, or written by the GENERATE command
# (where the argument <project> stands for that folder). ALSO names more files the project
# makes, copied beside the help file.
function(morvel_help_file output)
    cmake_parse_arguments(arg "" "PROJECT;COPY" "GENERATE;ALSO;DEPENDS" ${ARGN})
    get_filename_component(dir ${output} DIRECTORY)
    get_filename_component(name ${arg_PROJECT} NAME_WE)
    if(arg_COPY)
        set(make_project COMMAND ${CMAKE_COMMAND} -E copy_directory ${arg_COPY} project)
    else()
        list(TRANSFORM arg_GENERATE REPLACE "^<project>$" project)
        set(make_project COMMAND ${arg_GENERATE})
    endif()
    set(outputs ${output})
    set(also)
    foreach(f ${arg_ALSO})
        list(APPEND outputs ${dir}/${f})
        list(APPEND also project/${f})
    endforeach()
    set(mend ${CMAKE_SOURCE_DIR}/tools/chm-mend.py)
    file(MAKE_DIRECTORY ${dir})
    add_custom_command(
        OUTPUT ${outputs}
        COMMAND ${CMAKE_COMMAND} -E rm -rf project
        ${make_project}
        COMMAND ${CMAKE_COMMAND} -E chdir project ${MORVEL_CHMCMD} ${arg_PROJECT}
        COMMAND ${MORVEL_PYTHON3} ${mend} project/${name}.chm project
        COMMAND ${CMAKE_COMMAND} -E copy project/${name}.chm ${also} .
        WORKING_DIRECTORY ${dir}
        DEPENDS ${arg_DEPENDS} ${mend}
        COMMENT "chmcmd ${arg_PROJECT}")
endfunction()

# manual/Morvel10.chm: the reference manual, written once as Markdown in docs/. The
# generator (tools/manual/build-manual.py) turns every page into HTML with cmark and writes
# the help project (contents, index, context-id map). The manual also ships its context ids
# as manual/ContextIds.h.
set(manual_generator ${CMAKE_SOURCE_DIR}/tools/manual/build-manual.py)
file(GLOB_RECURSE manual_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*)
morvel_help_file(${CMAKE_BINARY_DIR}/manual/Morvel10.chm PROJECT Morvel10.hhp ALSO ContextIds.h
    GENERATE ${MORVEL_PYTHON3} ${manual_generator} ${CMAKE_SOURCE_DIR}/docs <project> ${MORVEL_CMARK}
    DEPENDS ${manual_sources} ${manual_generator})
add_custom_target(manual ALL DEPENDS ${CMAKE_BINARY_DIR}/manual/Morvel10.chm)

# help/Demo.chm: the demo help file, compiled from tests/data/chm (with a [MAP] section, so
# context ids reach topics).
file(GLOB chm_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/data/chm/*)
morvel_help_file(${CMAKE_BINARY_DIR}/help/Demo.chm PROJECT Demo.hhp
    COPY ${CMAKE_SOURCE_DIR}/tests/data/chm DEPENDS ${chm_sources})
add_custom_target(demo_chm ALL DEPENDS ${CMAKE_BINARY_DIR}/help/Demo.chm)
