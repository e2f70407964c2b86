#include "HtmlHelpObject.h"

namespace morvel::htmlhelp {

HtmlHelpObject::HtmlHelpObject(HtmlHelpPort& platform)
    : port(platform), registryAccess(platform),
      fileList(platform, registryAccess, HKEY_LOCAL_MACHINE_, HtmlHelpListKey), platformHelpers(platform),
      messageBoxes(platform), helpFileChecks(*this), helpFileRegistration(*this), displayCommands(*this), popups(*this),
      installationCheck(*this)
{}

}  // namespace morvel::htmlhelp
