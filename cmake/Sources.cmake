# The sources of each part of the build, named one by one, so that moving a file from one
# part to another is a change made here, not a side effect of its name or folder:
#   core       the portable cores of htmlhelp/ and winhelp/: native, fuzz and Windows builds
#   platform   their Win32 adapters and COM classes: Windows only
#   kit        comkit/, the COM-server kit every server DLL and Windows tool links
#   library    library/, the library's own classes and modules
#   doctor     doctor/, the help doctor's portable commands

# morvel_core_sources(<out> <root>): the portable cores of htmlhelp/ and winhelp/.
function(morvel_core_sources out root)
    set(${out}
        ${root}/htmlhelp/BlockedContent.cpp
        ${root}/htmlhelp/DisplayCommands.cpp
        ${root}/htmlhelp/HelpDiagnosis.cpp
        ${root}/htmlhelp/HelpFileChecks.cpp
        ${root}/htmlhelp/HelpFileContents.cpp
        ${root}/htmlhelp/HelpFileRegistration.cpp
        ${root}/htmlhelp/HtmlHelpObject.cpp
        ${root}/htmlhelp/InstallationCheck.cpp
        ${root}/htmlhelp/MessageBoxes.cpp
        ${root}/htmlhelp/PlatformHelpers.cpp
        ${root}/htmlhelp/Popups.cpp
        ${root}/htmlhelp/RegistryAccess.cpp
        ${root}/htmlhelp/RegistryValueIndex.cpp
        ${root}/htmlhelp/VersionText.cpp
        ${root}/htmlhelp/WebMark.cpp
        ${root}/winhelp/AnyData.cpp
        ${root}/winhelp/WinHelpObject.cpp
        PARENT_SCOPE)
endfunction()

# morvel_platform_sources(<out> <root>): the Win32 adapters and the COM classes.
function(morvel_platform_sources out root)
    set(${out}
        ${root}/htmlhelp/ComHtmlHelp.cpp
        ${root}/htmlhelp/Win32CompiledHelp.cpp
        ${root}/htmlhelp/Win32HtmlHelpPort.cpp
        ${root}/winhelp/ComAnyData.cpp
        ${root}/winhelp/ComWinHelp.cpp
        ${root}/winhelp/Win32WinHelpPort.cpp
        PARENT_SCOPE)
endfunction()

# morvel_kit_sources(<out> <root>): the COM-server kit, without its DLL entry points.
function(morvel_kit_sources out root)
    set(${out}
        ${root}/comkit/AnsiText.cpp
        ${root}/comkit/DispatchInvoke.cpp
        ${root}/comkit/DispatchTable.cpp
        ${root}/comkit/ErrorInfo.cpp
        ${root}/comkit/LastDllError.cpp
        ${root}/comkit/LateBinding.cpp
        ${root}/comkit/Module.cpp
        ${root}/comkit/PropertyObject.cpp
        ${root}/comkit/Registration.cpp
        ${root}/comkit/RegistrationJournal.cpp
        ${root}/comkit/RegistryEntries.cpp
        ${root}/comkit/ServerModule.cpp
        ${root}/comkit/VariantCoercion.cpp
        PARENT_SCOPE)
endfunction()

# morvel_kit_entry_sources(<out> <root>): the exported entry points of a server DLL, linked
# as objects into each DLL (a static library would drop them: nothing inside calls them).
function(morvel_kit_entry_sources out root)
    set(${out} ${root}/comkit/Server.cpp PARENT_SCOPE)
endfunction()

# morvel_library_sources(<out> <root>): the library's own classes and modules.
function(morvel_library_sources out root)
    set(${out}
        ${root}/library/ApplicationInfo.cpp
        ${root}/library/ClassTable.cpp
        ${root}/library/ErrorObject.cpp
        ${root}/library/LibraryResources.cpp
        ${root}/library/basKvMorvel10A.cpp
        ${root}/library/basKvorCommonA.cpp
        ${root}/library/clsKvMorvel10A.cpp
        PARENT_SCOPE)
endfunction()

# morvel_doctor_sources(<out> <root>): the help doctor's commands, portable like the core
# (its console, doctor/helpdoctor.cpp, is Windows only).
function(morvel_doctor_sources out root)
    set(${out}
        ${root}/doctor/ContextIdAudit.cpp
        ${root}/doctor/HelpDoctor.cpp
        ${root}/doctor/HelpFileListSurvey.cpp
        ${root}/doctor/JsonWriter.cpp
        PARENT_SCOPE)
endfunction()
