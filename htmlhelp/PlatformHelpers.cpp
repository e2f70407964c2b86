#include "PlatformHelpers.h"

#include <algorithm>
#include <vector>

namespace morvel::htmlhelp {

namespace {

std::u16string ascii(const std::string& s) { return {s.begin(), s.end()}; }

std::u16string padded(std::uint32_t value, std::size_t digits)
{
    std::string text = std::to_string(value);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return ascii(text);
}

bool isAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
char16_t asciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c; }

bool hasDrive(const std::u16string& path) { return path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == u':'; }
bool isUnc(const std::u16string& path) { return path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\'; }

}  // namespace

std::u16string PlatformHelpers::rootOf(const std::u16string& folder)
{
    if (hasDrive(folder)) return folder.substr(0, 2);
    if (!isUnc(folder)) return {};
    const auto server = folder.find(u'\\', 2);
    if (server == std::u16string::npos) return folder;
    const auto share = folder.find(u'\\', server + 1);
    return share == std::u16string::npos ? folder : folder.substr(0, share);
}

std::int32_t PlatformHelpers::GetWindowsVersion()
{
    OsVersion info;
    if (!port_.GetVersionEx(info)) return 0;
    switch (info.platformId) {
    case 1:  // the 9x line: told apart by the minor version
        if (info.minorVersion == 0) return 2;
        if (info.minorVersion == 10) return 4;
        return 0;
    case 2:  // the NT line: told apart by the major version
        if (info.majorVersion == 3) return 1;
        if (info.majorVersion == 4) return 3;
        if (info.majorVersion == 5) return 5;
        return 0;
    default: return 0;
    }
}

std::int32_t PlatformHelpers::ResolveLongPath(const std::u16string& ShortPath, std::u16string& LongPath,
                                              std::int32_t BufferLength)
{
    if (GetWindowsVersion() < 4) return walkDirectories(ShortPath, LongPath);

    // The platform's own query, with the path exactly as given.
    const std::uint32_t capacity = BufferLength > 0 ? std::uint32_t(BufferLength) : 0;
    std::u16string longForm;
    const std::uint32_t result = port_.GetLongPathName(ShortPath, longForm, capacity);
    // Only a result that fitted the offered buffer carries a long form.
    if (result >= 1 && std::int64_t(result) <= std::int64_t(BufferLength) - 1) LongPath = longForm;
    return std::int32_t(result);
}

// Directory by directory, for platforms whose long-path query we do not trust. Only a
// path of the form drive, colon, backslash can be walked; anything else (UNC, relative)
// is left as it was rather than cut into a drive-shaped path that names nothing.
std::int32_t PlatformHelpers::walkDirectories(const std::u16string& ShortPath, std::u16string& LongPath)
{
    std::u16string path = ShortPath;
    if (!path.empty() && path.front() == u'"') path.erase(0, 1);
    if (!path.empty() && path.back() == u'"') path.pop_back();
    if (!hasDrive(path) || (path.size() > 2 && path[2] != u'\\')) return 0;

    std::u16string resolved = path.substr(0, 2);
    std::u16string rest = path.size() > 3 ? path.substr(3) : std::u16string();
    for (;;) {
        const auto slash = rest.find(u'\\');
        if (slash == std::u16string::npos) {
            // The last component is kept as given: it may be a file that does not exist yet.
            resolved += u'\\';
            resolved += rest;
            LongPath = resolved;
            return std::int32_t(LongPath.size());
        }
        const std::u16string component = rest.substr(0, slash);
        auto entry = port_.FindFirstFile(resolved + u'\\' + component);
        if (!entry) {
            LongPath = resolved;
            return 0;
        }
        std::u16string& name = *entry;
        resolved += u'\\';
        resolved += TrimAtNull(name);
        rest.erase(0, slash + 1);
    }
}

std::u16string PlatformHelpers::TrimAtNull(std::u16string& text)
{
    const auto nul = text.find(u'\0');
    if (nul != std::u16string::npos) text.resize(nul);
    return text;
}

std::u16string PlatformHelpers::GetFileVersionText(const std::u16string& FilePath)
{
    const PlatformText path = toPlatformText(port_, FilePath);
    const std::uint32_t size = std::min(port_.GetFileVersionInfoSize(path), MaxVersionBlock);
    if (size == 0) return {};
    std::vector<std::uint8_t> block(size, 0);
    if (!port_.GetFileVersionInfo(path, block)) return {};
    const auto fixed = port_.VerQueryRoot(block);
    if (!fixed) return {};
    return VersionText(*fixed);
}

std::u16string PlatformHelpers::VersionText(const FileVersion& version)
{
    const std::uint32_t a = version.fileVersionMS >> 16, b = version.fileVersionMS & 0xFFFF;
    const std::uint32_t c = version.fileVersionLS >> 16, d = version.fileVersionLS & 0xFFFF;
    std::u16string text = ascii(std::to_string(a)) + u'.' + padded(b, 2) + u'.';
    if (c != 0) return text + padded(c, 2) + u'.' + padded(d, 2);
    return text + padded(d, 4);
}

std::u16string PlatformHelpers::fileNamePart(const std::u16string& path)
{
    const auto slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::u16string PlatformHelpers::joinFolder(const std::u16string& folder, const std::u16string& name)
{
    if (!folder.empty() && folder.back() == u'\\') return folder + name;
    return folder + u'\\' + name;
}

std::u16string PlatformHelpers::absoluteFolder(const std::u16string& folder)
{
    if (isUnc(folder) || (hasDrive(folder) && folder.size() > 2 && folder[2] == u'\\')) return folder;

    const std::u16string current = port_.CurrentFolder();
    if (!folder.empty() && folder[0] == u'\\') {
        // Rooted without a drive: the root of the current folder's drive or share.
        const std::u16string root = rootOf(current);
        if (!root.empty()) return root + folder;
        return joinFolder(current, folder.substr(1));
    }
    if (hasDrive(folder)) {
        // "X:sub\" is relative to X's current folder; only the current drive's is known.
        const std::u16string rest = folder.substr(2);
        if (hasDrive(current) && asciiUpper(current[0]) == asciiUpper(folder[0])) return joinFolder(current, rest);
        return folder.substr(0, 2) + u'\\' + rest;
    }
    return joinFolder(current, folder);
}

}  // namespace morvel::htmlhelp
