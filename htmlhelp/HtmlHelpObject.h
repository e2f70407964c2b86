#pragma once
// The portable core of one HTML Help object: its state, the platform it runs on, and one
// member per module of the class. A module that only talks to the platform gets the
// port; a module that reads the state or calls other modules gets the object. Modules
// keep a reference, so the object neither copies nor moves.

#include "DisplayCommands.h"
#include "HelpFileChecks.h"
#include "HelpFileRegistration.h"
#include "HtmlHelpPort.h"
#include "HtmlHelpState.h"
#include "InstallationCheck.h"
#include "MessageBoxes.h"
#include "PlatformHelpers.h"
#include "Popups.h"
#include "RegistryAccess.h"
#include "RegistryValueIndex.h"

namespace morvel::htmlhelp {

class HtmlHelpObject {
public:
    explicit HtmlHelpObject(HtmlHelpPort& platform);
    HtmlHelpObject(const HtmlHelpObject&) = delete;
    HtmlHelpObject& operator=(const HtmlHelpObject&) = delete;

    HtmlHelpState state;
    HtmlHelpPort& port;

    RegistryAccess registryAccess;
    RegistryValueIndex fileList;  // the HTML Help file list, for lookups by file name
    PlatformHelpers platformHelpers;
    MessageBoxes messageBoxes;
    HelpFileChecks helpFileChecks;
    HelpFileRegistration helpFileRegistration;
    DisplayCommands displayCommands;
    Popups popups;
    InstallationCheck installationCheck;
};

}  // namespace morvel::htmlhelp
