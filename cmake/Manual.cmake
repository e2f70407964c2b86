# The help files of the build, compiled by chmcmd from a help project. chmcmd's files need
# two mends (helpbuild/chmmend.py): the directory header names the wrong first listing
# chunk, and context-id targets are paths of the build machine instead of the pages' names
# inside the file. The mend reads streams with chmlib's test_chmLib.
find_program(MORVEL_PYTHON3 python3 HINTS /usr/bin REQUIRED)
find_program(MORVEL_CMARK cmark REQUIRED)
find_program(MORVEL_CHMCMD chmcmd REQUIRED)
find_program(MORVEL_TEST_CHMLIB test_chmLib REQUIRED)

# morvel_help_file(<output.chm> PROJECT <project.hhp> COPY <folder> DEPENDS <files>)
# Compiles and mends a help project written by hand (the COPY folder) in the output's folder.
function(morvel_help_file output)
    cmake_parse_arguments(arg "" "PROJECT;COPY" "DEPENDS" ${ARGN})
    get_filename_component(dir ${output} DIRECTORY)
    get_filename_component(name ${arg_PROJECT} NAME_WE)
    set(mend ${CMAKE_SOURCE_DIR}/helpbuild/chmmend.py)
    file(MAKE_DIRECTORY ${dir})
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E rm -rf project
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${arg_COPY} project
        COMMAND ${CMAKE_COMMAND} -E chdir project ${MORVEL_CHMCMD} ${arg_PROJECT}
        COMMAND ${MORVEL_PYTHON3} ${mend} project/${name}.chm project
        COMMAND ${CMAKE_COMMAND} -E copy project/${name}.chm .
        WORKING_DIRECTORY ${dir}
        DEPENDS ${arg_DEPENDS} ${mend}
        COMMENT "chmcmd ${arg_PROJECT}")
endfunction()

# morvel_helpbuild(<target> <project file> <output folder> <name>): a help made by the help
# compiler the SDK ships (helpbuild/helpbuild.py) from Markdown: <name>.chm, its context
# ids as ContextIds.h and ContextIds.bas, and web/, the same help as web pages.
function(morvel_helpbuild target project out name)
    get_filename_component(folder ${project} DIRECTORY)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${folder}/*)
    file(GLOB tool CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/helpbuild/*)
    # The x64 build audits each file with its helpdoctor (the x86 build runs no 32-bit code
    # while it builds, and its sources are the same).
    set(audit)
    set(doctor)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(audit --audit "${CMAKE_BINARY_DIR}/wine-run.sh $<TARGET_FILE:helpdoctor>")
        set(doctor helpdoctor)
    endif()
    add_custom_command(
        OUTPUT ${out}/${name}.chm ${out}/ContextIds.h ${out}/ContextIds.bas
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${out}
        COMMAND ${MORVEL_PYTHON3} ${CMAKE_SOURCE_DIR}/helpbuild/helpbuild.py ${project} ${out}
                --cmark ${MORVEL_CMARK} --chmcmd ${MORVEL_CHMCMD} ${audit}
        DEPENDS ${sources} ${tool} ${doctor}
        COMMENT "helpbuild ${project}")
    add_custom_target(${target} ALL DEPENDS ${out}/${name}.chm)
endfunction()

# manual/: the reference manual, written once as Markdown in docs/; help-sample/: the SDK's
# sample help project; help-de/ and help-ru/: help in two more code pages.
morvel_helpbuild(manual ${CMAKE_SOURCE_DIR}/docs/Morvel10.helpproject ${CMAKE_BINARY_DIR}/manual Morvel10)
morvel_helpbuild(help_sample ${CMAKE_SOURCE_DIR}/examples/sdk/help/Sample.helpproject
                 ${CMAKE_BINARY_DIR}/help-sample Sample)
morvel_helpbuild(help_de ${CMAKE_SOURCE_DIR}/tests/data/help-de/Hilfe.helpproject ${CMAKE_BINARY_DIR}/help-de Hilfe)
morvel_helpbuild(help_ru ${CMAKE_SOURCE_DIR}/tests/data/help-ru/Spravka.helpproject ${CMAKE_BINARY_DIR}/help-ru Spravka)

# help/Demo.chm: the demo help file, compiled from tests/data/chm (with a [MAP] section, so
# context ids reach topics).
file(GLOB chm_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/data/chm/*)
morvel_help_file(${CMAKE_BINARY_DIR}/help/Demo.chm PROJECT Demo.hhp
    COPY ${CMAKE_SOURCE_DIR}/tests/data/chm DEPENDS ${chm_sources})
add_custom_target(demo_chm ALL DEPENDS ${CMAKE_BINARY_DIR}/help/Demo.chm)
