#include "HelpFileListSurvey.h"

#include "htmlhelp/HelpFileRegistration.h"
#include "htmlhelp/PlatformHelpers.h"
#include "htmlhelp/RegistryAccess.h"

namespace morvel::helpdoctor {

using namespace htmlhelp;

std::vector<ListEntry> HelpFileListSurvey::survey()
{
    std::vector<ListEntry> entries;
    std::vector<std::u16string> longPaths;
    RegistryAccess registry(port_);
    PlatformHelpers helpers(port_);

    long status = ERROR_SUCCESS_;
    const RegistryKey key = RegistryKey::open(port_, HKEY_LOCAL_MACHINE_, HtmlHelpListKey, KEY_QUERY_VALUE_, status);
    if (!key) return entries;
    for (std::uint32_t index = 0;; ++index) {
        ListEntry entry;
        std::uint32_t type = 0, dataSize = 0;
        status = port_.RegEnumValue(key.get(), index, RegistryAccess::NameBufferLength, entry.name, type, dataSize);
        if (status == ERROR_MORE_DATA_) continue;  // a name no lookup can match
        if (status != ERROR_SUCCESS_) break;
        entry.textValue = type == REG_SZ_ || type == REG_EXPAND_SZ_;
        entry.chmName = entry.name.size() >= 3 &&
                        port_.CompareNoCase(entry.name.substr(entry.name.size() - 3), u"chm") == 0;
        if (entry.textValue) {
            // The data as the library reads it for a lookup.
            entry.folder = RegistryAccess::dataOfLine(registry.GetRegistryValue(u"HKLM", HtmlHelpListKey, entry.name));
        }
        std::u16string longPath;
        if (!entry.folder.empty()) {
            std::u16string folder = entry.folder;
            while (folder.size() > 3 && folder.back() == u'\\') folder.pop_back();
            entry.folderExists = port_.FindFirstFile(folder).has_value();
            const std::u16string file = PlatformHelpers::joinFolder(entry.folder, entry.name);
            entry.fileExists = entry.folderExists && entry.name.find_first_of(u"*?") == std::u16string::npos &&
                               port_.FindFirstFile(file).has_value();
            if (entry.fileExists) {
                std::vector<std::u16string> streams;
                entry.validHelpFile = port_.ListCompiledHelp(file, streams) == 0;
                longPath = file;
                if (helpers.ResolveLongPath(file, longPath, 256) == 0) longPath = file;
                for (std::size_t i = 0; i < longPaths.size(); ++i)
                    if (!longPaths[i].empty() && port_.CompareNoCase(longPaths[i], longPath) == 0) {
                        entry.duplicateOf = entries[i].name;
                        break;
                    }
            }
        }
        entries.push_back(std::move(entry));
        longPaths.push_back(longPath);
    }
    return entries;
}

bool HelpFileListSurvey::remove(const std::u16string& name)
{
    long status = ERROR_SUCCESS_;
    const RegistryKey key =
        RegistryKey::open(port_, HKEY_LOCAL_MACHINE_, HtmlHelpListKey, KEY_SET_VALUE_, status);
    if (!key) return false;
    return port_.RegDeleteValue(key.get(), toPlatformText(port_, name)) == ERROR_SUCCESS_;
}

}  // namespace morvel::helpdoctor
