// LateBoundClient.cpp: Morvel10 from C++ through IDispatch (late binding), the way a
// script host calls it: objects by ProgID, members by name. It needs no header or GUIDs
// of the library, only the platform's.
//
// Build from the SDK's samples folder (x64 shown; for the x86 library use i686-w64-mingw32-g++):
//   x86_64-w64-mingw32-g++ -std=c++17 -O2 LateBoundClient.cpp -static -lole32 -loleaut32 -luuid
//       -o LateBoundClient.exe
// Run it where the Morvel10.dll of the same width is registered. Exit code 0: every call worked.

#include <windows.h>
#include <wrl/client.h>  // ComPtr: releases each interface when it goes out of scope

#include <cstdio>
#include <initializer_list>

using Microsoft::WRL::ComPtr;

namespace {

// A VARIANT owned by the caller: cleared when it goes out of scope.
class Value {
public:
    Value() { VariantInit(&v_); }
    explicit Value(LONG number) : Value()
    {
        V_VT(&v_) = VT_I4;
        V_I4(&v_) = number;
    }
    explicit Value(const wchar_t* text) : Value()
    {
        V_BSTR(&v_) = SysAllocString(text);
        if (V_BSTR(&v_)) V_VT(&v_) = VT_BSTR;
    }
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    ~Value() { VariantClear(&v_); }
    VARIANT* get() { return &v_; }

    // The value as text, converted the way a script would print it.
    void print() const
    {
        VARIANT text;
        VariantInit(&text);
        if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(&v_), VARIANT_ALPHABOOL, VT_BSTR)))
            std::printf("%ls", V_BSTR(&text));
        VariantClear(&text);
    }

private:
    VARIANT v_;
};

ComPtr<IDispatch> create(const wchar_t* progId)
{
    ComPtr<IDispatch> object;
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(object.GetAddressOf()));
    if (FAILED(hr)) std::printf("cannot create %ls: 0x%08lX\n", progId, static_cast<unsigned long>(hr));
    return object;
}

// Calls one member by name. `kind` is DISPATCH_METHOD, DISPATCH_PROPERTYGET or
// DISPATCH_PROPERTYPUT; `args` in the order the member declares them (IDispatch wants them
// last to first). A failure is printed with the library's description of it.
HRESULT call(IDispatch* object, const wchar_t* name, WORD kind, std::initializer_list<VARIANT*> args,
             Value* result = nullptr)
{
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
        std::printf("%ls: no such member (0x%08lX)\n", name, static_cast<unsigned long>(hr));
        return hr;
    }
    VARIANT reversed[8];
    UINT count = 0;
    for (auto it = args.end(); it != args.begin() && count < 8;) reversed[count++] = **--it;  // shallow copies
    DISPID putId = DISPID_PROPERTYPUT;  // a property put names its value argument
    DISPPARAMS params = {reversed, nullptr, count, 0};
    if (kind == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    EXCEPINFO error = {};
    UINT badArgument = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result ? result->get() : nullptr, &error,
                        &badArgument);
    if (hr == DISP_E_EXCEPTION) {
        // The member failed: EXCEPINFO carries its error (scode 0x800A0000 plus the number).
        if (error.pfnDeferredFillIn) error.pfnDeferredFillIn(&error);
        std::printf("%ls failed: 0x%08lX %ls\n", name, static_cast<unsigned long>(error.scode),
                    error.bstrDescription ? error.bstrDescription : L"");
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrHelpFile);
    } else if (FAILED(hr)) {
        std::printf("%ls failed: 0x%08lX\n", name, static_cast<unsigned long>(hr));
    }
    return hr;
}

bool showHtmlHelpClass()
{
    const ComPtr<IDispatch> help = create(L"Morvel10.clsKvHlpfHtmlA");
    if (!help) return false;

    Value file(L"Library.chm"), back;
    if (FAILED(call(help.Get(), L"CHMFile", DISPATCH_PROPERTYPUT, {file.get()}))) return false;
    if (FAILED(call(help.Get(), L"CHMFile", DISPATCH_PROPERTYGET, {}, &back))) return false;
    std::printf("CHMFile: ");
    back.print();

    Value which(2), textFile;
    if (FAILED(call(help.Get(), L"HHSetHelpFile", DISPATCH_METHOD, {which.get()}, &textFile))) return false;
    std::printf("\nDefault text help file: ");
    textFile.print();

    Value version;
    if (FAILED(call(help.Get(), L"GetWindowsVersion", DISPATCH_METHOD, {}, &version))) return false;
    std::printf("\nWindows version code: ");
    version.print();
    std::printf("\n");
    return true;
}

bool showWinHelpClass()
{
    const ComPtr<IDispatch> winHelp = create(L"Morvel10.clsKvHlpfHlpA");
    if (!winHelp) return false;
    // Through IDispatch the command is a plain number: the platform's macro serves.
    Value window(0L), command(HELP_QUIT), result;  // window 0: no owner
    if (FAILED(call(winHelp.Get(), L"WinHelpHlpf", DISPATCH_METHOD, {window.get(), command.get()}, &result)))
        return false;
    std::printf("WinHelp quit: %s\n", V_VT(result.get()) == VT_I4 && V_I4(result.get()) ? "done" : "refused");
    return true;
}

bool showLibraryObject()
{
    const ComPtr<IDispatch> library = create(L"Morvel10.clsKvMorvel10A");
    if (!library) return false;
    // The application information is an object of its own, reached through a property.
    Value info, title;
    if (FAILED(call(library.Get(), L"GetProStdProperties", DISPATCH_PROPERTYGET, {}, &info))) return false;
    if (V_VT(info.get()) != VT_DISPATCH || !V_DISPATCH(info.get())) return false;
    if (FAILED(call(V_DISPATCH(info.get()), L"Title", DISPATCH_PROPERTYGET, {}, &title))) return false;
    std::printf("Library title: ");
    title.print();
    std::printf("\n");
    // The library holds no string resources: this call fails with the library's error.
    Value id(1), text;
    std::printf("GetProResStrings(1), expected to fail: ");
    return FAILED(call(library.Get(), L"GetProResStrings", DISPATCH_PROPERTYGET, {id.get()}, &text));
}

}  // namespace

int main()
{
    // Every object of the library lives in a single-threaded apartment.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const bool ok = showHtmlHelpClass() && showWinHelpClass() && showLibraryObject();
    CoUninitialize();
    std::printf(ok ? "Done.\n" : "Stopped.\n");
    return ok ? 0 : 1;
}
