#pragma once
// The HTML Help file list: HKLM\Software\Microsoft\Windows\HTML Help holds one REG_SZ
// value per help file, named by the bare file name, whose data is the folder (absolute,
// ending in a backslash). The help engine finds listed files by name alone, and so does
// EnsureFileExists. Only HHCheckRegistry writes the HHRegFile* state, so the state always
// describes the last lookup.

#include <string>

#include "../portable/Text.h"

namespace morvel::htmlhelp {

class HtmlHelpObject;

inline constexpr char16_t HtmlHelpListKey[] = u"Software\\Microsoft\\Windows\\HTML Help";

// What HHCheckRegistry hands the host: Empty for an empty name, the Boolean False
// otherwise. The outcome itself is in HHRegFileName, HHRegFilePath and HHRegFileExists.
enum class CheckRegistryResult { Empty, False };

class HelpFileRegistration {
public:
    explicit HelpFileRegistration(HtmlHelpObject& object) : object_(object) {}

    // Looks the file-name part of FileToCheck up in the list; FileToCheck is not changed.
    CheckRegistryResult HHCheckRegistry(const Text& FileToCheck);
    // Enters the file in the list; the caller's variable ends as the bare file name.
    void HHRegister(Text& FileToRegister);
    // Removes the file from the list; the caller's variable ends as the bare file name.
    void HHUnRegister(Text& FileToUnRegister);

private:
    std::u16string longForm(const std::u16string& path);

    HtmlHelpObject& object_;
};

}  // namespace morvel::htmlhelp
