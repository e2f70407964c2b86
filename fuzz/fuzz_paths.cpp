// The path helpers and the completion of a bare file name, over an arbitrary file tree,
// HTML Help file list and platform version.
#include <cstdlib>

#include "FuzzInput.h"
#include "htmlhelp/HtmlHelpObject.h"

using namespace morvel;
using namespace morvel::htmlhelp;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    FakePlatform fake;
    fuzz::addFiles(in, fake, 8);
    for (int i = in.ConsumeIntegralInRange<int>(0, 3); i > 0; --i)
        fake.ListHelpFile(fuzz::ansi(fuzz::text(in, 16)), fuzz::ansi(fuzz::text(in, 32)));
    fake.SetWindows(in.ConsumeIntegralInRange<std::uint32_t>(0, 3), in.ConsumeIntegralInRange<std::uint32_t>(3, 6),
                    in.PickValueInArray<std::uint32_t>({0, 10, 90}));
    fuzz::tweakPlatform(in, fake);
    HtmlHelpObject object(fake);
    PlatformHelpers& helpers = object.platformHelpers;

    const std::u16string path = fuzz::text(in, 64);
    const std::u16string name = PlatformHelpers::fileNamePart(path);
    if (name.find(u'\\') != std::u16string::npos || path.size() < name.size() ||
        path.compare(path.size() - name.size(), name.size(), name) != 0)
        std::abort();
    const std::u16string folder = fuzz::text(in, 32);
    const std::u16string joined = PlatformHelpers::joinFolder(folder, name);
    if (joined.compare(0, folder.size(), folder) != 0 || joined.size() > folder.size() + 1 + name.size()) std::abort();

    try {
        const std::u16string absolute = helpers.absoluteFolder(folder);
        // A folder that was absolute already comes back as it was.
        if (folder.size() >= 3 && folder[1] == u':' && folder[2] == u'\\' &&
            ((folder[0] | 0x20) >= u'a' && (folder[0] | 0x20) <= u'z') && absolute != folder)
            std::abort();
    } catch (const AutomationError&) {
        // The platform could not say what the current folder is; callers report that.
    }

    std::u16string longPath = fuzz::text(in, 8);
    const std::int32_t buffer = in.ConsumeIntegralInRange<std::int32_t>(-2, 300);
    const std::int32_t length = helpers.ResolveLongPath(path, longPath, buffer);
    if (length < 0) std::abort();

    Text toFind = fuzz::maybeNull(in, 48);
    const bool bare = textOrEmpty(toFind).find(u'\\') == std::u16string::npos;
    try {
        const bool found = object.helpFileChecks.EnsureFileExists(toFind);
        // A bare name is completed with some folder, found or not.
        if (bare && !toFind) std::abort();
        if (!found && fake.messageBoxes.empty()) std::abort();
    } catch (const AutomationError&) {}
    if (fake.OpenKeyCount() != 0) std::abort();
    return 0;
}
