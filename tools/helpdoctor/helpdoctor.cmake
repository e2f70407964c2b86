# helpdoctor.exe (build/<arch>/helpdoctor.exe): the doctor's commands over the library's
# own Win32 port, so that it sees the registry view, the engine and the code page exactly as
# the library of the same width does. The frame's files go in as a library, so that only
# what the port needs is linked.
add_library(helpdoctor_frame STATIC EXCLUDE_FROM_ALL ${frame_sources})
target_include_directories(helpdoctor_frame PRIVATE ${gen} ${CMAKE_SOURCE_DIR})
add_dependencies(helpdoctor_frame morvel_tlb)
add_executable(helpdoctor ${CMAKE_SOURCE_DIR}/tools/helpdoctor/helpdoctor.cpp
               ${CMAKE_SOURCE_DIR}/htmlhelp/Win32HtmlHelpPort.cpp ${CMAKE_SOURCE_DIR}/htmlhelp/Win32CompiledHelp.cpp)
target_include_directories(helpdoctor PRIVATE ${gen} ${CMAKE_SOURCE_DIR})
target_link_libraries(helpdoctor PRIVATE helpdoctor_core helpdoctor_frame morvel_core
                      oleaut32 ole32 uuid advapi32 user32 version shlwapi)
target_compile_options(helpdoctor PRIVATE -Wall -Wextra)
# Shipped without debugging information: smaller, and naming no folder of the build machine.
target_link_options(helpdoctor PRIVATE ${static_runtime} -municode -s)

# Every command under Wine, against the demo help file and files made from it.
add_test(NAME helpdoctor_commands
         COMMAND ${CMAKE_SOURCE_DIR}/tests/helpdoctor/helpdoctor-test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(helpdoctor_commands PROPERTIES RESOURCE_LOCK system_hhctrl TIMEOUT 300
    PASS_REGULAR_EXPRESSION "helpdoctor: every check passed" FAIL_REGULAR_EXPRESSION "FAIL:")
