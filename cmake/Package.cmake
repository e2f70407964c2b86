# Installer packages: package/Morvel10-x86.msi or package/Morvel10-x64.msi, built with wixl
# from msitools on every build (a few seconds). The COM registration in the package comes
# from tools/regfragment, which writes the entries of the DLL's own registration from the
# same class catalogue and type library. An older package of the same family
# (package-test/Morvel10-<arch>-older.msi, version 0.9.0) lets the tests install one build
# over another.
find_program(WIXL wixl)
find_program(MSIINFO msiinfo)
find_program(MSIBUILD msibuild)
if(NOT WIXL OR NOT MSIINFO OR NOT MSIBUILD)
    message(WARNING "wixl, msiinfo or msibuild is missing (Debian packages wixl, msitools): no installer packages")
    return()
endif()

# The version the installer compares: major, minor and the build number of the DLL's
# version 1.0.0.104 (the installer ignores a fourth field).
set(MORVEL_PACKAGE_VERSION 1.0.104)
if(MORVEL_WIN64)
    set(package_arch x64)
    set(upgrade_code 5B1C7A64-2E0D-4F39-9A57-3D8E61C0B2F4)
else()
    set(package_arch x86)
    set(upgrade_code 0E9D4C21-7B35-4A86-8C1F-6A2B95D4E317)
endif()

# regfragment: an x64 program in both builds, so that no step runs 32-bit code; the x86
# build compiles its own x64 copy and runs it where its x64 type-library finisher runs.
set(regfragment_sources ${CMAKE_SOURCE_DIR}/tools/regfragment/regfragment.cpp ${CMAKE_SOURCE_DIR}/frame/RegistryEntries.cpp)
if(MORVEL_WIN64)
    add_executable(regfragment ${regfragment_sources} ${gen}/Morvel10_i.c)
    target_include_directories(regfragment PRIVATE ${gen} ${CMAKE_SOURCE_DIR})
    target_link_libraries(regfragment PRIVATE oleaut32 ole32 uuid)
    target_link_options(regfragment PRIVATE ${static_runtime} -municode)
    add_dependencies(regfragment morvel_tlb)
    set(regfragment_exe $<TARGET_FILE:regfragment>)
    set(regfragment_depends regfragment)
else()
    find_program(MORVEL_X64_CC x86_64-w64-mingw32-gcc-posix REQUIRED)
    set(regfragment_exe ${CMAKE_BINARY_DIR}/tools64/regfragment.exe)
    add_custom_command(
        OUTPUT ${regfragment_exe}
        COMMAND ${MORVEL_X64_CC} -c ${gen}/Morvel10_i.c -o ${CMAKE_BINARY_DIR}/tools64/Morvel10_i.o
        COMMAND ${MORVEL_X64_CXX} -std=c++20 -O2 -municode -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX
                -D_WIN32_WINNT=0x0601 -I${gen} -I${CMAKE_SOURCE_DIR} ${static_runtime} ${regfragment_sources}
                ${CMAKE_BINARY_DIR}/tools64/Morvel10_i.o -loleaut32 -lole32 -luuid -o ${regfragment_exe}
        DEPENDS ${regfragment_sources} ${CMAKE_SOURCE_DIR}/frame/RegistryEntries.h
                ${CMAKE_SOURCE_DIR}/frame/ClassCatalogue.h ${gen}/Morvel10.h ${gen}/Morvel10_i.c
        COMMENT "Building the x64 registry fragment writer")
    set(regfragment_depends ${regfragment_exe})
endif()

set(package_work ${CMAKE_BINARY_DIR}/package-work)
set(registry_wxi ${package_work}/registry.wxi)
add_custom_command(
    OUTPUT ${registry_wxi}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_work}
    COMMAND ${tlbfinish_run} ${regfragment_exe} ${gen}/Morvel10.tlb Morvel10.dll ${registry_wxi}
    DEPENDS ${regfragment_depends} ${gen}/Morvel10.tlb
    COMMENT "Writing the package's registry entries")

# The SDK folder, the manual and helper programs are packaged when present; targets that
# make them can be listed in MORVEL_PACKAGE_DEPENDS (and files in MORVEL_PACKAGE_FILES)
# before this file is included.
set(package_common
    -DWIXL=${WIXL} -DMSIINFO=${MSIINFO} -DMSIBUILD=${MSIBUILD} -DARCH=${package_arch}
    -DUPGRADE_CODE=${upgrade_code} -DDLL=$<TARGET_FILE:Morvel10> -DTLB=${gen}/Morvel10.tlb
    -DREGISTRY=${registry_wxi} -DSTRIP=${CMAKE_STRIP} -DSDK=${CMAKE_BINARY_DIR}/sdk -DMANUAL=${CMAKE_BINARY_DIR}/manual/Morvel10.chm)
list(JOIN MORVEL_PACKAGE_FILES "|" package_files)
# Always run: the file list follows the folders as they are now.
add_custom_target(morvel_package ALL
    COMMAND ${CMAKE_COMMAND} ${package_common} -DVERSION=${MORVEL_PACKAGE_VERSION} "-DEXTRA=${package_files}"
            -DWORK=${package_work}/current -DOUTPUT=${CMAKE_BINARY_DIR}/package/Morvel10-${package_arch}.msi
            -P ${CMAKE_SOURCE_DIR}/cmake/BuildPackage.cmake
    COMMAND ${CMAKE_COMMAND} ${package_common} -DVERSION=0.9.0 -DEXTRA=
            -DWORK=${package_work}/older -DOUTPUT=${CMAKE_BINARY_DIR}/package-test/Morvel10-${package_arch}-older.msi
            -P ${CMAKE_SOURCE_DIR}/cmake/BuildPackage.cmake
    DEPENDS ${registry_wxi} Morvel10
    BYPRODUCTS ${CMAKE_BINARY_DIR}/package/Morvel10-${package_arch}.msi
               ${CMAKE_BINARY_DIR}/package-test/Morvel10-${package_arch}-older.msi
    COMMENT "Building the installer packages")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package ${CMAKE_BINARY_DIR}/package-test)
foreach(dependency ${MORVEL_PACKAGE_DEPENDS})
    add_dependencies(morvel_package ${dependency})
endforeach()
