# The Windows half of the build, for x86 (i686) or x64 (x86_64) by the toolchain file: the
# type library, Morvel10.dll, the companion stand-in, the test programs and the way ctest
# runs them under Wine.
enable_language(RC)

# Each build has its own private prefix of its own width. The x86 build runs under the
# 32-bit loader in a win32 prefix; the x64 build under the 64-bit loader in a win64 prefix
# (/usr/bin/wine always prefers the 32-bit loader once wine32 is installed).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(MORVEL_WIN64 ON)
    set(bits 64)
    set(wine_arch x86_64)
    set(MORVEL_WINELOADER /usr/lib/wine/wine64)
else()
    set(MORVEL_WIN64 OFF)
    set(bits 32)
    set(wine_arch i386)
    set(MORVEL_WINELOADER /usr/lib/wine/wine)
endif()
set(MORVEL_WINEARCH win${bits})
set(mingw_prefix ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(widl_flags -m${bits} --win${bits} -I/usr/include/wine/wine/windows
               -L/usr/lib/${wine_arch}-linux-gnu/wine/${wine_arch}-windows)

set(MORVEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_SOURCE_DIR}/tools/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
set(WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_RUN})

set(static_runtime -static -static-libgcc -static-libstdc++)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE _WIN32_WINNT=0x0601)
target_link_options(core_tests PRIVATE ${static_runtime})
set_target_properties(core_tests PROPERTIES CROSSCOMPILING_EMULATOR ${WINE_RUN})
add_test(NAME core_tests COMMAND core_tests)

# --- Type library and interface header: one IDL, widl, then the finishing step. ---
set(idl ${CMAKE_SOURCE_DIR}/frame/Morvel10.idl)
set(gen ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${gen})
add_custom_command(
    OUTPUT ${gen}/Morvel10_widl.tlb ${gen}/Morvel10_widl.h ${gen}/Morvel10_i.c
    COMMAND ${mingw_prefix}-widl ${widl_flags} -t -o ${gen}/Morvel10_widl.tlb Morvel10.idl
    COMMAND ${mingw_prefix}-widl ${widl_flags} -h -o ${gen}/Morvel10_widl.h Morvel10.idl
    COMMAND ${mingw_prefix}-widl ${widl_flags} -u -o ${gen}/Morvel10_i.c Morvel10.idl
    # From the IDL's folder: the generated files name the IDL as given, and the SDK ships
    # them, so they name it without this machine's folders.
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/frame
    DEPENDS ${idl}
    COMMENT "widl Morvel10.idl")
# The public header: widl's, made to compile after <windows.h> (cmake/PublicHeader.cmake).
# The library, the tests and the SDK's clients all include this one.
add_custom_command(
    OUTPUT ${gen}/Morvel10.h
    COMMAND ${CMAKE_COMMAND} -DWIDL_HEADER=${gen}/Morvel10_widl.h -DOUTPUT=${gen}/Morvel10.h
            -P ${CMAKE_SOURCE_DIR}/cmake/PublicHeader.cmake
    DEPENDS ${gen}/Morvel10_widl.h ${CMAKE_SOURCE_DIR}/cmake/PublicHeader.cmake
    COMMENT "Public header Morvel10.h")

# tlbfinish rewrites widl's library in the published order and gives every enumeration
# constant its description; it runs under Wine because it uses the platform's typelib API.
# It is a 64-bit program in both builds, so that no step of any build runs 32-bit code:
# the x86 build compiles its own x64 copy and runs it in a small win64 prefix of its own.
set(tlbfinish_source ${CMAKE_SOURCE_DIR}/tools/tlbfinish/tlbfinish.cpp)
if(MORVEL_WIN64)
    add_executable(tlbfinish ${tlbfinish_source})
    target_link_libraries(tlbfinish PRIVATE oleaut32 ole32 uuid)
    target_link_options(tlbfinish PRIVATE ${static_runtime} -municode)
    set(tlbfinish_exe $<TARGET_FILE:tlbfinish>)
    set(tlbfinish_run ${WINE_RUN})
    set(tlbfinish_depends tlbfinish)
