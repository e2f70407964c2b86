// The demo host: creates each Morvel10 class by its ProgID, as an automation client
// would, and shows what it can do.

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frame/Handles.h"
#include "frame/Published.h"
#include "tests/com/support/ComTestSupport.h"
#include "tests/com/support/RegisteredControls.h"

using morvel::Bstr;
using morvel::ComPtr;
using morvel::Variant;
using comtest::vBool;
using comtest::vI4;
using comtest::vRef;
using comtest::vStr;

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
    call(html, L"CHMFile", DISPATCH_PROPERTYPUT, {vStr(L"Library.chm")});
    call(html, L"HHTopicURL", DISPATCH_PROPERTYPUT, {vStr(L"html/intro.htm")});
    call(html, L"HHWindow", DISPATCH_PROPERTYPUT, {vStr(L"Main")});
    for (const wchar_t* name : {L"CHMFile", L"HHTopicURL", L"HHWindow", L"HHTopicID", L"HHShowOnTop", L"HHRegFileName"})
        std::printf("    %-14ls = %ls\n", name, show(call(html, name, DISPATCH_PROPERTYGET)).c_str());
}

// The installation report. A missing control is told to the user in a message box; the
// demo records those boxes, presses OK on them and prints them with the report.
void installationReportOnce(IDispatch* html, const wchar_t* heading)
{
    auto line = [](const wchar_t* what, const Result& r) {
        const bool isBool = SUCCEEDED(r.hr) && V_VT(r.value.get()) == VT_BOOL;
        const std::wstring value = isBool ? (V_BOOL(r.value.get()) ? L"yes" : L"no") : show(r);
        std::printf("    %-24ls %ls\n", what, value.c_str());
    };
    comtest::MessageBoxRecorder boxes;
    std::printf("  installation, %ls:\n", heading);
    line(L"HTML Help installed:", call(html, L"HHInstalled", DISPATCH_PROPERTYGET));
    line(L"HHVersion:", call(html, L"HHVersion", DISPATCH_PROPERTYGET));
    line(L"IEVersion:", call(html, L"IEVersion", DISPATCH_PROPERTYGET));
    line(L"HHFriendlyName:", call(html, L"HHFriendlyName", DISPATCH_PROPERTYGET));
    line(L"IEFriendlyName:", call(html, L"IEFriendlyName", DISPATCH_PROPERTYGET));
    line(L"HH 1.3 and IE 5.0c met:", call(html, L"HHVerifyMinConfig", DISPATCH_METHOD, {vI4(HH_1_3), vI4(IE_5_0C)}));
    for (const auto& box : boxes.boxes()) std::printf("    message box: %ls\n", box.text.c_str());
}

void installationReport(IDispatch* html)
{
    installationReportOnce(html, L"as found");
    // A fresh Wine prefix has the control files but not their server keys. Register them
    // for a moment, as an installer would, and take them away again afterwards.
    if (comtest::RegisteredControls::Exists(comtest::RegisteredControls::HtmlHelpServerKey()) ||
        comtest::RegisteredControls::Exists(comtest::RegisteredControls::BrowserServerKey()))
        return;
    comtest::RegisteredControls controls;
    if (!controls.ok()) return;
    installationReportOnce(html, L"with both controls registered");
}

// The library object: its application information, and About, which the companion
// stand-in shows as a message box; the demo records the box, presses OK and prints it.
void libraryObject(IDispatch* library)
{
    Result app = call(library, L"GetProStdProperties", DISPATCH_PROPERTYGET);
    if (SUCCEEDED(app.hr) && V_VT(app.value.get()) == VT_DISPATCH && V_DISPATCH(app.value.get())) {
        std::printf("  application information:\n");
        for (const wchar_t* name : {L"Title", L"Major", L"Minor", L"Revision", L"EXEName", L"Path", L"CompanyName",
                                    L"FileDescription", L"ProductName", L"LegalCopyright", L"Comments"})
            std::printf("    %-16ls = %ls\n", name,
                        show(call(V_DISPATCH(app.value.get()), name, DISPATCH_PROPERTYGET)).c_str());
    }
    comtest::MessageBoxRecorder boxes;
    std::printf("  About = %ls\n", show(call(library, L"About", DISPATCH_METHOD)).c_str());
    for (const auto& box : boxes.boxes()) {
        std::wstring text = box.text;
        for (const wchar_t* lineBreak : {L"\r\n\r\n", L"\r\n"})
            for (size_t at; (at = text.find(lineBreak)) != std::wstring::npos;)
                text.replace(at, wcslen(lineBreak), L" / ");
        std::printf("    message box \"%ls\" (%ls icon): %ls\n", box.caption.c_str(), box.icon.c_str(), text.c_str());
    }
}

// The WinHelp class gives a window of the demo a context help id and reads it back.
void contextHelp(IDispatch* help)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"demo", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                  nullptr);
    if (!window) return;
    const LONG handle = static_cast<LONG>(reinterpret_cast<ULONG_PTR>(window));
    Result set = call(help, L"SetWindowContextHelpIdHlpf", DISPATCH_METHOD, {vI4(handle), vI4(500)});
    Result got = call(help, L"GetWindowContextHelpIdHlpf", DISPATCH_METHOD, {vI4(handle)});
    std::printf("  context help id of a window: set 500 (result %ls), read back %ls\n", show(set).c_str(),
                show(got).c_str());
    DestroyWindow(window);
}

