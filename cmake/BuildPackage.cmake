# Builds one installer package with wixl. Run by the build (cmake -P) with:
#   WIXL MSIINFO MSIBUILD  the msitools programs
#   ARCH                   x86 or x64
#   VERSION                the package version (three fields; the installer compares only those)
#   UPGRADE_CODE           the package family's fixed code: a newer version replaces an older one
#   DLL TLB REGISTRY       Morvel10.dll, its type library, and the registry include regfragment wrote
#   STRIP                  the toolchain's strip, for the packaged copy of the DLL (optional)
#   SDK                    the SDK folder: packaged when present
#   MANUAL                 the reference manual, Morvel10.chm, with ContextIds.h and ContextIds.bas
#                          beside it: always packaged, into the install folder, which is where
#                          the registration's HELPDIR points (the type library names the manual
#                          as its help file)
#   WORK OUTPUT            a scratch folder and the package to write
#
# The file list is made here, at build time, from what exists then, so the package holds
# whatever the SDK and manual steps have produced. Component codes are derived from the
# upgrade code and each file's place, so they stay the same from build to build.

set(win64 "no")
set(programs ProgramFilesFolder)
set(user_folder "Morvel10 (x86)")
if(ARCH STREQUAL "x64")
    set(win64 "yes")
    set(programs ProgramFiles64Folder)
    set(user_folder "Morvel10")
endif()

