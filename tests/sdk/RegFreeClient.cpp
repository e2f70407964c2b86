// A client without registration: it names the private assembly Morvel10 in its manifest
// (regfree-test.sh writes it beside the program, with the DLL and the assembly's generated
// manifest), creates the library object by ProgID and prints the folder the library was
// loaded from, which must be the program's own.

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>

namespace {

// A property read by name through IDispatch, into `result`.
HRESULT get(IDispatch* object, const wchar_t* name, VARIANT& result)
{
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    DISPPARAMS none{};
    if (SUCCEEDED(hr))
        hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    return hr;
}

}  // namespace

int wmain()
{
    if (FAILED(CoInitialize(nullptr))) return 1;
    int status = 1;
    CLSID clsid{};
    IDispatch* library = nullptr;
    HRESULT hr = CLSIDFromProgID(L"Morvel10.clsKvMorvel10A", &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&library));
    std::printf("created Morvel10.clsKvMorvel10A: 0x%08lx\n", static_cast<unsigned long>(hr));
    VARIANT properties, path;
    VariantInit(&properties);
    VariantInit(&path);
    if (library && SUCCEEDED(get(library, L"GetProStdProperties", properties)) && properties.vt == VT_DISPATCH &&
        SUCCEEDED(get(properties.pdispVal, L"Path", path)) && path.vt == VT_BSTR) {
        std::printf("library folder: %ls\n", path.bstrVal);
        status = 0;
    }
    VariantClear(&path);
    VariantClear(&properties);
    if (library) library->Release();
    CoUninitialize();
    return status;
}
