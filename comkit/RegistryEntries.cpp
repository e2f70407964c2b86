#include "RegistryEntries.h"

#include <objbase.h>

#include <cwchar>

#include "Handles.h"
#include "TypeDescription.h"

namespace morvel {
namespace {

// The platform's proxy-stub classes for automation interfaces: dual or oleautomation
// interfaces go through the type-library marshaller, pure dispinterfaces through the
// dispatch proxy.
constexpr wchar_t OleAutomationProxy[] = L"{00020424-0000-0000-C000-000000000046}";
constexpr wchar_t DispatchProxy[] = L"{00020420-0000-0000-C000-000000000046}";

std::wstring hex(unsigned value)
{
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"%x", value);
    return text;
}

}  // namespace

std::wstring guidText(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

HRESULT describeTypeLibrary(ITypeLib* library, TypeLibraryFacts& facts)
{
    LibAttr attributes;
    if (HRESULT hr = attributes.read(library); FAILED(hr)) return hr;
    facts.libid = guidText(attributes->guid);
    facts.version = hex(attributes->wMajorVerNum) + L"." + hex(attributes->wMinorVerNum);
    facts.locale = hex(attributes->lcid);
    facts.platform = attributes->syskind == SYS_WIN64 ? L"win64" : L"win32";
    facts.flags = std::to_wstring(attributes->wLibFlags);
    Bstr description;
    if (HRESULT hr = library->GetDocumentation(-1, nullptr, description.put(), nullptr, nullptr); FAILED(hr)) return hr;
    facts.description = description.get() ? description.get() : L"";

    facts.interfaces.clear();
    const UINT count = library->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        ComPtr<ITypeInfo> info;
        if (HRESULT hr = library->GetTypeInfo(i, info.put()); FAILED(hr)) return hr;
        TypeAttr type;
        if (HRESULT hr = type.read(info.get()); FAILED(hr)) return hr;
        // The platform registers what it can marshal from the library alone: dispinterfaces
        // (the dispatch half of a dual interface among them) and oleautomation interfaces.
        const bool automation = type->typekind == TKIND_INTERFACE && (type->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
        if (type->typekind != TKIND_DISPATCH && !automation) continue;
        Bstr name;
        if (HRESULT hr = library->GetDocumentation(static_cast<INT>(i), name.put(), nullptr, nullptr, nullptr);
            FAILED(hr))
            return hr;
        const bool dispatchOnly = type->typekind == TKIND_DISPATCH && !(type->wTypeFlags & TYPEFLAG_FDUAL);
        facts.interfaces.push_back({guidText(type->guid), name.get() ? name.get() : L"", dispatchOnly});
    }
    return S_OK;
}

std::vector<RegistryEntry> classEntries(const ClassTable& table, const TypeLibraryFacts* library,
                                        const std::wstring& modulePath)
{
    std::vector<RegistryEntry> entries;
    for (const ClassEntry& entry : table.classes) {
        const std::wstring progId = std::wstring(table.library) + L"." + entry.name;
        const std::wstring clsid = guidText(*entry.clsid);
        const std::wstring clsidKey = L"CLSID\\" + clsid;
        entries.push_back({progId, L"", progId});
        entries.push_back({progId + L"\\CLSID", L"", clsid});
        entries.push_back({clsidKey, L"", progId});
        entries.push_back({clsidKey + L"\\ProgID", L"", progId});
        entries.push_back({clsidKey + L"\\InprocServer32", L"", modulePath});
        entries.push_back({clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"});
        if (library) {
            entries.push_back({clsidKey + L"\\TypeLib", L"", library->libid});
            entries.push_back({clsidKey + L"\\VERSION", L"", library->version});
        }
    }
    return entries;
}

std::vector<RegistryEntry> typeLibraryEntries(const TypeLibraryFacts& library, const std::wstring& libraryPath,
                                              const std::wstring& helpDir)
{
    std::vector<RegistryEntry> entries = {
        {library.versionKey(), L"", library.description},
        {library.versionKey() + L"\\FLAGS", L"", library.flags},
        {library.versionKey() + L"\\HELPDIR", L"", helpDir},
        {library.platformKey(), L"", libraryPath},
    };
    for (const auto& item : library.interfaces) {
        const std::wstring key = L"Interface\\" + item.iid;
        const wchar_t* proxy = item.dispatchOnly ? DispatchProxy : OleAutomationProxy;
        entries.push_back({key, L"", item.name});
        entries.push_back({key + L"\\ProxyStubClsid", L"", proxy});
        entries.push_back({key + L"\\ProxyStubClsid32", L"", proxy});
        entries.push_back({key + L"\\TypeLib", L"", library.libid});
        entries.push_back({key + L"\\TypeLib", L"Version", library.version});
    }
    return entries;
}

}  // namespace morvel
