# The SDK folder tested as a client developer uses it: the header compiles after
# <windows.h> with this build's compilers, the two C++ samples build from the folder alone
# and run against the registered library, and the two script samples run under cscript.
set(sdk_tests ${CMAKE_SOURCE_DIR}/tests/sdk)
add_test(NAME sdk_header
         COMMAND ${sdk_tests}/check-header.sh ${CMAKE_CXX_COMPILER} ${CMAKE_C_COMPILER} ${sdk}
                 ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(sdk_header PROPERTIES
    PASS_REGULAR_EXPRESSION "the SDK header compiles and the folder is complete")

# What every sample prints, in its order; a sample prints "Done." only when all went well.
set(sdk_expect_vtable "CHMFile: Library.chm.*Default text help file: Library.txt.*Library.chm is (not )?registered.*Windows version code: [0-9]+.*WinHelp quit: done.*GetProResStrings\\(1\\), expected to fail: the call failed: 0x800A[0-9A-F]+ [^\n]+.*Done\\.")
set(sdk_expect_latebound "CHMFile: Library.chm.*Default text help file: Library.txt.*Windows version code: [0-9]+.*WinHelp quit: done.*Library title: Morvel10.*GetProResStrings\\(1\\), expected to fail: GetProResStrings failed: 0x800A[0-9A-F]+ [^\n]+.*Done\\.")
set(sdk_expect_script "CHMFile: Library.chm, topic: intro.htm.*Default text help file: Library.txt.*Windows version code: [0-9]+.*Library.chm is (not registered|registered in).*WinHelp quit: done.*Library title: Morvel10")
set(sdk_expect_Sample.vbs "${sdk_expect_script}.*GetProResStrings\\(1\\) failed: error [0-9]+, [^\n]+.*Done\\.")
set(sdk_expect_Sample.js "${sdk_expect_script}.*HHTopicID = \"intro\" failed: 0x8[0-9a-f]+.*Done\\.")

foreach(sample VtableClient LateBoundClient)
    add_test(NAME sdk_${sample}
             COMMAND ${sdk_tests}/run-sample.sh ${CMAKE_CXX_COMPILER} ${sdk} ${WINE_RUN} ${sample}.cpp
                     ${CMAKE_BINARY_DIR}/sdk-samples)
endforeach()
set_tests_properties(sdk_VtableClient PROPERTIES PASS_REGULAR_EXPRESSION "${sdk_expect_vtable}")
set_tests_properties(sdk_LateBoundClient PROPERTIES PASS_REGULAR_EXPRESSION "${sdk_expect_latebound}")
foreach(script Sample.vbs Sample.js)
    add_test(NAME sdk_${script}
             COMMAND ${CMAKE_SOURCE_DIR}/tests/run-script.sh ${WINE_RUN} ${sdk}/samples/${script})
    set_tests_properties(sdk_${script} PROPERTIES PASS_REGULAR_EXPRESSION "${sdk_expect_${script}}"
        ENVIRONMENT "MORVEL_BUILD=${CMAKE_BINARY_DIR}")
endforeach()
set_tests_properties(sdk_VtableClient sdk_LateBoundClient sdk_Sample.vbs sdk_Sample.js PROPERTIES
    FIXTURES_REQUIRED registered)
