#include "HelpFileRegistration.h"

#include <vector>

#include "HtmlHelpObject.h"

namespace morvel::htmlhelp {

CheckRegistryResult HelpFileRegistration::HHCheckRegistry(const Text& FileToCheck)
{
    // A copy: the caller may hand us one of our own state items.
    const std::u16string file = textOrEmpty(FileToCheck);
    if (file.empty()) return CheckRegistryResult::Empty;

    HtmlHelpState& state = object_.state;
    state.HHRegFileExists = False;
    if (!object_.helpFileChecks.ValidateChmFile(file)) return CheckRegistryResult::False;

    const std::u16string name = PlatformHelpers::fileNamePart(file);
    const RegistryValueRecord record = object_.fileList.GetRegistryValue(name);
    if (object_.port.CompareNoCase(record.ValueName, name) != 0) {
        state.HHRegFileName = std::u16string();
        state.HHRegFilePath = std::u16string();
        return CheckRegistryResult::False;
    }

    state.HHRegFileName = record.ValueName;
    const std::u16string folder = RegistryAccess::dataOfLine(record);
    if (folder.empty()) {
        // Listed, but with no folder to go by: the name stays, so the entry can still be
        // unregistered, and there is nothing to look for on disk.
        state.HHRegFilePath = std::u16string();
        return CheckRegistryResult::False;
    }
    state.HHRegFilePath = longForm(folder);

    Text registered = PlatformHelpers::joinFolder(*state.HHRegFilePath, name);
    if (object_.helpFileChecks.EnsureFileExists(registered)) state.HHRegFileExists = True;
    return CheckRegistryResult::False;
}

void HelpFileRegistration::HHRegister(Text& FileToRegister)
{
    HtmlHelpState& state = object_.state;
    HtmlHelpPort& port = object_.port;
    HelpFileChecks& checks = object_.helpFileChecks;

    if (isEmpty(FileToRegister)) return;
    if (!checks.ValidateChmFile(*FileToRegister)) return;
    FileToRegister = longForm(*FileToRegister);

    HHCheckRegistry(FileToRegister);
    if (!isEmpty(state.HHRegFileName)) {
        object_.messageBoxes.ShowRegisterMessage(u"The file " + *FileToRegister + u" is already registered.  " +
                                                 u"HHRegister will not be run as no action need be taken.");
        return;
    }

    // The long form may end differently from the short name it came from.
    if (!checks.ValidateChmFile(*FileToRegister)) return;
    if (!checks.EnsureFileExists(FileToRegister)) return;
    const std::u16string path = textOrEmpty(FileToRegister);
    if (path.find(u'\\') == std::u16string::npos) {
        object_.messageBoxes.ShowUsageMessage(u"Cannot register " + path + u" without having a supplied path.\"");
        return;
    }

    const std::u16string name = PlatformHelpers::fileNamePart(path);
    FileToRegister = name;
    // The existence check accepts a pattern that matches some file, but a list entry named
    // by a pattern names no file at all: such a name is not written.
    if (name.find_first_of(u"*?") != std::u16string::npos) {
        object_.messageBoxes.ShowUsageMessage(u"HTML Help Class: HHRegister Error");
        return;
    }
    // The folder the file was found in (for a bare name, the one the existence check
    // completed it with), made absolute: the engine reads the list from whatever folder
    // its own host runs in.
    const std::u16string folder = object_.platformHelpers.absoluteFolder(path.substr(0, path.size() - name.size()));

    long status = ERROR_SUCCESS_;
    const RegistryKey key = RegistryKey::create(port, HKEY_LOCAL_MACHINE_, HtmlHelpListKey,
                                                KEY_CREATE_SUB_KEY_ | KEY_SET_VALUE_, status);
    if (!key) {
        object_.messageBoxes.ShowUsageMessage(u"HTML Help Class: HHRegister Error");
        return;
    }
    // One call takes the name and the folder: both in ANSI, or both wide when either needs it.
    PlatformText valueName = toPlatformText(port, name);
    PlatformText valueData = toPlatformText(port, folder);
    sameWidth({&valueName, &valueData});
    // Stored with its NUL, as the engine expects.
    const long written = port.RegSetValueEx(key.get(), valueName, REG_SZ_, RegistryAccess::textValueData(valueData));
    // Our own write shows at the next lookup, however close to the last one it came.
    object_.fileList.invalidate();
    if (written != ERROR_SUCCESS_) HHCheckRegistry(FileToRegister);  // no message; the state shows the list as it is
}

void HelpFileRegistration::HHUnRegister(Text& FileToUnRegister)
{
    HtmlHelpPort& port = object_.port;

    if (isEmpty(FileToUnRegister)) return;
    if (!object_.helpFileChecks.ValidateChmFile(*FileToUnRegister)) return;
    FileToUnRegister = longForm(*FileToUnRegister);

    HHCheckRegistry(FileToUnRegister);
    if (isEmpty(object_.state.HHRegFileName)) {
        object_.messageBoxes.ShowRegisterMessage(u"The file " + *FileToUnRegister + u" is not registered.  " +
                                                 u"HHUnRegister will not be run as no action need be taken.");
        return;
    }

    FileToUnRegister = PlatformHelpers::fileNamePart(*FileToUnRegister);
    {
        long status = ERROR_SUCCESS_;
        const RegistryKey key = RegistryKey::open(port, HKEY_LOCAL_MACHINE_, HtmlHelpListKey, KEY_SET_VALUE_, status);
        if (key) {
            // Whether the value went is what the lookup below reports.
            [[maybe_unused]] const long deleted = port.RegDeleteValue(key.get(),
                                                                      toPlatformText(port, *FileToUnRegister));
        }
    }
    object_.fileList.invalidate();
    HHCheckRegistry(FileToUnRegister);
}

// The long form when the path resolves; otherwise the path as it was, never the partial
// walk nor a value some earlier lookup left behind.
std::u16string HelpFileRegistration::longForm(const std::u16string& path)
{
    std::u16string longPath = path;
    if (object_.platformHelpers.ResolveLongPath(path, longPath, 256) == 0) return path;
    return longPath;
}

}  // namespace morvel::htmlhelp
