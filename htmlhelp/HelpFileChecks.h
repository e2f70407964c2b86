#pragma once
// The checks a help file passes before it goes to the help engine: the ending of its
// name, and that it exists, after a bare name has been completed from the HTML Help file
// list or from the library's own folder. Each shows its own message when it says no.

#include <string>

#include "../portable/Text.h"

namespace morvel::htmlhelp {

class HtmlHelpObject;

class HelpFileChecks {
public:
    explicit HelpFileChecks(HtmlHelpObject& object) : object_(object) {}

    // The last three characters are "chm", in any letter case.
    bool ValidateChmFile(const std::u16string& FileName);
    // The last three characters are "txt", in any letter case.
    bool ValidatePopupFile(const std::u16string& FileName);
    // Completes a name without a backslash in place, then looks for it; the caller's
    // variable keeps the completed name (in its ANSI round trip) found or not.
    bool EnsureFileExists(Text& FileToFind);
    // The name EnsureFileExists looks for, before its ANSI round trip: a name without a
    // backslash completed from the HTML Help file list (the lookup leaves its outcome in
    // the HHRegFile* state) or else with the library's folder; any other name as given.
    std::u16string completeName(const Text& FileToFind);

private:
    bool endsWith(const std::u16string& FileName, const std::u16string& ending);

    HtmlHelpObject& object_;
};

}  // namespace morvel::htmlhelp
