// VtableClient.cpp: Morvel10 from C++ through the interfaces' function tables (early
// binding). Morvel10.h declares the interfaces; Morvel10_i.c defines the class and
// interface identifiers (CLSID_clsKvHlpfHtmlA, IID__clsKvHlpfHtmlA, ...).
//
// Build from the SDK's samples folder (x64 shown; for the x86 library use i686-w64-mingw32-g++):
//   x86_64-w64-mingw32-g++ -std=c++17 -O2 -I../include VtableClient.cpp ../include/Morvel10_i.c
//       -static -lole32 -loleaut32 -luuid -o VtableClient.exe
// Run it where the Morvel10.dll of the same width is registered. Exit code 0: every call worked.

#include <windows.h>
#include <wrl/client.h>  // ComPtr: releases each interface when it goes out of scope

#include <Morvel10.h>

#include <cstdio>

using Microsoft::WRL::ComPtr;

namespace {

// A BSTR owned by the caller: freed when it goes out of scope.
class Text {
public:
    explicit Text(const wchar_t* text = nullptr) : value_(text ? SysAllocString(text) : nullptr) {}
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { SysFreeString(value_); }
    BSTR get() const { return value_; }
    BSTR* put()  // for an out-argument: frees the old text first
    {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    BSTR* inOut() { return &value_; }  // for a by-reference argument the callee may rewrite
    const wchar_t* show() const { return value_ ? value_ : L""; }

private:
    BSTR value_;
};

// Prints a failed call with the error information the library left for this thread.
bool succeeded(const char* what, HRESULT hr)
{
    if (SUCCEEDED(hr)) return true;
    Text description;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) == S_OK) info->GetDescription(description.put());
    std::printf("%s failed: 0x%08lX %ls\n", what, static_cast<unsigned long>(hr), description.show());
    return false;
}

bool showHtmlHelpClass()
{
    ComPtr<_clsKvHlpfHtmlA> help;
    if (!succeeded("CoCreateInstance(clsKvHlpfHtmlA)",
                   CoCreateInstance(CLSID_clsKvHlpfHtmlA, nullptr, CLSCTX_INPROC_SERVER, IID__clsKvHlpfHtmlA,
                                    reinterpret_cast<void**>(help.GetAddressOf()))))
        return false;

    // A property keeps a copy of what it is given; the caller still frees its own text.
    const Text file(L"Library.chm");
    Text back;
    if (!succeeded("put_CHMFile", help->put_CHMFile(file.get())) ||
        !succeeded("get_CHMFile", help->get_CHMFile(back.put())))
        return false;
    std::printf("CHMFile: %ls\n", back.show());

    Text textFile;
    if (!succeeded("HHSetHelpFile", help->HHSetHelpFile(2, textFile.put()))) return false;
    std::printf("Default text help file: %ls\n", textFile.show());

    // By-reference arguments are pointers to the caller's variables; the library may
    // rewrite them (HHRegister leaves the bare file name there, for instance).
    Text lookup(L"Library.chm");
    VARIANT found;
    VariantInit(&found);
    const HRESULT checked = help->HHCheckRegistry(lookup.inOut(), &found);
    VariantClear(&found);
    if (!succeeded("HHCheckRegistry", checked)) return false;
    Text registeredName;
    if (!succeeded("get_HHRegFileName", help->get_HHRegFileName(registeredName.put()))) return false;
    std::printf("Library.chm is %s\n", SysStringLen(registeredName.get()) ? "registered" : "not registered");

    LONG version = 0;
    if (!succeeded("GetWindowsVersion", help->GetWindowsVersion(&version))) return false;
    std::printf("Windows version code: %ld\n", static_cast<long>(version));
    return true;
}

bool showWinHelpClass()
{
    ComPtr<_clsKvHlpfHlpA> winHelp;
    if (!succeeded("CoCreateInstance(clsKvHlpfHlpA)",
                   CoCreateInstance(CLSID_clsKvHlpfHlpA, nullptr, CLSCTX_INPROC_SERVER, IID__clsKvHlpfHlpA,
                                    reinterpret_cast<void**>(winHelp.GetAddressOf()))))
        return false;
    // After Morvel10.h, HELP_QUIT is the platform's macro again (same value): convert it
    // to the enumeration's type for the by-reference command argument.
    LONG window = 0;  // no owner window
    WinHelpCmdHlpfConstants command = static_cast<WinHelpCmdHlpfConstants>(HELP_QUIT);
    LONG result = 0;
    if (!succeeded("WinHelpHlpf", winHelp->WinHelpHlpf(&window, &command, &result))) return false;
    std::printf("WinHelp quit: %s\n", result ? "done" : "refused");
    return true;
}

bool showLibraryObject()
{
    ComPtr<_clsKvMorvel10A> library;
    if (!succeeded("CoCreateInstance(clsKvMorvel10A)",
                   CoCreateInstance(CLSID_clsKvMorvel10A, nullptr, CLSCTX_INPROC_SERVER, IID__clsKvMorvel10A,
                                    reinterpret_cast<void**>(library.GetAddressOf()))))
        return false;
    // The library holds no string resources: this call fails, and the error information
    // says why. A failure the library reports is 0x800A0000 plus the error number.
    LONG id = 1;
    Text text;
    const HRESULT hr = library->get_GetProResStrings(&id, text.put());
    std::printf("GetProResStrings(1), expected to fail: ");
    succeeded("the call", hr);
    return FAILED(hr);
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
