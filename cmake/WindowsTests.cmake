# COM tests: each tests/com/*Test.cpp is a GoogleTest program that talks to the
# registered Morvel10.dll under Wine. A fixture registers the DLL in the private prefix
# first (with the platform's own regsvr32, as an installer would).
add_test(NAME register_dll
         COMMAND ${WINE_RUN} regsvr32 /s Z:${CMAKE_BINARY_DIR}/Morvel10.dll)
set_tests_properties(register_dll PROPERTIES FIXTURES_SETUP registered)
# The companion stand-in (tests/companion/), registered the same way: About and the error
# reports reach it by ProgID.
add_test(NAME register_companion
         COMMAND ${WINE_RUN} regsvr32 /s Z:${CMAKE_BINARY_DIR}/Ostrel10.dll)
set_tests_properties(register_companion PROPERTIES FIXTURES_SETUP registered)

# The message-box watcher for script clients (tests/run-script.sh starts it).
add_executable(boxwatch ${CMAKE_SOURCE_DIR}/tests/boxwatch/boxwatch.cpp)
target_link_libraries(boxwatch PRIVATE user32 gdi32)
target_link_options(boxwatch PRIVATE ${static_runtime} -municode)

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
    target_link_libraries(${name} PRIVATE GTest::gtest_main oleaut32 ole32 uuid advapi32 user32 version psapi)
    if(TARGET com_test_support)
        target_link_libraries(${name} PRIVATE com_test_support)
    endif()
    target_link_options(${name} PRIVATE ${static_runtime})
    add_dependencies(${name} Morvel10 Ostrel10)
    if(name STREQUAL "MemberSweepTest")
        # Every member runs, the display commands too: only with the recording engine.
        add_dependencies(${name} hhrecorder)
        add_test(NAME ${name}
                 COMMAND ${CMAKE_SOURCE_DIR}/tests/hhrecorder/with-recorder.sh ${CMAKE_BINARY_DIR}
                         $<TARGET_FILE:hhrecorder> ${WINE_RUN} $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "system_hhctrl;class_keys" TIMEOUT 300)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED registered
        ENVIRONMENT "MORVEL_DLL=Z:${CMAKE_BINARY_DIR}/Morvel10.dll;MORVEL_COMPANION=Z:${CMAKE_BINARY_DIR}/Ostrel10.dll;MORVEL_BUILD=${CMAKE_BINARY_DIR};MORVEL_SOURCE=${CMAKE_SOURCE_DIR}")
endforeach()

