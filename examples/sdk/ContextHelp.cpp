// ContextHelp.cpp: F1 and What's This help in a C++ window through Morvel10. The window
// answers WM_HELP (sent by F1, by the title bar's ? button and by Shift+F1): a control
// with a context id opens its topic of the help file by that id (HHDisplayTopicID); a
// control with a popup text shows it as a text popup (HHDisplayPopup). The ids are the
// ones the help project maps ([MAP] in the .chm; helpbuild writes them as ContextIds.h).
//
// Build from the SDK's samples folder (x64 shown; for the x86 library use i686-w64-mingw32-g++):
//   x86_64-w64-mingw32-g++ -std=c++17 -O2 -municode ContextHelp.cpp -static -lole32 -loleaut32
//       -luuid -o ContextHelp.exe
// Run it as "ContextHelp.exe <help file>" (the SDK's sample help: help\Sample.chm) and
// press F1 on a control. "ContextHelp.exe <help file> --self-test" sends itself both kinds
// of WM_HELP, reports what opened and closes it again.

#include <windows.h>

#include <cstdio>
#include <initializer_list>

namespace {

const int IDH_options_dialog = 1002;  // from the help project's ids (ContextIds.h)
const int IdName = 100, IdAutosave = 101;

IDispatch* help = nullptr;  // Morvel10.clsKvHlpfHtmlA, for the life of the window

// Calls a member by name; `args` in the order the member declares them.
HRESULT call(const wchar_t* name, WORD kind, std::initializer_list<VARIANT> args)
{
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = help->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    VARIANT reversed[4];
    UINT count = 0;
    for (auto it = args.end(); it != args.begin() && count < 4;) reversed[count++] = *--it;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed, kind == DISPATCH_PROPERTYPUT ? &named : nullptr, count,
                      kind == DISPATCH_PROPERTYPUT ? 1u : 0u};
    EXCEPINFO error{};
    hr = help->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, nullptr, &error, nullptr);
    if (hr == DISP_E_EXCEPTION) std::printf("%ls: %ls\n", name, error.bstrDescription ? error.bstrDescription : L"");
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrHelpFile);
    return hr;
}

VARIANT number(LONG value)
{
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

// A VARIANT holding a text the caller frees with VariantClear.
VARIANT text(const wchar_t* value)
{
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(value);
    return v;
}

// The window handle argument the display commands take: a Long passed by reference.
HRESULT display(const wchar_t* member, HWND owner)
{
    VARIANT handle = number(static_cast<LONG>(reinterpret_cast<INT_PTR>(owner)));
    VARIANT byRef;
    V_VT(&byRef) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&byRef) = &handle;
    return call(member, DISPATCH_METHOD, {byRef});
}

HRESULT answered = S_OK;  // the last help call's result, for the self-test

// F1 on a control: its topic by context id, or a popup where it has no topic.
void answerHelp(HWND window, const HELPINFO& info)
{
    if (info.iContextType != HELPINFO_WINDOW) return;  // a menu item: not in this sample
    if (info.dwContextId != 0) {
        call(L"HHTopicID", DISPATCH_PROPERTYPUT, {number(static_cast<LONG>(info.dwContextId))});
        answered = display(L"HHDisplayTopicID", window);
        return;
    }
    VARIANT popup = text(L"Saves your work every ten minutes.");
    call(L"HHPopupType", DISPATCH_PROPERTYPUT, {number(4)});  // HH_TEXT_POPUP
    call(L"HHPopupText", DISPATCH_PROPERTYPUT, {popup});
    VariantClear(&popup);
    answered = display(L"HHDisplayPopup", window);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_HELP: answerHelp(window, *reinterpret_cast<const HELPINFO*>(lParam)); return TRUE;
    case WM_DESTROY:
        call(L"HHClose", DISPATCH_METHOD, {});  // help windows go with the program
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// What a WM_HELP for one control carries, as the platform builds it for F1.
HELPINFO helpFor(HWND control)
{
    HELPINFO info{
        sizeof(HELPINFO), HELPINFO_WINDOW, GetDlgCtrlID(control), control, GetWindowContextHelpId(control), {}};
    GetCursorPos(&info.MousePos);
    return info;
}

// The help viewers open in this process.
int viewers()
{
    int count = 0;
    for (HWND w = FindWindowW(L"HH Parent", nullptr); w; w = FindWindowExW(nullptr, w, L"HH Parent", nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(w)) ++count;
    }
    return count;
}

void pump(DWORD milliseconds)
{
    for (const DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(20)) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::printf("usage: ContextHelp <help file> [--self-test]\n");
        return 2;
    }
    if (FAILED(CoInitialize(nullptr))) return 1;
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Morvel10.clsKvHlpfHtmlA", &clsid)) ||
        FAILED(
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&help)))) {
        std::printf("Morvel10 is not registered for this width\n");
        return 1;
    }
    VARIANT file = text(argv[1]);
    call(L"CHMFile", DISPATCH_PROPERTYPUT, {file});
    VariantClear(&file);

    WNDCLASSW type{};
    type.lpfnWndProc = windowProc;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = L"ContextHelpSample";
    RegisterClassW(&type);
    HWND window = CreateWindowExW(WS_EX_CONTEXTHELP, type.lpszClassName, L"Options",
                                  WS_CAPTION | WS_SYSMENU | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 320, 140, nullptr,
                                  nullptr, type.hInstance, nullptr);
    HWND name = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 10, 280, 24, window,
                                reinterpret_cast<HMENU>(IdName), type.hInstance, nullptr);
    HWND autosave = CreateWindowExW(0, L"BUTTON", L"Autosave", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 44, 280, 24,
                                    window, reinterpret_cast<HMENU>(IdAutosave), type.hInstance, nullptr);
    SetWindowContextHelpId(name, IDH_options_dialog);  // the edit has a topic; the check box a popup

    int status = 0;
    if (argc > 2 && lstrcmpW(argv[2], L"--self-test") == 0) {
        HELPINFO info = helpFor(name);
        SendMessageW(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        pump(1500);
        const int byId = viewers();
        std::printf("F1 on the name box: %d help window(s) at IDH_options_dialog\n", byId);
        call(L"HHClose", DISPATCH_METHOD, {});
        info = helpFor(autosave);
        SendMessageW(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        pump(500);
        std::printf("F1 on the Autosave box: HHDisplayPopup returned 0x%08lx\n", static_cast<unsigned long>(answered));
        status = byId == 1 && answered == S_OK ? 0 : 1;
        DestroyWindow(window);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    help->Release();
    CoUninitialize();
    return status;
}
