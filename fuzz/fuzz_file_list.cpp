// Registering, unregistering and looking up help files over whatever the HTML Help file
// list already holds. Whatever happens, the list never gains an entry the help engine
// could not use: every entry we write is a plain .chm name with its folder, as text with
// its NUL.
#include <cstdlib>

#include "FuzzInput.h"
#include "htmlhelp/HtmlHelpObject.h"

using namespace morvel;
using namespace morvel::htmlhelp;

namespace {

constexpr char ListKey[] = "Software\\Microsoft\\Windows\\HTML Help";

bool wellFormedEntry(const std::string& name, const FakePlatform::Value& value)
{
    if (name.empty() || name.find_first_of("\\*?") != std::string::npos) return false;
    if (name.size() < 3 || FakePlatform::Upper(name.substr(name.size() - 3)) != "CHM") return false;
    if (value.type != REG_SZ_ || value.data.size() % 2 != 0) return false;
    const std::u16string d = RegistryAccess::textOfData(value.data);
    if (d.size() < 2 || d.back() != 0 || d[d.size() - 2] != u'\\') return false;
    return std::find(d.begin(), d.end() - 1, u'\0') == d.end() - 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    FakePlatform fake;
    if (in.ConsumeIntegralInRange<int>(0, 7) != 0)
        fake.AddKey(HKEY_LOCAL_MACHINE_, ListKey, in.ConsumeBool() && in.ConsumeBool());
    for (int i = in.ConsumeIntegralInRange<int>(0, 6); i > 0; --i) {
        std::string name = fuzz::ansi(fuzz::text(in, 20));
        if (in.ConsumeBool()) name += ".chm";
        fuzz::addValue(in, fake, HKEY_LOCAL_MACHINE_, ListKey, name);
    }
    fuzz::addFiles(in, fake, 8);
    fuzz::tweakPlatform(in, fake);
    HtmlHelpObject object(fake);
    HelpFileRegistration& list = object.helpFileRegistration;

    for (int step = in.ConsumeIntegralInRange<int>(1, 4); step > 0 && in.remaining_bytes() > 0; --step) {
        const auto before = fake.Values(HKEY_LOCAL_MACHINE_, ListKey);
        Text file = fuzz::maybeNull(in, 48);
        if (file && in.ConsumeBool()) *file += u".chm";
        try {
            switch (in.ConsumeIntegralInRange<int>(0, 3)) {
            case 0: list.HHRegister(file); break;
            case 1: list.HHUnRegister(file); break;
            case 2: list.HHCheckRegistry(file); break;
            default: object.helpFileChecks.EnsureFileExists(file); break;
            }
        } catch (const AutomationError&) {
            // The platform could not name a folder; the command reports it.
        }
        for (const auto& entry : fake.Values(HKEY_LOCAL_MACHINE_, ListKey)) {
            const auto& [name, value] = entry;
            const auto old = std::find_if(before.begin(), before.end(),
                                          [&](const auto& v) { return v.first == entry.first; });
            const bool unchanged = old != before.end() && old->second.type == value.type &&
                                   old->second.data == value.data;
            if (!unchanged && !wellFormedEntry(name, value)) std::abort();
        }
        // Only the list's own key may stay open, while the object keeps an index of it.
        if (fake.OpenKeyCount() != (object.fileList.kept() ? 1u : 0u)) std::abort();
    }
    // A file found by the existence check always has a folder in front of it (a bare name
    // is completed first), so this refusal of HHRegister is never reached.
    for (const auto& box : fake.messageBoxes)
        if (box.text.text().find(u"without having a supplied path") != std::u16string::npos) std::abort();
    return 0;
}