function(xml_escape text out)
    # wixl takes only relative paths (of sources and includes); it runs from the root, so an
    # absolute path loses its leading slash.
    string(REGEX REPLACE "^/" "" text "${text}")
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    string(REPLACE "\"" "&quot;" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A component with one file, its code derived from the file's place in the install folder.
set(component_refs "")
set(counter 0)
function(file_component indent place source out)
    string(UUID guid NAMESPACE ${UPGRADE_CODE} NAME "${ARCH}/${place}" TYPE SHA1 UPPER)
    math(EXPR n "${counter} + 1")
    set(counter ${n} PARENT_SCOPE)
    get_filename_component(name "${source}" NAME)
    xml_escape("${name}" name)
    xml_escape("${source}" source)
    set(${out} "${indent}<Component Id=\"c${n}\" Guid=\"${guid}\" Win64=\"${win64}\">\n${indent}  <File Id=\"f${n}\" Name=\"${name}\" Source=\"${source}\" KeyPath=\"yes\" />\n${indent}</Component>\n" PARENT_SCOPE)
    set(component_refs "${component_refs}      <ComponentRef Id=\"c${n}\" />\n" PARENT_SCOPE)
endfunction()

# The SDK folder, mirrored below the install folder's "sdk".
set(directory_counter 0)
function(folder_tree dir place indent out)
    set(text "")
    file(GLOB entries LIST_DIRECTORIES true "${dir}/*")
    list(SORT entries)
    foreach(entry ${entries})
        get_filename_component(name "${entry}" NAME)
        if(IS_DIRECTORY "${entry}")
            math(EXPR d "${directory_counter} + 1")
            set(directory_counter ${d})
            xml_escape("${name}" xml_name)
            folder_tree("${entry}" "${place}/${name}" "${indent}  " inner)
            string(APPEND text "${indent}<Directory Id=\"d${d}\" Name=\"${xml_name}\">\n${inner}${indent}</Directory>\n")
        else()
            file_component("${indent}" "${place}/${name}" "${entry}" component)
            string(APPEND text "${component}")
        endif()
    endforeach()
    set(directory_counter ${directory_counter} PARENT_SCOPE)
    set(counter ${counter} PARENT_SCOPE)
    set(component_refs "${component_refs}" PARENT_SCOPE)
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(files "")
file_component("          " "Morvel10.tlb" "${TLB}" component)
string(APPEND files "${component}")
get_filename_component(manual_folder "${MANUAL}" DIRECTORY)
foreach(name Morvel10.chm ContextIds.h ContextIds.bas)
    if(NOT EXISTS "${manual_folder}/${name}")
        message(FATAL_ERROR "the reference manual's ${name} is missing from ${manual_folder}")
    endif()
    file_component("          " "${name}" "${manual_folder}/${name}" component)
    string(APPEND files "${component}")
endforeach()
if(SDK AND IS_DIRECTORY "${SDK}")
    folder_tree("${SDK}" "sdk" "            " sdk_tree)
    string(APPEND files "          <Directory Id=\"SDKDIR\" Name=\"sdk\">\n${sdk_tree}          </Directory>\n")
endif()

# The server's component: the DLL and its registration, installed and removed together.
string(UUID server_guid NAMESPACE ${UPGRADE_CODE} NAME "${ARCH}/Morvel10.dll" TYPE SHA1 UPPER)
# The DLL ships without its debugging information: a twentieth of the size, and no folder
# names of the build machine.
if(STRIP)
    file(MAKE_DIRECTORY "${WORK}/bin")
    file(COPY_FILE "${DLL}" "${WORK}/bin/Morvel10.dll")
    execute_process(COMMAND "${STRIP}" "${WORK}/bin/Morvel10.dll" RESULT_VARIABLE stripped)
    if(NOT stripped EQUAL 0)
        message(FATAL_ERROR "${STRIP} failed on Morvel10.dll")
    endif()
    set(DLL "${WORK}/bin/Morvel10.dll")
endif()
xml_escape("${DLL}" dll_source)
xml_escape("${REGISTRY}" registry_include)

file(MAKE_DIRECTORY "${WORK}")
file(WRITE "${WORK}/Morvel10.wxs" "<?xml version=\"1.0\" encoding=\"utf-8\"?>
<!-- Generated by cmake/BuildPackage.cmake. -->
<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">
  <Product Id=\"*\" Name=\"Morvel10 (${ARCH})\" Language=\"1033\" Version=\"${VERSION}\"
           Manufacturer=\"Morvel10\" UpgradeCode=\"${UPGRADE_CODE}\">
    <!-- Per machine unless ALLUSERS is emptied on the command line (per user); the scope
         here only keeps wixl from fixing ALLUSERS itself. -->
    <Package InstallerVersion=\"500\" Compressed=\"yes\" InstallScope=\"perUser\"
             Description=\"Morvel10 help component library (${ARCH})\" />
    <Property Id=\"ALLUSERS\" Value=\"2\" />
    <MajorUpgrade DowngradeErrorMessage=\"A newer version of Morvel10 is already installed.\" />
    <Media Id=\"1\" Cabinet=\"Morvel10.cab\" EmbedCab=\"yes\" />
    <!-- A per-user install goes below the user's local application data, where no
         administrator is needed; it is decided before the folders are resolved, on install
         and on removal alike. -->
    <CustomAction Id=\"PerUserFolder\" Property=\"INSTALLDIR\" Value=\"[LocalAppDataFolder]Programs\\${user_folder}\\\" />
    <InstallExecuteSequence><Custom Action=\"PerUserFolder\" Before=\"CostFinalize\">NOT ALLUSERS</Custom></InstallExecuteSequence>
    <InstallUISequence><Custom Action=\"PerUserFolder\" Before=\"CostFinalize\">NOT ALLUSERS</Custom></InstallUISequence>
    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">
      <Directory Id=\"${programs}\">
        <Directory Id=\"INSTALLDIR\" Name=\"Morvel10\">
          <Component Id=\"Server\" Guid=\"${server_guid}\" Win64=\"${win64}\">
            <File Id=\"Morvel10.dll\" Name=\"Morvel10.dll\" Source=\"${dll_source}\" KeyPath=\"yes\" />
            <?include ${registry_include} ?>
          </Component>
${files}        </Directory>
      </Directory>
    </Directory>
    <Feature Id=\"Complete\" Level=\"1\">
      <ComponentRef Id=\"Server\" />
${component_refs}    </Feature>
  </Product>
</Wix>
")

execute_process(COMMAND ${WIXL} -a ${ARCH} -I / -o "${WORK}/unfixed.msi" "${WORK}/Morvel10.wxs"
                WORKING_DIRECTORY /
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "wixl failed (${status}): ${out}")
endif()

# wixl writes the per-machine-or-per-user root (HKMU) as 4, which the installer does not
# know; the Registry table's value for it is -1. The table is exported, mended and put back.
execute_process(COMMAND ${MSIINFO} export "${WORK}/unfixed.msi" Registry
                OUTPUT_VARIABLE table RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "msiinfo could not export the Registry table")
endif()
string(REGEX REPLACE "\n([^\t\n]+)\t4\t" "\n\\1\t-1\t" fixed "${table}")
string(REGEX MATCH "\n[^\t\n]+\t[0-9]\t" unexpected "${fixed}")
if(unexpected)
    message(FATAL_ERROR "the Registry table holds a root other than the per-machine-or-per-user one")
endif()
file(WRITE "${WORK}/Registry.idt" "${fixed}")
file(COPY_FILE "${WORK}/unfixed.msi" "${WORK}/fixed.msi")
execute_process(COMMAND ${MSIBUILD} "${WORK}/fixed.msi" -i "${WORK}/Registry.idt" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "msibuild could not put the mended Registry table back")
endif()
file(COPY_FILE "${WORK}/fixed.msi" "${OUTPUT}")
