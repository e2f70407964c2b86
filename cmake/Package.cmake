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

# regfragment writes the entries of the DLL's own registration from the same class
# catalogue and type library, as a WiX include.
morvel_x64_helper(regfragment RUN regfragment_cmd
    SOURCES ${CMAKE_SOURCE_DIR}/tools/regfragment/regfragment.cpp ${CMAKE_SOURCE_DIR}/comkit/RegistryEntries.cpp
    C_SOURCES ${gen}/Morvel10_i.c INCLUDES ${gen} LIBS oleaut32 ole32 uuid
    DEPENDS morvel_tlb ${CMAKE_SOURCE_DIR}/comkit/RegistryEntries.h ${CMAKE_SOURCE_DIR}/library/ClassCatalogue.h
            ${gen}/Morvel10.h ${gen}/Morvel10_i.c)

set(package_work ${CMAKE_BINARY_DIR}/package-work)
set(registry_wxi ${package_work}/registry.wxi)
add_custom_command(
    OUTPUT ${registry_wxi}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_work}
    COMMAND ${regfragment_cmd} ${gen}/Morvel10.tlb Morvel10.dll ${registry_wxi}
    DEPENDS ${regfragment_cmd_DEPENDS} ${gen}/Morvel10.tlb
    COMMENT "Writing the package's registry entries")

# The SDK's redist/ folder: the same registration for an application's own installer (a WiX
# include and a registry file for the package's default folder) and the manifest of a
# private assembly for use without registration.
if(MORVEL_WIN64)
    set(default_folder "C:\\Program Files\\Morvel10")
else()
    set(default_folder "C:\\Program Files (x86)\\Morvel10")
endif()
set(redist ${CMAKE_BINARY_DIR}/sdk/redist)
add_custom_command(
    OUTPUT ${redist}/Morvel10.manifest ${redist}/Morvel10.reg ${redist}/Morvel10-registry.wxi
    COMMAND ${CMAKE_COMMAND} -E make_directory ${redist}
    COMMAND ${regfragment_cmd} ${gen}/Morvel10.tlb 1.0.0.104 ${redist}/Morvel10.manifest
    COMMAND ${regfragment_cmd} ${gen}/Morvel10.tlb ${default_folder} ${redist}/Morvel10.reg
    COMMAND ${CMAKE_COMMAND} -E copy ${registry_wxi} ${redist}/Morvel10-registry.wxi
    DEPENDS ${regfragment_cmd_DEPENDS} ${gen}/Morvel10.tlb ${registry_wxi}
    COMMENT "The SDK's redist/ folder"
    VERBATIM)
add_custom_target(sdk_redist ALL DEPENDS ${redist}/Morvel10.manifest)
add_dependencies(sdk sdk_redist)

# The SDK folder and the manual go in beside the DLL.
set(package_common
    -DWIXL=${WIXL} -DMSIINFO=${MSIINFO} -DMSIBUILD=${MSIBUILD} -DARCH=${package_arch}
    -DUPGRADE_CODE=${upgrade_code} -DDLL=$<TARGET_FILE:Morvel10> -DTLB=${gen}/Morvel10.tlb
    -DREGISTRY=${registry_wxi} -DSTRIP=${CMAKE_STRIP} -DSDK=${CMAKE_BINARY_DIR}/sdk -DMANUAL=${CMAKE_BINARY_DIR}/manual/Morvel10.chm)
# Always run: the file list follows the folders as they are now.
add_custom_target(morvel_package ALL
    COMMAND ${CMAKE_COMMAND} ${package_common} -DVERSION=${MORVEL_PACKAGE_VERSION}
            -DWORK=${package_work}/current -DOUTPUT=${CMAKE_BINARY_DIR}/package/Morvel10-${package_arch}.msi
            -P ${CMAKE_SOURCE_DIR}/cmake/BuildPackage.cmake
    COMMAND ${CMAKE_COMMAND} ${package_common} -DVERSION=0.9.0
            -DWORK=${package_work}/older -DOUTPUT=${CMAKE_BINARY_DIR}/package-test/Morvel10-${package_arch}-older.msi
            -P ${CMAKE_SOURCE_DIR}/cmake/BuildPackage.cmake
    DEPENDS ${registry_wxi} Morvel10
    BYPRODUCTS ${CMAKE_BINARY_DIR}/package/Morvel10-${package_arch}.msi
               ${CMAKE_BINARY_DIR}/package-test/Morvel10-${package_arch}-older.msi
    COMMENT "Building the installer packages")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package ${CMAKE_BINARY_DIR}/package-test)
add_dependencies(morvel_package sdk manual)
