// Reading one text value out of arbitrary registry contents, and taking the data back
// out of the line it is returned in.
#include <cstdlib>

#include "FuzzInput.h"
#include "htmlhelp/RegistryAccess.h"
#include "htmlhelp/RegistryValueIndex.h"

using namespace morvel;
using namespace morvel::htmlhelp;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    FakePlatform fake;
    const std::u16string keyPath = fuzz::text(in, 48);
    const RegKey root = fuzz::pickRoot(in);
    const int values = in.ConsumeIntegralInRange<int>(0, 8);
    for (int i = 0; i < values; ++i)
        fuzz::addValue(in, fake, root, in.ConsumeBool() ? fuzz::ansi(keyPath) : fuzz::ansi(fuzz::text(in, 48)),
                       fuzz::ansi(fuzz::text(in, 24)));
    for (int i = in.ConsumeIntegralInRange<int>(0, 3); i > 0; --i)
        fake.SetEnv(fuzz::ansi(fuzz::text(in, 8)), fuzz::ansi(fuzz::text(in, 32)));
    fuzz::tweakPlatform(in, fake);
    const std::u16string rootName = in.ConsumeBool() ? in.PickValueInArray<std::u16string>(
                                                           {u"HKLM", u"hkcu", u"HKCR", u"HKU", u"HKCC"})
                                                     : fuzz::text(in, 6);
    const std::u16string name = fuzz::text(in, 24);

    RegistryAccess registry(fake);
    const RegistryValueRecord record = registry.GetRegistryValue(rootName, keyPath, name);
    const std::u16string stored = RegistryAccess::dataOfLine(record);
    if (!record.ValueLine.empty()) {
        // A line comes only for the name asked for, and it is "name=data\r".
        if (record.ValueName != name || record.ValueLine.back() != u'\r') std::abort();
        // The stored name the line starts with matched: it need not be as long as the
        // name asked for (the comparison ignores some characters), and may hold "=" itself.
        bool storedNameMatches = false;
        for (std::size_t at = record.ValueLine.find(u'='); at != std::u16string::npos && !storedNameMatches;
             at = record.ValueLine.find(u'=', at + 1))
            storedNameMatches = fake.CompareNoCase(record.ValueLine.substr(0, at), name) == 0;
        if (!storedNameMatches) std::abort();
        if (stored.find(u'\0') != std::u16string::npos) std::abort();
    } else if (!stored.empty()) {
        std::abort();
    }
    // An index of the key answers as the enumeration does, both when it is made and from
    // the index kept.
    if (const RegKey rootKey = registry.GetRootKeyHandle(rootName)) {
        RegistryValueIndex index(fake, registry, rootKey, keyPath);
        for (int round = 0; round < 2; ++round) {
            const RegistryValueRecord indexed = index.GetRegistryValue(name);
            if (indexed.ValueName != record.ValueName || indexed.ValueLine != record.ValueLine) std::abort();
        }
    }
    registry.GetKeyInfo(keyPath, 0);
    if (fake.OpenKeyCount() != 0) std::abort();  // every key opened was closed

    // The line parser on its own, with lines no lookup would make.
    RegistryValueRecord made{fuzz::text(in, 16), fuzz::text(in, 64)};
    (void)RegistryAccess::dataOfLine(made);
    return 0;
}
