# The tests of a Windows build, the test doubles they use and the demo host. Every test
# runs under Wine in the build's private prefix (tools/wine-session.sh around ctest), most
# of them against the DLLs registered there by the first two.
#
# Locks: tests that share something take its lock, so that ctest may run the others beside
# them.
#   class_keys     takes the library's or the companion's classes away for a while, or
#                  compares the class keys before and after
#   system_hhctrl  loads the prefix's system help engine, or puts the recorder in its place

# --- Test doubles and test programs ---------------------------------------------------

# Ostrel10.dll: a stand-in for the companion framework component the library reaches by
# ProgID for its About box and its error report. Late-bound only (no type library); it
# registers itself with regsvr32 like any in-process server, over the kit's entry points
# and its own class table.
file(GLOB companion_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/companion/*.cpp)
morvel_windows_program(Ostrel10 DLL TEST
    SOURCES ${companion_sources} ${CMAKE_SOURCE_DIR}/tests/companion/Ostrel10.def
    LIBS comkit_entry comkit)

# hhrecorder/hhctrl.ocx: a recording stand-in for the help engine. The tests that need it
# run through with-recorder.sh, which puts it over the prefix's system copy only for their
# duration.
morvel_windows_program(hhrecorder DLL TEST OUTPUT_NAME hhctrl SUFFIX .ocx
    OUTPUT_DIR ${CMAKE_BINARY_DIR}/hhrecorder
    SOURCES ${CMAKE_SOURCE_DIR}/tests/hhrecorder/HhRecorder.cpp ${CMAKE_SOURCE_DIR}/tests/hhrecorder/hhctrl.def)

# What the tests share (tests/support): registration readings, message boxes, paths, logs,
# type libraries. What needs only the platform (the environment, reading message boxes) is
# a library of its own, which the box watcher links without GoogleTest or generated headers.
set(plain_test_support ${CMAKE_SOURCE_DIR}/tests/support/Environment.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/MessageBoxReading.cpp)
add_library(plain_test_support STATIC ${plain_test_support})
target_include_directories(plain_test_support PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(plain_test_support PUBLIC user32 gdi32)
file(GLOB com_test_support CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
list(REMOVE_ITEM com_test_support ${plain_test_support})
add_library(com_test_support STATIC ${com_test_support})
target_link_libraries(com_test_support PUBLIC plain_test_support GTest::gtest morvel_published
                      oleaut32 ole32 uuid advapi32 version psapi)
morvel_test_flags(plain_test_support com_test_support)

# The message-box watcher for script clients (tests/run-script.sh starts it).
morvel_windows_program(boxwatch WMAIN TEST
    SOURCES ${CMAKE_SOURCE_DIR}/tests/boxwatch/boxwatch.cpp LIBS plain_test_support)

# morvel_com_test(<name> [SOURCE <file>] [OUTPUT_DIR <dir>] [LIBS <libs>]): a GoogleTest
# program of tests/com/ (or SOURCE), a client of the registered DLLs.
function(morvel_com_test name)
    cmake_parse_arguments(arg "" "SOURCE;OUTPUT_DIR" "LIBS" ${ARGN})
    if(NOT arg_SOURCE)
        set(arg_SOURCE ${CMAKE_SOURCE_DIR}/tests/com/${name}.cpp)
    endif()
    morvel_windows_program(${name} TEST SOURCES ${arg_SOURCE} OUTPUT_DIR "${arg_OUTPUT_DIR}"
        LIBS GTest::gtest_main com_test_support ${arg_LIBS})
    add_dependencies(${name} Morvel10 Ostrel10 hhrecorder demo_chm help_sample)
endfunction()

foreach(name ByRefWriteBackTest DispatchNamesTest FileListTest HandlesTest HtmlHelpPropertiesTest
             InstallationTest LibraryObjectTest LifecycleStressTest MemberSweepTest NameTableTest
             PackageTest PerUserRegistrationTest RegistrationTest ServerTest TypeDescriptionTest
             TypeLibraryTest WinHelpTest)
    morvel_com_test(${name})
endforeach()
target_link_libraries(PackageTest PRIVATE msi shell32)
add_dependencies(PackageTest morvel_package)
foreach(name HelpEngineRecordTest HelpViewerTest UnicodeNamesTest)
    morvel_com_test(${name} SOURCE ${CMAKE_SOURCE_DIR}/tests/com/helpengine/${name}.cpp)
endforeach()
# A copy of the engine planted beside this host is never loaded, even when the load order
# would prefer it.
morvel_com_test(PlantedEngineTest SOURCE ${CMAKE_SOURCE_DIR}/tests/com/helpengine/PlantedEngineTest.cpp
    OUTPUT_DIR ${CMAKE_BINARY_DIR}/planted)
add_custom_command(TARGET PlantedEngineTest POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:hhrecorder> ${CMAKE_BINARY_DIR}/planted/hhctrl.ocx)
# The registration test once more as a program the prefix reports as Windows 2000, where
# long paths come from the platform's query instead of the directory walk.
morvel_com_test(RegistrationTest_win2k SOURCE ${CMAKE_SOURCE_DIR}/tests/com/RegistrationTest.cpp)

# The manual against the type library of the DLL: every class, member and constant has
# its page, every page its contents entry, index keyword and context id.
morvel_com_test(ManualTest SOURCE ${CMAKE_SOURCE_DIR}/tests/manual/ManualTest.cpp)
add_dependencies(ManualTest manual)

# The demo host of the main job: a client like any other, built from the published header
# alone. It shows Demo.chm in Wine's viewer and About through the companion stand-in;
# tools/demo-run.sh shows its popup through the recorder.
morvel_windows_program(demo WMAIN SOURCES ${CMAKE_SOURCE_DIR}/examples/demo.cpp
    LIBS morvel_published oleaut32 ole32 uuid user32)
add_dependencies(demo Morvel10 Ostrel10 hhrecorder demo_chm manual help_sample help_de help_ru)

# Benchmarks: built only on request (tools/bench.sh), so the test command does not pay for them.
morvel_windows_program(bench_dispatch SOURCES ${CMAKE_SOURCE_DIR}/bench/Bench.cpp
    LIBS oleaut32 ole32 uuid advapi32 psapi)
set_target_properties(bench_dispatch PROPERTIES EXCLUDE_FROM_ALL ON)
add_dependencies(bench_dispatch Morvel10)

# A client that creates the library through the SDK's assembly manifest, without registration.
morvel_windows_program(RegFreeClient WMAIN TEST SOURCES ${CMAKE_SOURCE_DIR}/tests/sdk/RegFreeClient.cpp
    LIBS ole32 oleaut32 uuid)

# Where this machine runs 32-bit code, the x86 tests check that the library the x64
# finisher wrote is byte for byte what the finisher built for x86 writes.
if(NOT MORVEL_WIN64)
    morvel_windows_program(tlbfinish32 WMAIN TEST SOURCES ${CMAKE_SOURCE_DIR}/tools/tlbfinish/tlbfinish.cpp
        LIBS oleaut32 ole32 uuid)
endif()

# --- The table of tests -----------------------------------------------------------------
set(sdk ${CMAKE_BINARY_DIR}/sdk)
set(sdk_tests ${CMAKE_SOURCE_DIR}/tests/sdk)
set(run_script ${CMAKE_SOURCE_DIR}/tests/run-script.sh ${WINE_RUN})
set(every_check_passed "every check passed")

# Registration first, with the platform's own regsvr32, as an installer would.
morvel_windows_test(register_dll STANDALONE COMMAND ${WINE_RUN} regsvr32 /s Z:${CMAKE_BINARY_DIR}/Morvel10.dll)
morvel_windows_test(register_companion STANDALONE COMMAND ${WINE_RUN} regsvr32 /s Z:${CMAKE_BINARY_DIR}/Ostrel10.dll)
set_tests_properties(register_dll register_companion PROPERTIES FIXTURES_SETUP registered)
morvel_windows_test(win2k_app_defaults STANDALONE
    COMMAND ${WINE_RUN} reg add "HKCU\\Software\\Wine\\AppDefaults\\RegistrationTest_win2k.exe" /v Version /t REG_SZ /d win2k /f)
set_tests_properties(win2k_app_defaults PROPERTIES FIXTURES_SETUP win2k)

# The cores on the real platform runtime (16-bit wchar_t, the platform's code pages); the
# target was made before the build knew its runner.
set_target_properties(core_tests PROPERTIES CROSSCOMPILING_EMULATOR ${WINE_RUN})
morvel_windows_test(core_tests STANDALONE)

# COM clients of the registered library.
foreach(name ByRefWriteBackTest DispatchNamesTest FileListTest HandlesTest HtmlHelpPropertiesTest
             LifecycleStressTest NameTableTest RegistrationTest TypeDescriptionTest
             TypeLibraryTest)
    morvel_windows_test(${name})
endforeach()
foreach(name ServerTest LibraryObjectTest WinHelpTest PerUserRegistrationTest)
    morvel_windows_test(${name} LOCKS class_keys)
endforeach()
morvel_windows_test(InstallationTest LOCKS class_keys system_hhctrl)
morvel_windows_test(PackageTest LOCKS class_keys TIMEOUT 600)
# Every member runs, the display commands too: only with the recording engine.
morvel_windows_test(MemberSweepTest RECORDER LOCKS class_keys TIMEOUT 300)
morvel_windows_test(RegistrationTest_win2k FIXTURES win2k)

# The help engine: every argument and record as the engine receives it (the recorder),
# the engine switched off, Wine's own engine and viewer, a planted copy, and names beyond
# the ANSI code page under the prefix's 1252 and again under 932 (Wine takes each process's
# code page from its LC_ALL; tools/setup.sh generates ja_JP.UTF-8).
morvel_windows_test(HelpEngineRecordTest RECORDER COMMAND HelpEngineRecordTest --gtest_filter=-NoEngine.*)
morvel_windows_test(HelpEngineMissingTest COMMAND HelpEngineRecordTest --gtest_filter=NoEngine.*
    LOCKS system_hhctrl ENV WINEDLLOVERRIDES=hhctrl.ocx=)
morvel_windows_test(HelpViewerTest LOCKS system_hhctrl)
morvel_windows_test(PlantedEngineTest LOCKS system_hhctrl ENV WINEDLLOVERRIDES=hhctrl.ocx=n,b)
morvel_windows_test(UnicodeNamesTest RECORDER)
morvel_windows_test(UnicodeNamesTest_cp932 RECORDER COMMAND UnicodeNamesTest ENV LC_ALL=ja_JP.UTF-8 MORVEL_ACP=932)

# Script clients under the platform's cscript, with the box watcher beside them. Wine's
# cscript exits with 0 even when a script dies of an unhandled error, so a script passes
# only when it prints "<name>: every check passed".
foreach(name HtmlHelpProperties.js HtmlHelpProperties.vbs LibraryObject.vbs Registration.vbs
             UnicodeNames.vbs WinHelp.vbs)
    morvel_windows_test(script_${name} COMMAND ${run_script} ${CMAKE_SOURCE_DIR}/tests/scripts/${name}
        PASS "${name}: ${every_check_passed}")
endforeach()
morvel_windows_test(script_HelpEngine.vbs RECORDER
    COMMAND ${run_script} ${CMAKE_SOURCE_DIR}/tests/scripts/helpengine/HelpEngine.vbs
    ENV MORVEL_HHLOG=Z:${CMAKE_BINARY_DIR}/hhlog-vbs.txt PASS "HelpEngine.vbs: ${every_check_passed}")

# The demo runs unattended, shows every class and leaves the system folder and Wine's
# per-program settings alone.
morvel_windows_test(DemoCleanClient COMMAND ${CMAKE_SOURCE_DIR}/tests/demo/clean-client.sh ${CMAKE_BINARY_DIR}
    LOCKS system_hhctrl TIMEOUT 180 PASS "the demo ran unattended and left the system alone")

# The manual against the type library.
morvel_windows_test(ManualTest STANDALONE)

# helpdoctor: every command under Wine, against the demo help file and files made from it.
morvel_windows_test(helpdoctor_commands LOCKS system_hhctrl TIMEOUT 300
    COMMAND ${CMAKE_SOURCE_DIR}/tests/helpdoctor/helpdoctor-test.sh ${CMAKE_BINARY_DIR}
    PASS "helpdoctor: ${every_check_passed}" FAIL "FAIL:")

# The SDK folder as a client developer uses it: the header compiles after <windows.h>
# with this build's compilers, the two C++ samples build from the folder alone and run
# against the registered library, and the two script samples run under cscript. Each
# sample prints what it did in its order, and "Done." only when all went well.
morvel_windows_test(sdk_header STANDALONE
    COMMAND ${sdk_tests}/check-header.sh ${CMAKE_CXX_COMPILER} ${CMAKE_C_COMPILER} ${sdk}
            ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}
    PASS "the SDK header compiles and the folder is complete")
set(common "CHMFile: Library.chm.*Default text help file: Library.txt")
morvel_windows_test(sdk_VtableClient
    COMMAND ${sdk_tests}/run-sample.sh ${CMAKE_CXX_COMPILER} ${sdk} ${WINE_RUN} VtableClient.cpp ${CMAKE_BINARY_DIR}/sdk-samples
    PASS "${common}.*Library.chm is (not )?registered.*Windows version code: [0-9]+.*WinHelp quit: done.*GetProResStrings\\(1\\), expected to fail: the call failed: 0x800A[0-9A-F]+ [^\n]+.*Done\\.")
morvel_windows_test(sdk_LateBoundClient
    COMMAND ${sdk_tests}/run-sample.sh ${CMAKE_CXX_COMPILER} ${sdk} ${WINE_RUN} LateBoundClient.cpp ${CMAKE_BINARY_DIR}/sdk-samples
    PASS "${common}.*Windows version code: [0-9]+.*WinHelp quit: done.*Library title: Morvel10.*GetProResStrings\\(1\\), expected to fail: GetProResStrings failed: 0x800A[0-9A-F]+ [^\n]+.*Done\\.")
set(script_sample "CHMFile: Library.chm, topic: intro.htm.*Default text help file: Library.txt.*Windows version code: [0-9]+.*Library.chm is (not registered|registered in).*WinHelp quit: done.*Library title: Morvel10")
morvel_windows_test(sdk_Sample.vbs COMMAND ${run_script} ${sdk}/samples/Sample.vbs
    PASS "${script_sample}.*GetProResStrings\\(1\\) failed: error [0-9]+, [^\n]+.*Done\\.")
morvel_windows_test(sdk_Sample.js COMMAND ${run_script} ${sdk}/samples/Sample.js
    PASS "${script_sample}.*HHTopicID = \"intro\" failed: 0x8[0-9a-f]+, Type mismatch.*Done\\.")

# The context-sensitive help recipes of the manual, against the sample help: a C++ window
# answering WM_HELP, and a script opening a page by its id.
string(REPLACE "/" "\\" sample_help "Z:${sdk}/samples/help/Sample.chm")
morvel_windows_test(sdk_ContextHelp LOCKS system_hhctrl TIMEOUT 120
    COMMAND ${sdk_tests}/run-sample.sh ${CMAKE_CXX_COMPILER} ${sdk} ${WINE_RUN} ContextHelp.cpp ${CMAKE_BINARY_DIR}/sdk-samples
            ${sample_help} --self-test
    PASS "F1 on the name box: 1 help window\\(s\\) at IDH_options_dialog.*HHDisplayPopup returned 0x00000000")
morvel_windows_test(sdk_ContextHelp.vbs LOCKS system_hhctrl TIMEOUT 120 COMMAND ${run_script} ${sdk}/samples/ContextHelp.vbs
    PASS "the Options page is shown.*Done\\.")
morvel_windows_test(sdk_registration_free COMMAND ${sdk_tests}/regfree-test.sh ${CMAKE_BINARY_DIR} $<TARGET_FILE:RegFreeClient>
    PASS "the library came from the application's folder, through its manifest")

# The x64 finisher's x86 library against the x86 finisher's.
if(NOT MORVEL_WIN64)
    morvel_windows_test(tlbfinish_same_as_x86 STANDALONE
        COMMAND ${CMAKE_COMMAND} -DWINE_RUN=${WINE_RUN} -DFINISHER=$<TARGET_FILE:tlbfinish32>
                -DSOURCE=${gen}/Morvel10_widl.tlb -DHELP=${gen}/TypeLibraryHelp.txt -DEXPECTED=${gen}/Morvel10.tlb
                -DOUTPUT=${CMAKE_BINARY_DIR}/tlbfinish32-check.tlb -P ${CMAKE_SOURCE_DIR}/tests/compare-finishers.cmake)
endif()
