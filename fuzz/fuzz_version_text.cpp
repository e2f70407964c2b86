// Version texts and their comparison, and the text made from a file's version resource
// of whatever size it declares.
#include <cstdlib>

#include "FuzzInput.h"
#include "htmlhelp/PlatformHelpers.h"
#include "htmlhelp/VersionText.h"

using namespace morvel;
using namespace morvel::htmlhelp;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::u16string a = fuzz::text(in, 40), b = fuzz::text(in, 40);

    const bool wellFormed = VersionText::isWellFormed(a) && VersionText::isWellFormed(b);
    const bool meets = VersionText::meetsMinimum(a, b);
    if (!wellFormed && meets) std::abort();
    if (wellFormed) {
        // An order: each text meets itself, the comparison turns round, and meeting the
        // minimum is that comparison.
        const int ab = VersionText::compare(a, b), ba = VersionText::compare(b, a);
        if ((ab > 0) != (ba < 0) || (ab == 0) != (ba == 0)) std::abort();
        if (VersionText::compare(a, a) != 0 || !VersionText::meetsMinimum(a, a)) std::abort();
        if (meets != (ab >= 0)) std::abort();
    }

    // The text of a version resource, from a resource of any declared size.
    FakePlatform fake;
    const std::uint16_t w[4] = {in.ConsumeIntegral<std::uint16_t>(), in.ConsumeIntegral<std::uint16_t>(),
                                in.ConsumeIntegral<std::uint16_t>(), in.ConsumeIntegral<std::uint16_t>()};
    const std::uint32_t declared = in.ConsumeIntegral<std::uint32_t>();
    if (in.ConsumeBool())
        fake.SetFileVersion("C:\\Lib\\control.dll", w[0], w[1], w[2], w[3], declared);
    else
        fake.SetVersionResourceWithoutRoot("C:\\Lib\\control.dll", declared);
    fuzz::tweakPlatform(in, fake);
    PlatformHelpers helpers(fake);
    const std::u16string fileText = helpers.GetFileVersionText(in.ConsumeBool() ? u"C:\\Lib\\control.dll"
                                                                                : fuzz::text(in, 32));
    if (!fileText.empty() && !VersionText::isWellFormed(fileText)) std::abort();
    for (auto offered : fake.versionBlockSizes)
        if (offered > PlatformHelpers::MaxVersionBlock) std::abort();

    // The text of any version reads back as the same release.
    const FileVersion version{std::uint32_t(w[0]) << 16 | w[1], std::uint32_t(w[2]) << 16 | w[3]};
    const std::u16string made = PlatformHelpers::VersionText(version);
    if (!VersionText::isWellFormed(made) || !VersionText::meetsMinimum(made, made)) std::abort();
    return 0;
}
