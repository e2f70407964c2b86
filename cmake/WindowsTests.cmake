# COM tests: each tests/com/*Test.cpp is a GoogleTest program that talks to the
# registered Morvel10.dll under Wine. A fixture registers the DLL in the private prefix
# first (with the platform's own regsvr32, as an installer would).
file(TO_NATIVE_PATH "${CMAKE_BINARY_DIR}" build_dir_native)
add_test(NAME register_dll
         COMMAND ${WINE_RUN} regsvr32 /s Z:${CMAKE_BINARY_DIR}/Morvel10.dll)
set_tests_properties(register_dll PROPERTIES FIXTURES_SETUP registered)

file(GLOB com_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/com/*Test.cpp)
file(GLOB com_test_support CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/com/support/*.cpp)
if(com_test_support)
    add_library(com_test_support STATIC ${com_test_support})
    target_include_directories(com_test_support PUBLIC ${gen} ${CMAKE_SOURCE_DIR})
    target_link_libraries(com_test_support PUBLIC GTest::gtest oleaut32 ole32 uuid advapi32 user32)
    add_dependencies(com_test_support morvel_tlb)
endif()
foreach(src ${com_test_sources})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src} ${gen}/Morvel10_i.c)
    target_include_directories(${name} PRIVATE ${gen} ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE GTest::gtest_main oleaut32 ole32 uuid advapi32 user32 version)
    if(TARGET com_test_support)
        target_link_libraries(${name} PRIVATE com_test_support)
    endif()
    target_link_options(${name} PRIVATE ${static_runtime})
    add_dependencies(${name} Morvel10)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED registered
        ENVIRONMENT "MORVEL_DLL=Z:${CMAKE_BINARY_DIR}/Morvel10.dll;MORVEL_BUILD=${CMAKE_BINARY_DIR};MORVEL_SOURCE=${CMAKE_SOURCE_DIR}")
endforeach()

# Script clients: each tests/scripts/*.vbs or *.js runs under the platform's cscript and
# passes when it exits with 0 (the scripts call WScript.Quit with a failure count).
file(GLOB script_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scripts/*.vbs ${CMAKE_SOURCE_DIR}/tests/scripts/*.js)
foreach(script ${script_tests})
    get_filename_component(name ${script} NAME)
    add_test(NAME script_${name}
             COMMAND ${CMAKE_SOURCE_DIR}/tools/run-script.sh ${WINE_RUN} ${script})
    set_tests_properties(script_${name} PROPERTIES FIXTURES_REQUIRED registered
        ENVIRONMENT "MORVEL_BUILD=${CMAKE_BINARY_DIR};MORVEL_SOURCE=${CMAKE_SOURCE_DIR}")
endforeach()

# The demo host of the main job.
add_executable(demo ${CMAKE_SOURCE_DIR}/examples/demo.cpp)
target_include_directories(demo PRIVATE ${gen} ${CMAKE_SOURCE_DIR})
target_link_libraries(demo PRIVATE oleaut32 ole32 uuid)
target_link_options(demo PRIVATE ${static_runtime} -municode)
add_dependencies(demo Morvel10)