// --- Help display and popups ----------------------------------------------------------

// Lets the help viewer paint while the demo waits.
void pumpFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < milliseconds) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

std::wstring ownFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

// The build tree lies on Wine's Z: drive, which is the Unix root.
std::wstring unixPath(const std::wstring& windowsPath)
{
    std::wstring path = windowsPath.substr(2);
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';
    return path;
}

BOOL CALLBACK viewerOfThisProcess(HWND window, LPARAM found)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    if (process != GetCurrentProcessId() || lstrcmpW(cls, L"HH Parent") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Wine's help viewer is a top-level window of class "HH Parent" titled after the help file.
HWND findViewer()
{
    HWND found = nullptr;
    EnumWindows(viewerOfThisProcess, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A picture of the whole screen by ImageMagick's import, a Unix program that Wine starts
// for us; Wine cannot wait for it, so it leaves its exit status in a second file.
bool screenshot(const std::wstring& png)
{
    const std::wstring done = png + L".status";
    DeleteFileW(done.c_str());
    std::wstring command = L"Z:\\bin\\sh -c \"import -window root '" + unixPath(png) + L"'; echo $? > '" +
                           unixPath(done) + L"'\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    for (int i = 0; i < 300 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) pumpFor(100);
    pumpFor(100);
    char status[8] = {};
    HANDLE file = CreateFileW(done.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD read = 0;
    ReadFile(file, status, sizeof status - 1, &read, nullptr);
    CloseHandle(file);
    DeleteFileW(done.c_str());
    return status[0] == '0';
}

// Opens the demo help file at a topic in the platform's help viewer, photographs the
// screen, and closes the viewer again.
void helpDisplay(IDispatch* html)
{
    const std::wstring chm = ownFolder() + L"\\help\\Demo.chm";
    const std::wstring png = ownFolder() + L"\\demo-help-viewer.png";
    call(html, L"CHMFile", DISPATCH_PROPERTYPUT, {vStr(chm.c_str())});
    call(html, L"HHTopicURL", DISPATCH_PROPERTYPUT, {vStr(L"commands.htm")});
    call(html, L"HHWindow", DISPATCH_PROPERTYPUT, {vStr(L"")});
    std::printf("  help display:\n    HHDisplayTopicURL(%ls, commands.htm) = %ls\n", chm.c_str(),
                show(call(html, L"HHDisplayTopicURL", DISPATCH_METHOD, {vI4(0)})).c_str());
    pumpFor(1500);
    HWND viewer = findViewer();
    wchar_t title[128] = L"";
    if (viewer) GetWindowTextW(viewer, title, 128);
    std::printf("    help viewer: %ls\n", viewer ? (std::wstring(L"open, \"") + title + L"\"").c_str() : L"NOT FOUND");
    if (viewer) {
        const bool shot = screenshot(png);
        std::printf("    screenshot: %ls\n", shot ? unixPath(png).c_str() : L"not taken (import failed)");
    }
    const Result closed = call(html, L"HHClose", DISPATCH_METHOD);
    pumpFor(500);
    std::printf("    HHClose = %ls; help viewer %ls\n", show(closed).c_str(), findViewer() ? L"STILL OPEN" : L"closed");
}

// In the child: one text popup with its own colours and font, at a known place.
int popupChild()
{
    if (FAILED(CoInitialize(nullptr))) return 1;
    int failed = 1;
    {
        ComPtr<IDispatch> html = comtest::create(L"Morvel10.clsKvHlpfHtmlA");
        if (html) {
            call(html.get(), L"HHPopupType", DISPATCH_PROPERTYPUT, {vI4(4)});
            call(html.get(), L"HHPopupText", DISPATCH_PROPERTYPUT, {vStr(L"Popups show small help at the pointer.")});
            call(html.get(), L"HHPopupTextColor", DISPATCH_PROPERTYPUT, {vI4(0x800000)});
            call(html.get(), L"HHPopupBackColor", DISPATCH_PROPERTYPUT, {vI4(0xE0FFFF)});
            call(html.get(), L"HHPopupTextFont", DISPATCH_PROPERTYPUT, {vStr(L"Tahoma")});
            call(html.get(), L"HHPopupTextSize", DISPATCH_PROPERTYPUT, {vStr(L"11")});
            call(html.get(), L"HHPopupTextBold", DISPATCH_PROPERTYPUT, {vBool(VARIANT_TRUE)});
            SetCursorPos(400, 300);
            failed = FAILED(call(html.get(), L"HHDisplayPopup", DISPATCH_METHOD, {vI4(0)}).hr);
        }
    }
    CoUninitialize();
    return failed;
}

// Shows a popup through the recording engine and prints what the engine received. The
// recorder stands in for the system's engine only while a child process of the demo runs,
// which Wine's per-program DLL override (in the registry: a WINEDLLOVERRIDES set here
// would not reach the child) tells to take the file in the system folder. This process
// has its engine loaded already and is not affected.
void popupThroughRecorder()
{
    wchar_t system[MAX_PATH] = {}, temp[MAX_PATH] = {}, self[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    GetTempPathW(MAX_PATH, temp);
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring engine = std::wstring(system) + L"\\hhctrl.ocx";
    const std::wstring keep = std::wstring(temp) + L"morvel-demo-hhctrl.ocx";
    const std::wstring log = std::wstring(temp) + L"morvel-demo-hhlog.txt";
    const std::wstring recorder = ownFolder() + L"\\hhrecorder\\hhctrl.ocx";
    std::printf("  popup through the recording engine:\n");
    if (!CopyFileW(engine.c_str(), keep.c_str(), FALSE) || !CopyFileW(recorder.c_str(), engine.c_str(), FALSE)) {
        std::printf("    recorder not installed (error %lu)\n", GetLastError());
        return;
    }
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"MORVEL_HHLOG", log.c_str());
    const wchar_t* program = L"Software\\Wine\\AppDefaults\\demo.exe";
    const wchar_t* overrides = L"Software\\Wine\\AppDefaults\\demo.exe\\DllOverrides";
    morvel::UniqueHKey existing;
    const bool hadSettings = RegOpenKeyExW(HKEY_CURRENT_USER, program, 0, KEY_READ, existing.put()) == ERROR_SUCCESS;
    existing.reset();
    {
        morvel::UniqueHKey key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, overrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) ==
            ERROR_SUCCESS)
            RegSetValueExW(key.get(), L"hhctrl.ocx", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"native"),
                           sizeof L"native");
    }
    std::wstring command = std::wstring(L"\"") + self + L"\" --popup";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    DWORD code = 1;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        WaitForSingleObject(child.hProcess, 60000);
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, hadSettings ? overrides : program);
    RegDeleteKeyW(HKEY_CURRENT_USER, hadSettings ? overrides : program);
    SetEnvironmentVariableW(L"MORVEL_HHLOG", nullptr);
    const bool restored = CopyFileW(keep.c_str(), engine.c_str(), FALSE);
    DeleteFileW(keep.c_str());
    std::printf("    HHDisplayPopup %ls; Wine's engine %ls\n", code == 0 ? L"succeeded" : L"FAILED",
                restored ? L"restored" : L"NOT RESTORED");

    std::string lines;
    HANDLE file = CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read) lines.append(buffer, read);
        CloseHandle(file);
        DeleteFileW(log.c_str());
    }
    if (lines.empty()) std::printf("    the engine received nothing\n");
    for (std::size_t start = 0; start < lines.size();) {
        const std::size_t end = lines.find('\n', start);
        std::printf("    engine received: %s\n", lines.substr(start, end - start).c_str());
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

// The HTML Help file list: registers the demo help file, looks it up by its bare name,
// unregisters it, and prints the object's lookup state after each step. The file name
// travels in a variable of the demo, as a script passes it, and comes back rewritten.
void helpFileList(IDispatch* html)
{
    const std::wstring chm = ownFolder() + L"\\help\\Demo.chm";
    auto step = [&](const wchar_t* member, const std::wstring& argument) {
        VARIANT variable = vStr(argument.c_str());
        const Result r = call(html, member, DISPATCH_METHOD, {vRef(&variable)});
        std::printf("    %ls(\"%ls\") = %ls, variable now \"%ls\"\n", member, argument.c_str(), show(r).c_str(),
                    V_VT(&variable) == VT_BSTR ? V_BSTR(&variable) : L"?");
        VariantClear(&variable);
        std::printf("      HHRegFileName = %ls, HHRegFilePath = %ls, HHRegFileExists = %ls\n",
                    show(call(html, L"HHRegFileName", DISPATCH_PROPERTYGET)).c_str(),
                    show(call(html, L"HHRegFilePath", DISPATCH_PROPERTYGET)).c_str(),
                    show(call(html, L"HHRegFileExists", DISPATCH_PROPERTYGET)).c_str());
    };
    std::printf("  HTML Help file list:\n");
    step(L"HHRegister", chm);
    step(L"HHCheckRegistry", L"Demo.chm");
    step(L"EnsureFileExists", L"Demo.chm");
    step(L"HHUnRegister", L"Demo.chm");
    step(L"HHCheckRegistry", L"Demo.chm");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1 && std::wstring(argv[1]) == L"--popup") return popupChild();
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
            if (std::wstring(progId) == L"Morvel10.clsKvMorvel10A") libraryObject(object.get());
            if (std::wstring(progId) == L"Morvel10.clsKvHlpfHlpA") contextHelp(object.get());
            if (std::wstring(progId) == L"Morvel10.clsKvHlpfHtmlA") {
                htmlHelpSettings(object.get());
                helpFileList(object.get());
                helpDisplay(object.get());
                popupThroughRecorder();
                installationReport(object.get());
            }
        }
    }
    CoUninitialize();
    return missing;
}
