# The functions every Windows program, helper and test of the build is made with. Each takes
# what it needs as parameters; none hands a variable to another file.

# morvel_wine_runner(<dir> <32|64>): <dir>/wine-run.sh, which runs a program under Wine in
# the private prefix <dir>/wineprefix of that width.
function(morvel_wine_runner dir bits)
    set(MORVEL_WINEARCH win${bits})
    set(MORVEL_WINEPREFIX ${dir}/wineprefix)
    if(bits EQUAL 64)
        set(MORVEL_WINELOADER /usr/lib/wine/wine64)
    else()
        set(MORVEL_WINELOADER /usr/lib/wine/wine)
    endif()
    configure_file(${CMAKE_SOURCE_DIR}/tools/wine-run.sh.in ${dir}/wine-run.sh @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
endfunction()

# morvel_windows_program(<name> [DLL] [WMAIN] [TEST] SOURCES <files> [LIBS <libs>]
#                        [LINK_OPTIONS <options>] [OUTPUT_DIR <dir>] [OUTPUT_NAME <name>])
#   DLL     a DLL named <OUTPUT_NAME or name>.dll (no "lib" prefix), with its .def's exports
#   WMAIN   a console program entered through wmain
#   TEST    a test program or test double: test flags instead of product flags
function(morvel_windows_program name)
    cmake_parse_arguments(arg "DLL;WMAIN;TEST" "OUTPUT_DIR;OUTPUT_NAME;SUFFIX"
                          "SOURCES;LIBS;LINK_OPTIONS" ${ARGN})
    if(arg_DLL)
        add_library(${name} SHARED ${arg_SOURCES})
        set_target_properties(${name} PROPERTIES PREFIX "")
        # The .def names the undecorated exports; x86's stdcall symbols carry @n.
        target_link_options(${name} PRIVATE -Wl,--enable-stdcall-fixup)
    else()
        add_executable(${name} ${arg_SOURCES})
    endif()
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${arg_LIBS})
    if(arg_WMAIN)
        target_link_options(${name} PRIVATE -municode)
    endif()
    target_link_options(${name} PRIVATE ${arg_LINK_OPTIONS})
    if(arg_TEST)
        morvel_test_flags(${name})
    else()
        morvel_product_flags(${name})
    endif()
    if(arg_OUTPUT_DIR)
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${arg_OUTPUT_DIR})
    endif()
    if(arg_OUTPUT_NAME)
        set_target_properties(${name} PROPERTIES OUTPUT_NAME ${arg_OUTPUT_NAME})
    endif()
    if(arg_SUFFIX)
        set_target_properties(${name} PROPERTIES SUFFIX ${arg_SUFFIX})
    endif()
endfunction()

# morvel_x64_helper(<name> RUN <var> SOURCES <c++ files> [C_SOURCES <c files>]
#                   [INCLUDES <dirs>] [DEPENDS <files or targets>] [LIBS <libs>])
# A console program the build runs under Wine. It is an x64 program in both builds, so that
# no step of any build runs 32-bit code: the x64 build makes it as a target; the x86 build
# compiles an x64 copy with the x64 compiler and runs it in a small win64 prefix of its own
# (tools64/), and DEPENDS names the headers that copy includes. Sets <var> to the command
# line that runs it and <var>_DEPENDS to what a command running it depends on.
function(morvel_x64_helper name)
    cmake_parse_arguments(arg "" "RUN" "SOURCES;C_SOURCES;INCLUDES;DEPENDS;LIBS" ${ARGN})
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        morvel_windows_program(${name} WMAIN SOURCES ${arg_SOURCES} ${arg_C_SOURCES} LIBS ${arg_LIBS})
        target_include_directories(${name} PRIVATE ${arg_INCLUDES})
        foreach(d ${arg_DEPENDS})
            if(TARGET ${d})
                add_dependencies(${name} ${d})
            endif()
        endforeach()
        set(${arg_RUN} ${CMAKE_BINARY_DIR}/wine-run.sh $<TARGET_FILE:${name}> PARENT_SCOPE)
        set(${arg_RUN}_DEPENDS ${name} PARENT_SCOPE)
        return()
    endif()
    find_program(MORVEL_X64_CXX x86_64-w64-mingw32-g++-posix REQUIRED)
    find_program(MORVEL_X64_CC x86_64-w64-mingw32-gcc-posix REQUIRED)
    set(dir ${CMAKE_BINARY_DIR}/tools64)
    if(NOT EXISTS ${dir}/wine-run.sh)
        morvel_wine_runner(${dir} 64)
    endif()
    # The same definitions and runtime as every program of the build.
    get_directory_property(definitions COMPILE_DEFINITIONS)
    list(TRANSFORM definitions PREPEND -D)
    list(TRANSFORM arg_INCLUDES PREPEND -I)
    list(TRANSFORM arg_LIBS PREPEND -l)
    set(objects)
    foreach(c ${arg_C_SOURCES})
        get_filename_component(stem ${c} NAME_WE)
        add_custom_command(OUTPUT ${dir}/${name}-${stem}.o
            COMMAND ${MORVEL_X64_CC} -c ${c} -o ${dir}/${name}-${stem}.o
            DEPENDS ${c} ${arg_DEPENDS})
        list(APPEND objects ${dir}/${name}-${stem}.o)
    endforeach()
    set(exe ${dir}/${name}.exe)
    add_custom_command(
        OUTPUT ${exe}
        COMMAND ${MORVEL_X64_CXX} -std=c++20 -O2 -municode ${definitions} -I${CMAKE_SOURCE_DIR}
                ${arg_INCLUDES} -static -static-libgcc -static-libstdc++ ${arg_SOURCES} ${objects}
                ${arg_LIBS} -o ${exe}
        DEPENDS ${arg_SOURCES} ${objects} ${arg_DEPENDS}
        COMMENT "Building the x64 ${name}")
    set(${arg_RUN} ${dir}/wine-run.sh ${exe} PARENT_SCOPE)
    set(${arg_RUN}_DEPENDS ${exe} PARENT_SCOPE)
