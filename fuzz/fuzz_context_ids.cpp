// The id-list reader of helpdoctor audit over arbitrary text: what it keeps stays bounded
// and printable, a line it reads on its own gives the same ids whatever follows, and every
// way C, VB and project lists write a 32-bit value reads back as that value.
#include <cstdlib>

#include "FuzzInput.h"
#include "doctor/ContextIdAudit.h"

using namespace morvel;
using namespace morvel::helpdoctor;

namespace {

std::string inBase(std::uint32_t value, unsigned base)
{
    std::string digits;
    do digits.insert(digits.begin(), "0123456789ABCDEF"[value % base]);
    while (value /= base);
    return digits;
}

void expectOne(const std::string& line, std::uint32_t value)
{
    const ContextIdList list = parseContextIds(line);
    if (list.ids.size() != 1 || list.ids[0].name != "IDH_X" || list.ids[0].id != value || !list.notes.empty())
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const ContextIdList list = parseContextIds(text);
    if (list.ids.size() > ContextIdList::MaxIds || list.notes.size() > ContextIdList::MaxNotes + 1) std::abort();
    const std::size_t lines = std::size_t(std::count(text.begin(), text.end(), '\n')) + 1;
    std::string spliced;  // the text with its C line continuations put together
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && text.compare(i + 1, 1, "\n") == 0)
            ++i;
        else if (text[i] == '\\' && text.compare(i + 1, 2, "\r\n") == 0)
            i += 2;
        else
            spliced += text[i];
    }
    for (std::size_t i = 0; i < list.ids.size(); ++i) {
        const ContextId& id = list.ids[i];
        if (id.name.empty() || spliced.find(id.name) == std::string::npos || id.line == 0 || id.line > lines)
            std::abort();
        if (i > 0 && id.line < list.ids[i - 1].line) std::abort();
    }
    for (const ContextIdNote& note : list.notes) {
        if (note.line == 0 || note.line > lines || note.text.size() > 160) std::abort();
        for (char c : note.text)
            if (c < 0x20 || c > 0x7E) std::abort();
    }

    // A definition on the first line leaves the rest read as it was, a line further on.
    if (text.rfind("\xEF\xBB\xBF", 0) != 0) {
        const ContextIdList after = parseContextIds("#define IDH_FIRST 1\n" + text);
        if (after.ids.size() != list.ids.size() + 1 || after.notes.size() != list.notes.size()) std::abort();
        for (std::size_t i = 0; i < list.ids.size(); ++i)
            if (after.ids[i + 1].id != list.ids[i].id || after.ids[i + 1].line != list.ids[i].line + 1) std::abort();
    }

    FuzzedDataProvider in(data, size);
    const std::uint32_t value = in.ConsumeIntegral<std::uint32_t>();
    const std::int32_t signedValue = std::int32_t(value);
    expectOne("#define IDH_X " + std::to_string(value) + "u", value);
    expectOne("# define IDH_X ((DWORD)0x" + inBase(value, 16) + "UL) /* hex */", value);
    expectOne("#define IDH_X 0" + inBase(value, 8), value);
    expectOne("#define IDH_X (" + std::to_string(signedValue) + ")", value);
    expectOne("enum Ids : unsigned { IDH_X = " + std::to_string(value) + " };", value);
    expectOne("Public Const IDH_X As Long = &H" + inBase(value, 16) + "& ' hex", value);
    expectOne("Const IDH_X = &O" + inBase(value, 8) + "&", value);
    expectOne("Const IDH_X = " + std::to_string(signedValue), value);
    expectOne("IDH_X=0x" + inBase(value, 16), value);
    if (parseContextIdNumber(std::to_string(value)) != value ||
        parseContextIdNumber(std::to_string(signedValue)) != value)
        std::abort();
    return 0;
}
