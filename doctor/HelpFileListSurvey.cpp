#include "HelpFileListSurvey.h"

#include "htmlhelp/HelpFileRegistration.h"
#include "htmlhelp/PlatformHelpers.h"
#include "htmlhelp/RegistryAccess.h"

namespace morvel::helpdoctor {

using namespace htmlhelp;

namespace {

// Why a search that found nothing proves nothing: only a local fixed drive that answers
// "file not found" or "path not found" is believed.
std::string unreachableWhy(std::uint32_t driveType, bool unc, std::uint32_t error)
{
    if (error == std::uint32_t(ERROR_ACCESS_DENIED_)) return "access denied";
    if (unc) return driveType == DRIVE_NO_ROOT_DIR_ ? "network share not available" : "network share";
    switch (driveType) {
    case DRIVE_FIXED_: return "error " + std::to_string(error);
    case DRIVE_REMOTE_: return "network drive";
    case DRIVE_REMOVABLE_: return "removable drive";
    case DRIVE_CDROM_: return "CD-ROM drive";
    case DRIVE_NO_ROOT_DIR_: return "drive not available";
    default: return "drive of unknown kind";
    }
}

}  // namespace

std::uint32_t HelpFileListSurvey::viewFlag(ListView view)
{
    // A machine with one view gets no flag at all: 32-bit Windows is documented to ignore
    // the flags, and Windows before XP does not know them. (Wine takes them either way.)
    return view == ListView::Bits64 ? KEY_WOW64_64KEY_ : view == ListView::Bits32 ? KEY_WOW64_32KEY_ : 0;
}

std::vector<ListView> HelpFileListSurvey::views()
{
    if (port_.HasTwoRegistryViews()) return {ListView::Bits64, ListView::Bits32};
    return {ListView::Only};
}

std::vector<ListEntry> HelpFileListSurvey::survey()
{
    std::vector<ListEntry> all;
    for (ListView view : views()) {
        std::vector<ListEntry> entries = entriesOf(view, nullptr);
        std::vector<std::u16string> longPaths;
        PlatformHelpers helpers(port_);
        for (ListEntry& entry : entries) {
            std::u16string longPath;
            if (entry.fileExists) {
                const std::u16string file = PlatformHelpers::joinFolder(entry.folder, entry.name);
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
            longPaths.push_back(longPath);
        }
        all.insert(all.end(), entries.begin(), entries.end());
    }
    return all;
}

std::optional<ListEntry> HelpFileListSurvey::recheck(ListView view, const std::u16string& name)
{
    std::vector<ListEntry> entries = entriesOf(view, &name);
    if (entries.empty()) return std::nullopt;
    return std::move(entries.front());
}

Removal HelpFileListSurvey::removeIfStale(const ListEntry& surveyed, std::optional<ListEntry>& now)
{
    long status = ERROR_SUCCESS_;
    const RegistryKey key = RegistryKey::open(port_, HKEY_LOCAL_MACHINE_, HtmlHelpListKey,
                                              KEY_SET_VALUE_ | viewFlag(surveyed.view), status);
    if (!key) return Removal::Failed;
    now = recheck(surveyed.view, surveyed.name);
    if (!now || !now->stale() || now->type != surveyed.type || now->data != surveyed.data) return Removal::Kept;
    return port_.RegDeleteValue(key.get(), toPlatformText(port_, surveyed.name)) == ERROR_SUCCESS_ ? Removal::Removed
                                                                                                   : Removal::Failed;
}

std::vector<ListEntry> HelpFileListSurvey::entriesOf(ListView view, const std::u16string* only)
{
    std::vector<ListEntry> entries;
    RegistryAccess registry(port_);
    long status = ERROR_SUCCESS_;
    const RegistryKey key = RegistryKey::open(port_, HKEY_LOCAL_MACHINE_, HtmlHelpListKey,
                                              KEY_QUERY_VALUE_ | viewFlag(view), status);
    if (!key) return entries;
    std::uint32_t longNamesInARow = 0;
    for (std::uint32_t index = 0;; ++index) {
        ListEntry entry;
        entry.view = view;
        std::uint32_t dataSize = 0;
        status = port_.RegEnumValue(key.get(), index, RegistryAccess::NameBufferLength, entry.name, entry.type,
                                    dataSize);
        // A name too long for the buffer is one no lookup can match; the rest still count.
        if (status == ERROR_MORE_DATA_ && ++longNamesInARow < RegistryAccess::MaxLongNamesInARow) continue;
        if (status != ERROR_SUCCESS_) break;
        longNamesInARow = 0;
        if (only && entry.name != *only) continue;
        entry.textValue = entry.type == REG_SZ_ || entry.type == REG_EXPAND_SZ_;
        entry.chmName = entry.name.size() >= 3 &&
                        port_.CompareNoCase(entry.name.substr(entry.name.size() - 3), u"chm") == 0;
        // The value as stored, for a backup and for telling whether it changed.
        entry.data.resize(dataSize);
        std::uint32_t readType = 0;
        if (port_.RegQueryValueEx(key.get(), entry.name, readType, entry.data) != ERROR_SUCCESS_ ||
            readType != entry.type) {
            entry.unreachable = "the value changed while it was read";
        } else if (entry.textValue) {
            // The data as the library reads it for a lookup.
            entry.folder = RegistryAccess::dataOfLine(
                registry.recordFor(key.get(), {entry.name, dataSize}, entry.name));
            const std::u16string stored = RegistryAccess::textOfData(entry.data);
            if (entry.folder.empty() && !stored.empty() && stored[0] != u'\0')
                entry.unreachable = "the data cannot be read as a folder";
            else if (!entry.folder.empty())
                checkPlace(entry);
        }
        entries.push_back(std::move(entry));
        if (only) break;
    }
    return entries;
}

void HelpFileListSurvey::checkPlace(ListEntry& entry)
{
    const std::u16string file = PlatformHelpers::joinFolder(entry.folder, entry.name);
    const std::u16string root = PlatformHelpers::rootOf(file);
    const bool unc = root.size() >= 2 && root[0] == u'\\' && root[1] == u'\\';
    if (root.empty() || (!unc && (file.size() < 3 || file[2] != u'\\'))) {
        entry.unreachable = "relative folder: it depends on the application's current folder";
        return;
    }
    // The platform may answer such a search "path not found" (Wine does), which would pass
    // for absence.
    if (file.size() >= MAX_PATH_) {
        entry.unreachable = "path too long";
        return;
    }
    const std::uint32_t driveType = port_.GetDriveType(root + u'\\');
    std::u16string folder = entry.folder;
    while (folder.size() > root.size() && folder.back() == u'\\') folder.pop_back();
    std::uint32_t error = 0;
    if (folder.size() == root.size()) {
        // A root is no entry of any folder: searching for "C:\" finds nothing. It is there
        // when its drive or share answers.
        entry.folderExists = driveType > DRIVE_NO_ROOT_DIR_;
    } else {
        entry.folderExists = port_.FindFirstFile(folder).has_value();
        if (!entry.folderExists) error = port_.LastError();
    }
    if (entry.folderExists) {
        // A name with wildcards names no file at all, wherever it is.
        if (entry.name.find_first_of(u"*?") != std::u16string::npos) return;
        entry.fileExists = port_.FindFirstFile(file).has_value();
        if (entry.fileExists) return;
        error = port_.LastError();
    }
    const bool absent = !unc && driveType == DRIVE_FIXED_ &&
                        (error == std::uint32_t(ERROR_FILE_NOT_FOUND_) ||
                         error == std::uint32_t(ERROR_PATH_NOT_FOUND_));
    if (!absent) entry.unreachable = unreachableWhy(driveType, unc, error);
}

}  // namespace morvel::helpdoctor
