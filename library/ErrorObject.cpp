#include "ErrorObject.h"

#include <string>

#include "comkit/ClassTable.h"
#include "comkit/Conversions.h"
#include "comkit/LastDllError.h"
#include "comkit/PropertyObject.h"

namespace morvel {
namespace {

std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

ComPtr<IDispatch> createErrorObject(const AutomationError& error)
{
    NamedValues values;
    values.emplace_back(L"Number", variantOfLong(error.number()));
    const std::wstring source = error.source().empty() ? std::wstring(classTable().library) : wide(error.source());
    values.emplace_back(L"Source", variantOfText(source));
    values.emplace_back(L"Description", variantOfText(wide(error.description())));
    values.emplace_back(L"HelpFile", variantOfText(L""));
    values.emplace_back(L"HelpContext", variantOfLong(0));
    values.emplace_back(L"LastDllError", variantOfLong(static_cast<LONG>(lastDllError::value())));
    return createPropertyObject(std::move(values));
}

}  // namespace morvel