endfunction()

# morvel_windows_test(<name> [COMMAND <command...>] [RECORDER] [STANDALONE] [LOCKS <locks>]
#                     [FIXTURES <fixtures>] [ENV <var=value...>] [PASS <regex>] [FAIL <regex>]
#                     [TIMEOUT <s>])
# One test of a Windows build, run under Wine by ctest. COMMAND defaults to the program
# <name>. Every test sees MORVEL_DLL, MORVEL_COMPANION, MORVEL_BUILD and MORVEL_SOURCE, and
# needs the registered DLLs (and FIXTURES) unless it is STANDALONE. RECORDER runs it with the
# recording help engine in the prefix's system folder, which takes the system_hhctrl lock
# like every test that loads the system's engine.
function(morvel_windows_test name)
    cmake_parse_arguments(arg "RECORDER;STANDALONE" "PASS;FAIL;TIMEOUT" "COMMAND;LOCKS;FIXTURES;ENV" ${ARGN})
    if(NOT arg_COMMAND)
        set(arg_COMMAND ${name})
    endif()
    if(NOT arg_STANDALONE)
        list(APPEND arg_FIXTURES registered)
    endif()
    if(arg_RECORDER)
        list(GET arg_COMMAND 0 program)
        list(REMOVE_AT arg_COMMAND 0)
        if(TARGET ${program})
            set(program ${CMAKE_BINARY_DIR}/wine-run.sh $<TARGET_FILE:${program}>)
        endif()
        set(arg_COMMAND ${CMAKE_SOURCE_DIR}/tests/hhrecorder/with-recorder.sh ${CMAKE_BINARY_DIR}
                        $<TARGET_FILE:hhrecorder> ${program} ${arg_COMMAND})
        list(APPEND arg_LOCKS system_hhctrl)
    endif()
    add_test(NAME ${name} COMMAND ${arg_COMMAND})
    set(env MORVEL_DLL=Z:${CMAKE_BINARY_DIR}/Morvel10.dll MORVEL_COMPANION=Z:${CMAKE_BINARY_DIR}/Ostrel10.dll
            MORVEL_BUILD=${CMAKE_BINARY_DIR} MORVEL_SOURCE=${CMAKE_SOURCE_DIR} ${arg_ENV})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
    if(arg_FIXTURES)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${arg_FIXTURES}")
    endif()
    if(arg_LOCKS)
        list(REMOVE_DUPLICATES arg_LOCKS)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${arg_LOCKS}")
    endif()
    if(arg_PASS)
        set_tests_properties(${name} PROPERTIES PASS_REGULAR_EXPRESSION "${arg_PASS}")
    endif()
    if(arg_FAIL)
        set_tests_properties(${name} PROPERTIES FAIL_REGULAR_EXPRESSION "${arg_FAIL}")
    endif()
    if(arg_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${arg_TIMEOUT})
    endif()
endfunction()