else()
    find_program(MORVEL_X64_CXX x86_64-w64-mingw32-g++-posix REQUIRED)
    set(tlbfinish_exe ${CMAKE_BINARY_DIR}/tools64/tlbfinish.exe)
    add_custom_command(
        OUTPUT ${tlbfinish_exe}
        COMMAND ${MORVEL_X64_CXX} -std=c++20 -O2 -municode ${static_runtime} ${tlbfinish_source}
                -loleaut32 -lole32 -luuid -o ${tlbfinish_exe}
        DEPENDS ${tlbfinish_source}
        COMMENT "Building the x64 type-library finisher")
    block(SCOPE_FOR VARIABLES)
        set(MORVEL_WINEARCH win64)
        set(MORVEL_WINELOADER /usr/lib/wine/wine64)
        set(MORVEL_WINEPREFIX ${CMAKE_BINARY_DIR}/tools64/wineprefix)
        configure_file(${CMAKE_SOURCE_DIR}/tools/wine-run.sh.in ${CMAKE_BINARY_DIR}/tools64/wine-run.sh @ONLY
                       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
    endblock()
    set(tlbfinish_run ${CMAKE_BINARY_DIR}/tools64/wine-run.sh)
    set(tlbfinish_depends ${tlbfinish_exe})
endif()
add_custom_command(
    OUTPUT ${gen}/Morvel10.tlb
    COMMAND ${tlbfinish_run} ${tlbfinish_exe} ${gen}/Morvel10_widl.tlb ${gen}/Morvel10.tlb
    DEPENDS ${tlbfinish_depends} ${gen}/Morvel10_widl.tlb
    COMMENT "Finishing the type library")
# Where this machine runs 32-bit code, the x86 tests check that the library the x64
# finisher wrote is byte for byte what the finisher built for x86 writes.
if(NOT MORVEL_WIN64)
    add_executable(tlbfinish32 ${tlbfinish_source})
    target_link_libraries(tlbfinish32 PRIVATE oleaut32 ole32 uuid)
    target_link_options(tlbfinish32 PRIVATE ${static_runtime} -municode)
    add_test(NAME tlbfinish_same_as_x86
             COMMAND ${CMAKE_COMMAND} -DWINE_RUN=${WINE_RUN} -DFINISHER=$<TARGET_FILE:tlbfinish32>
                     -DSOURCE=${gen}/Morvel10_widl.tlb -DEXPECTED=${gen}/Morvel10.tlb
                     -DOUTPUT=${CMAKE_BINARY_DIR}/tlbfinish32-check.tlb
                     -P ${CMAKE_SOURCE_DIR}/cmake/CompareFinishers.cmake)
endif()
add_custom_target(morvel_tlb DEPENDS ${gen}/Morvel10.tlb ${gen}/Morvel10.h)

# --- Morvel10.dll ---
file(GLOB frame_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/frame/*.cpp)
morvel_platform_sources(com_sources ${CMAKE_SOURCE_DIR})
add_library(Morvel10 SHARED ${frame_sources} ${com_sources} ${gen}/Morvel10_i.c
            ${CMAKE_SOURCE_DIR}/frame/Morvel10.rc ${CMAKE_SOURCE_DIR}/frame/Morvel10.def)
add_dependencies(Morvel10 morvel_tlb)
set_target_properties(Morvel10 PROPERTIES PREFIX "" OUTPUT_NAME Morvel10)
target_include_directories(Morvel10 PRIVATE ${gen} ${CMAKE_SOURCE_DIR})
set_source_files_properties(${CMAKE_SOURCE_DIR}/frame/Morvel10.rc PROPERTIES
    OBJECT_DEPENDS ${gen}/Morvel10.tlb)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${gen}")
target_link_libraries(Morvel10 PRIVATE morvel_core oleaut32 ole32 uuid advapi32 user32 version shlwapi)
target_link_options(Morvel10 PRIVATE ${static_runtime} -Wl,--enable-stdcall-fixup)
target_compile_options(Morvel10 PRIVATE -Wall -Wextra)

# helpdoctor.exe, the console tool that says why help did not appear.
include(${CMAKE_SOURCE_DIR}/tools/helpdoctor/helpdoctor.cmake)

# The reference manual, built from docs/ (with its check against the type library).
include(${CMAKE_SOURCE_DIR}/cmake/Manual.cmake)

# The SDK folder a client developer copies (header, GUIDs, IDL, type library, samples).
include(${CMAKE_SOURCE_DIR}/cmake/Sdk.cmake)

# The installer packages, with the SDK folder and the manual.
list(APPEND MORVEL_PACKAGE_DEPENDS sdk manual)
include(${CMAKE_SOURCE_DIR}/cmake/Package.cmake)

# Tests and examples in their own file, to keep this one about the product.
include(${CMAKE_SOURCE_DIR}/cmake/WindowsTests.cmake)

# The companion stand-in (a separate COM server the library talks to by ProgID).
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/companion/CMakeLists.txt)
    add_subdirectory(${CMAKE_SOURCE_DIR}/tests/companion ${CMAKE_BINARY_DIR}/companion)
endif()

# Benchmarks: built only on request (tools/bench.sh), so the test command does not pay for them.
add_executable(bench_dispatch EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/Bench.cpp)
target_include_directories(bench_dispatch PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(bench_dispatch PRIVATE oleaut32 ole32 uuid advapi32 psapi)
target_link_options(bench_dispatch PRIVATE ${static_runtime})
add_dependencies(bench_dispatch Morvel10)
