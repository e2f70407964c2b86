# The SDK folder of a build, build/<arch>/sdk/, what a client developer copies:
#   include/   Morvel10.h (the public header) and Morvel10_i.c (the GUIDs a vtable client links)
#   idl/       Morvel10.idl
#   lib/       Morvel10.tlb, this build's type library
#   samples/   the samples of examples/sdk/ (scripts, a VBA module, two C++ clients, and
#              help/, a help project for helpbuild)
#   bin/       helpdoctor.exe, which says why help did not appear
#   helpbuild/ the help compiler: Markdown pages to a .chm, its ids and web help
#   README.md  what is where and how to build the C++ samples
#   LICENSE.txt, THIRD-PARTY-NOTICES.txt, CHANGELOG.md
#   redist/    the registration for an application's installer, and the manifest for use
#              without registration (made by cmake/Package.cmake)
# Every file is copied from the one place it is made, so the folder always matches the build.
set(sdk ${CMAKE_BINARY_DIR}/sdk)
set(sdk_sources ${CMAKE_SOURCE_DIR}/examples/sdk)
file(GLOB_RECURSE sdk_samples RELATIVE ${sdk_sources} CONFIGURE_DEPENDS ${sdk_sources}/*)
list(FILTER sdk_samples EXCLUDE REGEX "^README\\.md$")
file(GLOB_RECURSE sdk_helpbuild RELATIVE ${CMAKE_SOURCE_DIR}/helpbuild CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/helpbuild/*)
list(FILTER sdk_helpbuild EXCLUDE REGEX "__pycache__")

set(sdk_pairs
    "${gen}/Morvel10.h|include/Morvel10.h"
    "${gen}/Morvel10_i.c|include/Morvel10_i.c"
    "${idl}|idl/Morvel10.idl"
    "${gen}/Morvel10.tlb|lib/Morvel10.tlb"
    "${sdk_sources}/README.md|README.md"
    "${CMAKE_SOURCE_DIR}/LICENSE|LICENSE.txt"
    "${CMAKE_SOURCE_DIR}/THIRD-PARTY-NOTICES.txt|THIRD-PARTY-NOTICES.txt"
    "${CMAKE_SOURCE_DIR}/CHANGELOG.md|CHANGELOG.md"
    "${CMAKE_BINARY_DIR}/help-sample/Sample.chm|samples/help/Sample.chm")
foreach(sample IN LISTS sdk_samples)
    list(APPEND sdk_pairs "${sdk_sources}/${sample}|samples/${sample}")
endforeach()
foreach(file IN LISTS sdk_helpbuild)
    list(APPEND sdk_pairs "${CMAKE_SOURCE_DIR}/helpbuild/${file}|helpbuild/${file}")
endforeach()

file(MAKE_DIRECTORY ${sdk}/include ${sdk}/idl ${sdk}/lib ${sdk}/samples)
set(sdk_files)
foreach(pair IN LISTS sdk_pairs)
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    add_custom_command(OUTPUT ${sdk}/${to}
        COMMAND ${CMAKE_COMMAND} -E copy ${from} ${sdk}/${to}
        DEPENDS ${from})
    list(APPEND sdk_files ${sdk}/${to})
endforeach()
file(MAKE_DIRECTORY ${sdk}/bin)
add_custom_command(OUTPUT ${sdk}/bin/helpdoctor.exe
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:helpdoctor> ${sdk}/bin/helpdoctor.exe
    DEPENDS helpdoctor)
list(APPEND sdk_files ${sdk}/bin/helpdoctor.exe)
add_custom_target(sdk ALL DEPENDS ${sdk_files})