# Script clients: each tests/scripts/*.vbs or *.js runs under the platform's cscript. Wine's
# cscript exits with 0 even when a script dies of an unhandled error, so a script passes
# only when it prints "<name>: every check passed", which it does when no check failed.
file(GLOB script_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scripts/*.vbs ${CMAKE_SOURCE_DIR}/tests/scripts/*.js)
foreach(script ${script_tests})
    get_filename_component(name ${script} NAME)
    add_test(NAME script_${name}
             COMMAND ${CMAKE_SOURCE_DIR}/tests/run-script.sh ${WINE_RUN} ${script})
    set_tests_properties(script_${name} PROPERTIES FIXTURES_REQUIRED registered
        PASS_REGULAR_EXPRESSION "${name}: every check passed"
        ENVIRONMENT "MORVEL_BUILD=${CMAKE_BINARY_DIR};MORVEL_SOURCE=${CMAKE_SOURCE_DIR}")
endforeach()

# The demo host of the main job: a client like any other, built from the published header
# alone.
add_executable(demo ${CMAKE_SOURCE_DIR}/examples/demo.cpp)
target_include_directories(demo PRIVATE ${gen} ${CMAKE_SOURCE_DIR})
target_link_libraries(demo PRIVATE oleaut32 ole32 uuid user32)
target_compile_options(demo PRIVATE -Wall -Wextra)
target_link_options(demo PRIVATE ${static_runtime} -municode)
add_dependencies(demo Morvel10)
# It runs unattended, shows every class and leaves the system folder and Wine's
# per-program settings alone. It reads the system's help engine: not while the recorder is in.
add_test(NAME DemoCleanClient COMMAND ${CMAKE_SOURCE_DIR}/tests/demo/clean-client.sh ${CMAKE_BINARY_DIR})
set_tests_properties(DemoCleanClient PROPERTIES FIXTURES_REQUIRED registered RESOURCE_LOCK system_hhctrl
    TIMEOUT 180 PASS_REGULAR_EXPRESSION "the demo ran unattended and left the system alone")

# InstallationTest writes the two controls' class keys for a while; a test comparing the
# class keys before and after must not run beside it.
if(TEST InstallationTest AND TEST ServerTest)
    set_tests_properties(InstallationTest ServerTest PROPERTIES RESOURCE_LOCK class_keys)
endif()

# The demo runs About through the companion stand-in.
add_dependencies(demo Ostrel10)
# These take the companion's classes away for a while to see how the library copes.
foreach(t LibraryObjectTest WinHelpTest)
    if(TEST ${t})
        set_tests_properties(${t} PROPERTIES RESOURCE_LOCK class_keys)
    endif()
endforeach()

# --- Help display commands and popups ------------------------------------------------
# hhrecorder/hhctrl.ocx: a recording stand-in for the help engine. The tests that need it
# run through with-recorder.sh, which puts it over the prefix's system copy only for their
# duration; every test that loads an engine from the system folder takes the lock.
add_library(hhrecorder SHARED ${CMAKE_SOURCE_DIR}/tests/hhrecorder/HhRecorder.cpp
            ${CMAKE_SOURCE_DIR}/tests/hhrecorder/hhctrl.def)
set_target_properties(hhrecorder PROPERTIES PREFIX "" OUTPUT_NAME hhctrl SUFFIX .ocx
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/hhrecorder)
target_include_directories(hhrecorder PRIVATE ${CMAKE_SOURCE_DIR})
target_link_options(hhrecorder PRIVATE ${static_runtime} -Wl,--enable-stdcall-fixup)
set(with_recorder ${CMAKE_SOURCE_DIR}/tests/hhrecorder/with-recorder.sh)

# help/Demo.chm: the demo help file, compiled from tests/data/chm by chmcmd (with a [MAP]
# section, so context ids reach topics).
file(GLOB chm_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/data/chm/*)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/help)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/help/Demo.chm
    COMMAND ${CMAKE_COMMAND} -E rm -rf project
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/tests/data/chm project
    COMMAND ${CMAKE_COMMAND} -E chdir project ${MORVEL_CHMCMD} Demo.hhp
    COMMAND ${MORVEL_PYTHON3} ${morvel_chm_mend} project/Demo.chm project
    COMMAND ${CMAKE_COMMAND} -E copy project/Demo.chm Demo.chm
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/help
    DEPENDS ${chm_sources} ${morvel_chm_mend}
    COMMENT "chmcmd Demo.hhp")
add_custom_target(demo_chm ALL DEPENDS ${CMAKE_BINARY_DIR}/help/Demo.chm)

# The help-engine tests live in tests/com/helpengine/, each with the engine it needs.
function(morvel_engine_test name)
    add_executable(${name} ${CMAKE_SOURCE_DIR}/tests/com/helpengine/${name}.cpp ${gen}/Morvel10_i.c)
    target_include_directories(${name} PRIVATE ${gen} ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE GTest::gtest_main com_test_support oleaut32 ole32 uuid advapi32 user32)
    target_link_options(${name} PRIVATE ${static_runtime})
    add_dependencies(${name} Morvel10 hhrecorder demo_chm)
endfunction()
set(engine_env "MORVEL_DLL=Z:${CMAKE_BINARY_DIR}/Morvel10.dll;MORVEL_BUILD=${CMAKE_BINARY_DIR};MORVEL_SOURCE=${CMAKE_SOURCE_DIR}")

# Every argument and record as the engine receives it, through the recorder.
morvel_engine_test(HelpEngineRecordTest)
add_test(NAME HelpEngineRecordTest
         COMMAND ${with_recorder} ${CMAKE_BINARY_DIR} $<TARGET_FILE:hhrecorder> ${WINE_RUN}
                 $<TARGET_FILE:HelpEngineRecordTest> --gtest_filter=-NoEngine.*)
# With the engine switched off: the commands end quietly, the popup fails.
add_test(NAME HelpEngineMissingTest COMMAND HelpEngineRecordTest --gtest_filter=NoEngine.*)
# The same from a script host, which passes its window handle in a variable.
add_test(NAME script_HelpEngine.vbs
         COMMAND ${with_recorder} ${CMAKE_BINARY_DIR} $<TARGET_FILE:hhrecorder>
                 ${CMAKE_SOURCE_DIR}/tests/run-script.sh ${WINE_RUN} ${CMAKE_SOURCE_DIR}/tests/scripts/helpengine/HelpEngine.vbs)
# Wine's own engine and the real Demo.chm: help windows open and close.
morvel_engine_test(HelpViewerTest)
add_test(NAME HelpViewerTest COMMAND HelpViewerTest)
# A copy of the engine planted beside the host is never loaded, even when the load order
# would prefer it.
morvel_engine_test(PlantedEngineTest)
set_target_properties(PlantedEngineTest PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
add_custom_command(TARGET PlantedEngineTest POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:hhrecorder> ${CMAKE_BINARY_DIR}/planted/hhctrl.ocx)
add_test(NAME PlantedEngineTest COMMAND PlantedEngineTest)

# Names beyond the ANSI code page, under the prefix's 1252 and again under 932: Wine takes
# each process's code page from its LC_ALL, and spells non-Latin file names on its Unix side
# only when the system has that locale (tools/setup.sh generates ja_JP.UTF-8).
morvel_engine_test(UnicodeNamesTest)
foreach(t UnicodeNamesTest UnicodeNamesTest_cp932)
    add_test(NAME ${t} COMMAND ${with_recorder} ${CMAKE_BINARY_DIR} $<TARGET_FILE:hhrecorder> ${WINE_RUN}
                               $<TARGET_FILE:UnicodeNamesTest>)
endforeach()

set_tests_properties(HelpEngineRecordTest script_HelpEngine.vbs HelpEngineMissingTest HelpViewerTest PlantedEngineTest
    UnicodeNamesTest UnicodeNamesTest_cp932 PROPERTIES
    FIXTURES_REQUIRED registered RESOURCE_LOCK system_hhctrl ENVIRONMENT "${engine_env}")
set_property(TEST HelpEngineMissingTest APPEND PROPERTY ENVIRONMENT "WINEDLLOVERRIDES=hhctrl.ocx=")
set_property(TEST script_HelpEngine.vbs APPEND PROPERTY ENVIRONMENT "MORVEL_HHLOG=Z:${CMAKE_BINARY_DIR}/hhlog-vbs.txt")
set_tests_properties(script_HelpEngine.vbs PROPERTIES PASS_REGULAR_EXPRESSION "HelpEngine.vbs: every check passed")
set_property(TEST PlantedEngineTest APPEND PROPERTY ENVIRONMENT "WINEDLLOVERRIDES=hhctrl.ocx=n,b")
set_property(TEST UnicodeNamesTest_cp932 APPEND PROPERTY ENVIRONMENT "LC_ALL=ja_JP.UTF-8;MORVEL_ACP=932")
# The demo shows Demo.chm in Wine's viewer; tools/demo-run.sh shows its popup through the
# recorder.
add_dependencies(demo hhrecorder demo_chm manual)
# The installation check reads the system engine's version: not while the recorder is in.
if(TEST InstallationTest)
    set_property(TEST InstallationTest APPEND PROPERTY RESOURCE_LOCK system_hhctrl)
endif()

# The registration test once more as a program the prefix reports as Windows 2000, where
# long paths come from the platform's query instead of the directory walk.
add_executable(RegistrationTest_win2k ${CMAKE_SOURCE_DIR}/tests/com/RegistrationTest.cpp ${gen}/Morvel10_i.c)
target_include_directories(RegistrationTest_win2k PRIVATE ${gen} ${CMAKE_SOURCE_DIR})
target_link_libraries(RegistrationTest_win2k PRIVATE GTest::gtest_main com_test_support)
target_link_options(RegistrationTest_win2k PRIVATE ${static_runtime})
add_test(NAME win2k_app_defaults
         COMMAND ${WINE_RUN} reg add "HKCU\\Software\\Wine\\AppDefaults\\RegistrationTest_win2k.exe"
                 /v Version /t REG_SZ /d win2k /f)
set_tests_properties(win2k_app_defaults PROPERTIES FIXTURES_SETUP win2k)
add_test(NAME RegistrationTest_win2k COMMAND RegistrationTest_win2k)
set_tests_properties(RegistrationTest_win2k PROPERTIES FIXTURES_REQUIRED "registered;win2k"
    ENVIRONMENT "MORVEL_DLL=Z:${CMAKE_BINARY_DIR}/Morvel10.dll")

# The SDK folder, used as a client developer uses it.
include(${CMAKE_SOURCE_DIR}/cmake/SdkTests.cmake)

# The per-user registration and the installer packages take the machine registration away
# for a while and compare the class keys before and after.
foreach(t PerUserRegistrationTest PackageTest)
    if(TEST ${t})
        set_property(TEST ${t} APPEND PROPERTY RESOURCE_LOCK class_keys)
    endif()
endforeach()
if(TARGET PackageTest)
    target_link_libraries(PackageTest PRIVATE msi shell32)
    if(TARGET morvel_package)
        add_dependencies(PackageTest morvel_package)
    endif()
    set_tests_properties(PackageTest PROPERTIES TIMEOUT 600)
endif()
