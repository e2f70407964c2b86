// The demo host: creates each Morvel10 class by its ProgID, as an automation client
// would, and shows what it can do.

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frame/Handles.h"

using morvel::Bstr;
using morvel::ComPtr;
using morvel::Variant;

namespace {

struct Result {
    HRESULT hr = S_OK;
    Variant value;
    std::wstring error;
};

// A late-bound call by member name; arguments in natural order.
Result call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args = {})
{
    Result r;
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    r.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(r.hr)) return r;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    r.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, r.value.get(), &exception, nullptr);
    if (exception.bstrDescription) r.error = exception.bstrDescription;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    for (VARIANT& v : args) VariantClear(&v);
    return r;
}

VARIANT text(const wchar_t* value)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(value);
    return v;
}

std::wstring show(const Result& r)
{
    if (FAILED(r.hr)) return L"error 0x" + std::to_wstring(r.hr) + L" " + r.error;
    Variant copy;
    if (FAILED(VariantChangeType(copy.get(), const_cast<VARIANT*>(r.value.get()), 0, VT_BSTR))) return L"<object>";
    return std::wstring(L"\"") + V_BSTR(copy.get()) + L"\"";
}

ComPtr<IDispatch> create(const wchar_t* progId)
{
    CLSID clsid{};
    ComPtr<IDispatch> object;
    if (SUCCEEDED(CLSIDFromProgID(progId, &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.putVoid());
    std::printf("%ls: %s\n", progId, object ? "created" : "NOT CREATED");
    return object;
}

void listMembers(IDispatch* object)
{
    ComPtr<ITypeInfo> info;
    if (FAILED(object->GetTypeInfo(0, 0, info.put()))) return;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return;
    std::wstring line;
    int own = 0;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        Bstr name;
        info->GetDocumentation(f->memid, name.put(), nullptr, nullptr, nullptr);
        // The library's own members carry ids of the 0x4003/0x6003/0x6803 ranges.
        const auto range = static_cast<unsigned long>(f->memid) & 0xFFFF0000ul;
        if (range == 0x40030000ul || range == 0x60030000ul || range == 0x68030000ul) {
            const wchar_t* kind = f->invkind == INVOKE_PROPERTYGET ? L"get " : f->invkind == INVOKE_FUNC ? L"" : L"set ";
            line += std::wstring(L" ") + kind + name.get() + L";";
            ++own;
        }
        info->ReleaseFuncDesc(f);
    }
    info->ReleaseTypeAttr(attr);
    std::printf("  %d members:%ls\n", own, own ? line.c_str() : L" (only the inherited dispatch members)");
}

void htmlHelpSettings(IDispatch* html)
{
    std::printf("  settings round-trip:\n");
    call(html, L"CHMFile", DISPATCH_PROPERTYPUT, {text(L"Library.chm")});
    call(html, L"HHTopicURL", DISPATCH_PROPERTYPUT, {text(L"html/intro.htm")});
    call(html, L"HHWindow", DISPATCH_PROPERTYPUT, {text(L"Main")});
    for (const wchar_t* name : {L"CHMFile", L"HHTopicURL", L"HHWindow", L"HHTopicID", L"HHShowOnTop", L"HHRegFileName"})
        std::printf("    %-14ls = %ls\n", name, show(call(html, name, DISPATCH_PROPERTYGET)).c_str());
}

}  // namespace

int wmain()
{
    if (FAILED(CoInitialize(nullptr))) return 1;
    int missing = 0;
    {
        for (const wchar_t* progId : {L"Morvel10.clsKvMorvel10A", L"Morvel10.clsKvHlpfHtmlA", L"Morvel10.clsKvHlpfHlpA",
                                      L"Morvel10.clsKvHlpfGeneralA", L"Morvel10.clsKvHlpfAdvancedA"}) {
            ComPtr<IDispatch> object = create(progId);
            if (!object) {
                ++missing;
                continue;
            }
            listMembers(object.get());
            if (std::wstring(progId) == L"Morvel10.clsKvHlpfHtmlA") htmlHelpSettings(object.get());
        }
    }
    CoUninitialize();
    return missing;
}
