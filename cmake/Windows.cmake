# The Windows half of the build, for x86 (i686) or x64 (x86_64) by the toolchain file: the
# type library, the COM-server kit, Morvel10.dll, helpdoctor.exe, the SDK folder, the
# packages, and (cmake/WindowsTests.cmake) the tests and the way ctest runs them under Wine.
enable_language(RC)
include(${CMAKE_SOURCE_DIR}/cmake/WindowsPrograms.cmake)

# Each build has its own private prefix of its own width. The x86 build runs under the
# 32-bit loader in a win32 prefix; the x64 build under the 64-bit loader in a win64 prefix
# (/usr/bin/wine always prefers the 32-bit loader once wine32 is installed).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(MORVEL_WIN64 ON)
    set(bits 64)
    set(wine_arch x86_64)
else()
    set(MORVEL_WIN64 OFF)
    set(bits 32)
    set(wine_arch i386)
endif()
morvel_wine_runner(${CMAKE_BINARY_DIR} ${bits})
set(WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_RUN})
# The platform's definitions for the Windows side; the portable core and its tests, made
# before this file, build without them.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE _WIN32_WINNT=0x0601)
set(widl_flags -m${bits} --win${bits} -I/usr/include/wine/wine/windows
               -L/usr/lib/${wine_arch}-linux-gnu/wine/${wine_arch}-windows)


# --- Type library and interface header: one IDL, widl, then the finishing step. ---
set(idl ${CMAKE_SOURCE_DIR}/library/Morvel10.idl)
set(gen ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${gen})
add_custom_command(
    OUTPUT ${gen}/Morvel10_widl.tlb ${gen}/Morvel10_widl.h ${gen}/Morvel10_i.c
    COMMAND ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-widl ${widl_flags} -t -o ${gen}/Morvel10_widl.tlb Morvel10.idl
    COMMAND ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-widl ${widl_flags} -h -o ${gen}/Morvel10_widl.h Morvel10.idl
    COMMAND ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-widl ${widl_flags} -u -o ${gen}/Morvel10_i.c Morvel10.idl
    # From the IDL's folder: the generated files name the IDL as given, and the SDK ships
    # them, so they name it without this machine's folders.
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/library
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

# The type library's help comes from the reference manual (docs/): tools/typelibhelp.py
# writes each page's context id and one-sentence description into a table, failing on a
# page without an id.
find_program(MORVEL_PYTHON3 python3 HINTS /usr/bin REQUIRED)
file(GLOB_RECURSE manual_pages CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.md)
add_custom_command(
    OUTPUT ${gen}/TypeLibraryHelp.txt
    COMMAND ${MORVEL_PYTHON3} ${CMAKE_SOURCE_DIR}/tools/typelibhelp.py ${CMAKE_SOURCE_DIR}/docs/Morvel10.helpproject
            ${gen}/TypeLibraryHelp.txt
    DEPENDS ${manual_pages} ${CMAKE_SOURCE_DIR}/docs/Morvel10.helpproject ${CMAKE_SOURCE_DIR}/docs/contents.txt
            ${CMAKE_SOURCE_DIR}/docs/ContextIds.h ${CMAKE_SOURCE_DIR}/tools/typelibhelp.py
            ${CMAKE_SOURCE_DIR}/helpbuild/helpbuild.py
    COMMENT "The type library's help from the manual")

# tlbfinish rewrites widl's library in the published order, gives every enumeration
# constant its description and every type and member its manual page's help (failing on
# one without a page); it runs under Wine because it uses the platform's typelib API.
morvel_x64_helper(tlbfinish RUN tlbfinish_cmd
    SOURCES ${CMAKE_SOURCE_DIR}/tools/tlbfinish/tlbfinish.cpp LIBS oleaut32 ole32 uuid)
add_custom_command(
    OUTPUT ${gen}/Morvel10.tlb
    COMMAND ${tlbfinish_cmd} ${gen}/Morvel10_widl.tlb ${gen}/Morvel10.tlb ${gen}/TypeLibraryHelp.txt
    DEPENDS ${tlbfinish_cmd_DEPENDS} ${gen}/Morvel10_widl.tlb ${gen}/TypeLibraryHelp.txt
    COMMENT "Finishing the type library")
add_custom_target(morvel_tlb DEPENDS ${gen}/Morvel10.tlb ${gen}/Morvel10.h)

# What every client of the published surface compiles against: the public header and the
# GUIDs, built once.
add_library(morvel_published STATIC ${gen}/Morvel10_i.c)
target_include_directories(morvel_published PUBLIC ${gen} ${CMAKE_SOURCE_DIR})
add_dependencies(morvel_published morvel_tlb)

# --- The COM-server kit: one static library per width, linked by every server DLL and
# Windows tool; each DLL adds the entry points as objects. ---
morvel_kit_sources(kit_sources ${CMAKE_SOURCE_DIR})
add_library(comkit STATIC ${kit_sources})
target_include_directories(comkit PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(comkit PUBLIC oleaut32 ole32 uuid advapi32 user32)
morvel_product_flags(comkit)
morvel_kit_entry_sources(kit_entry_sources ${CMAKE_SOURCE_DIR})
add_library(comkit_entry OBJECT ${kit_entry_sources})
target_link_libraries(comkit_entry PUBLIC comkit)
morvel_product_flags(comkit_entry)

# --- The library's classes (library/, and the adapters and COM classes of htmlhelp/ and
# winhelp/), then Morvel10.dll around them. ---
morvel_library_sources(library_sources ${CMAKE_SOURCE_DIR})
morvel_platform_sources(platform_sources ${CMAKE_SOURCE_DIR})
add_library(morvel_library STATIC ${library_sources} ${platform_sources})
target_link_libraries(morvel_library PUBLIC morvel_core comkit morvel_published version shlwapi)
morvel_product_flags(morvel_library)

morvel_windows_program(Morvel10 DLL
    SOURCES ${CMAKE_SOURCE_DIR}/library/Morvel10.rc ${CMAKE_SOURCE_DIR}/library/Morvel10.def
    LIBS morvel_library comkit_entry)
set_source_files_properties(${CMAKE_SOURCE_DIR}/library/Morvel10.rc PROPERTIES
    OBJECT_DEPENDS ${gen}/Morvel10.tlb)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${gen}")

# helpdoctor.exe, the console tool that says why help did not appear: the doctor's commands
# over the library's own Win32 port, so that it sees the registry view, the engine and the
# code page exactly as the library of the same width does. Shipped without debugging
# information: smaller, and naming no folder of the build machine.
morvel_windows_program(helpdoctor WMAIN
    SOURCES ${CMAKE_SOURCE_DIR}/doctor/helpdoctor.cpp ${CMAKE_SOURCE_DIR}/doctor/InstalledLibraryPort.cpp
    LIBS helpdoctor_core morvel_library
    LINK_OPTIONS -s)

# The reference manual and the demo help file, compiled from Markdown and from a help project.
include(${CMAKE_SOURCE_DIR}/cmake/Manual.cmake)

# The SDK folder a client developer copies (header, GUIDs, IDL, type library, samples).
include(${CMAKE_SOURCE_DIR}/cmake/Sdk.cmake)

# The installer packages, with the SDK folder and the manual.
include(${CMAKE_SOURCE_DIR}/cmake/Package.cmake)

# Tests, test doubles and examples in their own file, to keep this one about the product.
include(${CMAKE_SOURCE_DIR}/cmake/WindowsTests.cmake)
