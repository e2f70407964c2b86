# The Windows (i686) half of the build: the type library, Morvel10.dll, the companion
enable_language(RC)
# stand-in, the test programs and the way ctest runs them under Wine.

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
set(widl_flags -m32 --win32 -I/usr/include/wine/wine/windows -L/usr/lib/i386-linux-gnu/wine/i386-windows)
add_custom_command(
    OUTPUT ${gen}/Morvel10_widl.tlb ${gen}/Morvel10.h ${gen}/Morvel10_i.c
    COMMAND i686-w64-mingw32-widl ${widl_flags} -t -o ${gen}/Morvel10_widl.tlb ${idl}
    COMMAND i686-w64-mingw32-widl ${widl_flags} -h -o ${gen}/Morvel10.h ${idl}
    COMMAND i686-w64-mingw32-widl ${widl_flags} -u -o ${gen}/Morvel10_i.c ${idl}
    DEPENDS ${idl}
    COMMENT "widl Morvel10.idl")

# tlbfinish rewrites widl's library in the published order and gives every enumeration
# constant its description; it runs under Wine because it uses the platform's typelib API.
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/tlbfinish/tlbfinish.cpp AND NOT MORVEL_SKIP_TLBFINISH)
    add_executable(tlbfinish ${CMAKE_SOURCE_DIR}/tools/tlbfinish/tlbfinish.cpp)
    target_link_libraries(tlbfinish PRIVATE oleaut32 ole32 uuid)
    target_link_options(tlbfinish PRIVATE ${static_runtime} -municode)
    add_custom_command(
        OUTPUT ${gen}/Morvel10.tlb
        COMMAND ${WINE_RUN} $<TARGET_FILE:tlbfinish> ${gen}/Morvel10_widl.tlb ${gen}/Morvel10.tlb
        DEPENDS tlbfinish ${gen}/Morvel10_widl.tlb
        COMMENT "Finishing the type library")
else()
    add_custom_command(
        OUTPUT ${gen}/Morvel10.tlb
        COMMAND ${CMAKE_COMMAND} -E copy ${gen}/Morvel10_widl.tlb ${gen}/Morvel10.tlb
        DEPENDS ${gen}/Morvel10_widl.tlb)
endif()
add_custom_target(morvel_tlb DEPENDS ${gen}/Morvel10.tlb ${gen}/Morvel10.h)

# --- Morvel10.dll ---
file(GLOB frame_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/frame/*.cpp)
file(GLOB com_sources CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/htmlhelp/Win32*.cpp ${CMAKE_SOURCE_DIR}/htmlhelp/Com*.cpp
     ${CMAKE_SOURCE_DIR}/winhelp/Win32*.cpp ${CMAKE_SOURCE_DIR}/winhelp/Com*.cpp)
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

# Tests and examples in their own file, to keep this one about the product.
include(${CMAKE_SOURCE_DIR}/cmake/WindowsTests.cmake)

# The companion stand-in (a separate COM server the library talks to by ProgID).
if(EXISTS ${CMAKE_SOURCE_DIR}/companion/CMakeLists.txt)
    add_subdirectory(${CMAKE_SOURCE_DIR}/companion ${CMAKE_BINARY_DIR}/companion)
endif()
