# Which sources make the portable core and which the platform side of each class: the
# core builds natively and for the fuzz targets, the adapters and COM classes only into
# Morvel10.dll. Named one by one, so that moving a file from one side to the other is a
# change made here, not a side effect of its name.

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
