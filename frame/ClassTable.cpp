#include "ClassTable.h"

#include "frame/Published.h"
#include "clsKvHlpfAdvancedA.h"
#include "clsKvHlpfGeneralA.h"
#include "clsKvMorvel10A.h"
#include "htmlhelp/ComHtmlHelp.h"
#include "winhelp/ComWinHelp.h"

namespace morvel {

const ClassTable& classTable() noexcept
{
    static const ClassEntry entries[] = {
        {&CLSID_clsKvMorvel10A, L"clsKvMorvel10A", &clsKvMorvel10A::create},
        {&CLSID_clsKvHlpfHtmlA, L"clsKvHlpfHtmlA", &htmlhelp::ComHtmlHelp::create},
        {&CLSID_clsKvHlpfHlpA, L"clsKvHlpfHlpA", &winhelp::ComWinHelp::create},
        {&CLSID_clsKvHlpfGeneralA, L"clsKvHlpfGeneralA", &clsKvHlpfGeneralA::create},
        {&CLSID_clsKvHlpfAdvancedA, L"clsKvHlpfAdvancedA", &clsKvHlpfAdvancedA::create},
    };
    static const ClassTable table{L"Morvel10", entries, true};
    return table;
}

}  // namespace morvel
