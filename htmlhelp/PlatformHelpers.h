#pragma once
// Which platform we run on, the long form of a path, and the version text of a file.
// The only places the HTML Help class asks the platform these questions.

#include <cstdint>
#include <string>

#include "HtmlHelpPort.h"

namespace morvel::htmlhelp {

class PlatformHelpers {
public:
    explicit PlatformHelpers(HtmlHelpPort& port) : port_(port) {}

    // The resource read stops here; the fixed record sits at the start of a version
    // resource, so a larger resource still yields its version.
    static constexpr std::uint32_t MaxVersionBlock = 64000;

    // 0 unknown or later, 1 NT 3.x, 2 95, 3 NT 4, 4 98, 5 NT 5.x.
    std::int32_t GetWindowsVersion();

    // Long form of ShortPath into LongPath. Returns the length written, the size the
    // platform needs, or 0 when the path cannot be resolved; see the .cpp for which
    // LongPath the two branches leave behind.
    std::int32_t ResolveLongPath(const std::u16string& ShortPath, std::u16string& LongPath, std::int32_t BufferLength);

    // Cuts text at its first NUL, in place, and returns what is left.
    static std::u16string TrimAtNull(std::u16string& text);

    // "A.BB.CC.DD" (or "A.BB.DDDD" when the third group is 0) from the file's version
    // resource; empty when the file has none or its root block cannot be read.
    std::u16string GetFileVersionText(const std::u16string& FilePath);
    static std::u16string VersionText(const FileVersion& version);

    // Path pieces shared by the checks and the registration.
    // The text after the last backslash (the whole text when there is none).
    static std::u16string fileNamePart(const std::u16string& path);
    // folder + name with exactly the one backslash a folder without its own needs.
    static std::u16string joinFolder(const std::u16string& folder, const std::u16string& name);
    // "C:" or "\\server\share" of a path; empty when it has neither.
    static std::u16string rootOf(const std::u16string& path);
    // A folder made absolute against the current folder; absolute ones come back as given.
    std::u16string absoluteFolder(const std::u16string& folder);

private:
    std::int32_t walkDirectories(const std::u16string& ShortPath, std::u16string& LongPath);

    HtmlHelpPort& port_;
};

}  // namespace morvel::htmlhelp
