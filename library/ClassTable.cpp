#include "comkit/ClassTable.h"

#include "library/Published.h"
#include "ClassCatalogue.h"
#include "clsKvHlpfAdvancedA.h"
#include "clsKvHlpfGeneralA.h"
#include "clsKvMorvel10A.h"
#include "htmlhelp/ComHtmlHelp.h"
#include "winhelp/ComWinHelp.h"

namespace morvel {

const ClassTable& classTable() noexcept
{
#define MORVEL_CLASS(name, factory) {&CLSID_##name, L## #name, &factory},
    static const ClassEntry entries[] = {MORVEL10_CLASSES(MORVEL_CLASS)};
#undef MORVEL_CLASS
    static const ClassTable table{MORVEL10_LIBRARY, entries, true};
    return table;
}

}  // namespace morvel
