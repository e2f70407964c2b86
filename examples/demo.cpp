// The demo host: an automation client of Morvel10, written as any C++ host would write
// one. It creates each class by its ProgID, calls members by name through IDispatch (late
// binding, as a script does) and prints what each class does.
//
//   demo.exe                  every class
//   demo.exe --installation   only the HTML Help class's installation report
//   demo.exe --popup          only a text popup of the HTML Help class
//   demo.exe --manual         only the reference manual, opened through the library
//
// tools/demo-run.sh runs the last two as steps of their own around what an installer or a
// test engine changes in the prefix; the demo itself only reads the machine it runs on.

#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <initializer_list>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "docs/ContextIds.h"
#include "examples/sdk/help/SampleIds.h"
#include "library/Published.h"

namespace {

// --- Owners -----------------------------------------------------------------------------

// One reference to a COM interface.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    Ref& operator=(Ref&& other) noexcept
    {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ~Ref() { reset(); }

    void reset()
    {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** put()
    {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};

// One VARIANT: an argument going in or a result coming back.
class Value {
public:
    Value() { VariantInit(&v_); }
    Value(LONG number) : Value()
    {
        V_VT(&v_) = VT_I4;
        V_I4(&v_) = number;
    }
    Value(const wchar_t* text) : Value()
    {
        V_BSTR(&v_) = SysAllocString(text);
        if (!V_BSTR(&v_)) throw std::bad_alloc();
        V_VT(&v_) = VT_BSTR;
    }
    Value(const std::wstring& text) : Value(text.c_str()) {}
    static Value boolean(bool on)
    {
        Value v;
        V_VT(&v.v_) = VT_BOOL;
        V_BOOL(&v.v_) = on ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    // A by-reference argument naming `variable`, as a script passes one of its variables;
    // the member may write a new value into it.
    static Value reference(Value& variable)
    {
        Value v;
        V_VT(&v.v_) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&v.v_) = &variable.v_;
        return v;
    }
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    Value(Value&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Value& operator=(Value&& other) noexcept
    {
        if (this != &other) {
            VariantClear(&v_);
            v_ = other.v_;
            VariantInit(&other.v_);
        }
        return *this;
    }
    ~Value() { VariantClear(&v_); }

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARTYPE type() const { return V_VT(&v_); }
    IDispatch* object() const { return V_VT(&v_) == VT_DISPATCH ? V_DISPATCH(&v_) : nullptr; }

    // The value as text, the way a script would print it.
    std::wstring text() const
    {
        if (V_VT(&v_) == VT_BOOL) return V_BOOL(&v_) ? L"True" : L"False";
        Value copy;
        // The platform declares the source without const; it only reads it.
        if (FAILED(VariantChangeType(copy.get(), const_cast<VARIANT*>(&v_), 0, VT_BSTR))) return L"<object>";
        return V_BSTR(copy.get()) ? V_BSTR(copy.get()) : L"";
    }

private:
    VARIANT v_;
};

// One BSTR filled in by a call.
class Text {
public:
    Text() = default;
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { SysFreeString(b_); }
    BSTR* put()
    {
        SysFreeString(std::exchange(b_, nullptr));
        return &b_;
    }
    std::wstring str() const { return b_ ? b_ : L""; }

private:
    BSTR b_ = nullptr;
};

// The strings of an EXCEPINFO a failed call filled in.
struct Exception : EXCEPINFO {
    Exception() : EXCEPINFO{} {}
    Exception(const Exception&) = delete;
    Exception& operator=(const Exception&) = delete;
    ~Exception()
    {
        SysFreeString(bstrSource);
        SysFreeString(bstrDescription);
        SysFreeString(bstrHelpFile);
    }
};

// A kernel handle (process, thread, file); INVALID_HANDLE_VALUE and null both mean none.
class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
        if (h_) CloseHandle(h_);
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    HANDLE h_;
};

// A window of the demo's own.
class Window {
public:
    explicit Window(HWND h) : h_(h) {}
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window()
    {
        if (h_) DestroyWindow(h_);
    }
    HWND get() const { return h_; }

private:
    HWND h_;
};

// --- Message boxes ----------------------------------------------------------------------

// The demo runs unattended: the main command runs it on a virtual display and nobody is
// there to press OK. The library shows its message boxes on the calling thread, so a host
// can watch that thread with a CBT hook. This one notes each box as it opens, answers it
// with its default button (a user pressing Enter) and keeps what it said for the report.
class UnattendedBoxes {
public:
    struct Box {
        std::wstring caption;
        std::wstring text;
        std::wstring icon;
    };

    UnattendedBoxes() : hook_(SetWindowsHookExW(WH_CBT, &onEvent, nullptr, GetCurrentThreadId())) { current_ = this; }
    UnattendedBoxes(const UnattendedBoxes&) = delete;
    UnattendedBoxes& operator=(const UnattendedBoxes&) = delete;
    ~UnattendedBoxes()
    {
        if (hook_) UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    bool watching() const { return hook_ != nullptr; }

    // The boxes shown since the last call.
    static std::vector<Box> take() { return current_ ? std::exchange(current_->boxes_, {}) : std::vector<Box>{}; }

private:
    static std::wstring iconOf(HWND box)
    {
        // The icon sits in a static control and is one of the system's shared icons.
        struct Known {
            LPCWSTR id;
            const wchar_t* name;
        };
        static const Known known[] = {{IDI_HAND, L"hand"},
                                      {IDI_QUESTION, L"question"},
                                      {IDI_EXCLAMATION, L"exclamation"},
                                      {IDI_ASTERISK, L"asterisk"}};
        for (HWND child = nullptr; (child = FindWindowExW(box, child, L"Static", nullptr)) != nullptr;) {
            const auto icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
            if (!icon) continue;
            for (const Known& k : known)
                if (icon == LoadIconW(nullptr, k.id)) return k.name;
            return L"other";
        }
        return L"none";
    }

    static LRESULT CALLBACK onEvent(int code, WPARAM wParam, LPARAM lParam)
    {
        wchar_t cls[32] = {};
        const auto window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && current_ && GetClassNameW(window, cls, 32) && lstrcmpW(cls, L"#32770") == 0) {
            wchar_t caption[512] = {}, text[4096] = {};
            GetWindowTextW(window, caption, 512);
            GetDlgItemTextW(window, 0xFFFF, text, 4096);  // a message box's text control
            current_->boxes_.push_back({caption, text, iconOf(window)});
            const LRESULT defaultId = SendMessageW(window, DM_GETDEFID, 0, 0);
            const int button = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : IDOK;
            // Posted: the box reads it from its own message loop once it runs.
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline UnattendedBoxes* current_ = nullptr;  // the demo has one thread
    HHOOK hook_;
    std::vector<Box> boxes_;
};

std::wstring oneLine(std::wstring text)
{
    for (const wchar_t* lineBreak : {L"\r\n\r\n", L"\r\n", L"\n"})
        for (size_t at; (at = text.find(lineBreak)) != std::wstring::npos;) text.replace(at, wcslen(lineBreak), L" / ");
    return text;
}

void printBoxes(const wchar_t* indent)
{
    for (const auto& box : UnattendedBoxes::take())
        std::printf("%lsmessage box \"%ls\" (%ls icon), answered with OK: %ls\n", indent, box.caption.c_str(),
                    box.icon.c_str(), oneLine(box.text).c_str());
}

// --- Late-bound calls -------------------------------------------------------------------

struct Result {
    HRESULT hr = S_OK;
    Value value;
    std::wstring error;

    std::wstring show() const
    {
        if (SUCCEEDED(hr)) return value.object() ? L"<object>" : L"\"" + value.text() + L"\"";
        wchar_t code[16] = {};
        std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
        return std::wstring(L"error ") + code + (error.empty() ? L"" : L" " + error);
    }
};

// A call of a member by its name; `args` in the order the member declares them.
Result call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Value> args = {})
{
    Result r;
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    r.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(r.hr)) return r;
    // IDispatch takes the arguments last to first.
    std::vector<VARIANT> reversed;
    for (auto arg = args.rbegin(); arg != args.rend(); ++arg) reversed.push_back(*arg->get());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    Exception exception;
    r.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, r.value.get(), &exception, nullptr);
    if (r.hr == DISP_E_EXCEPTION && exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    if (exception.bstrDescription) r.error = exception.bstrDescription;
    return r;
}

Result get(IDispatch* object, const wchar_t* name) { return call(object, name, DISPATCH_PROPERTYGET); }

template <class... Args>
Result method(IDispatch* object, const wchar_t* name, Args&&... args)
{
    std::vector<Value> list;
    (list.emplace_back(std::forward<Args>(args)), ...);
    return call(object, name, DISPATCH_METHOD, std::move(list));
}

Result put(IDispatch* object, const wchar_t* name, Value value)
{
    std::vector<Value> list;
    list.push_back(std::move(value));
    return call(object, name, DISPATCH_PROPERTYPUT, std::move(list));
}

Ref<IDispatch> create(const wchar_t* progId)
{
    CLSID clsid{};
    Ref<IDispatch> object;
    if (SUCCEEDED(CLSIDFromProgID(progId, &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.putVoid());
    std::printf("%ls: %s\n", progId, object ? "created" : "NOT CREATED");
    return object;
}

// The apartment of the demo's thread.
class Apartment {
public:
    Apartment() : hr_(CoInitialize(nullptr)) {}
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
    ~Apartment()
    {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    bool ok() const { return SUCCEEDED(hr_); }

private:
    HRESULT hr_;
};

// --- What the classes do ----------------------------------------------------------------

// The members the class describes in its type information.
void listMembers(IDispatch* object)
{
    Ref<ITypeInfo> info;
    if (FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()))) return;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return;
    const UINT functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    std::wstring line;
    int own = 0;
    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        const MEMBERID member = f->memid;
        const INVOKEKIND kind = f->invkind;
        info->ReleaseFuncDesc(f);
        // The library's own members carry ids of the 0x4003/0x6003/0x6803 ranges; the rest
        // are IUnknown's and IDispatch's.
        const auto range = static_cast<unsigned long>(member) & 0xFFFF0000ul;
        if (range != 0x40030000ul && range != 0x60030000ul && range != 0x68030000ul) continue;
        Text name;
        if (FAILED(info->GetDocumentation(member, name.put(), nullptr, nullptr, nullptr))) continue;
        const wchar_t* prefix = kind == INVOKE_PROPERTYGET ? L"get " : kind == INVOKE_FUNC ? L"" : L"set ";
        line += L" " + std::wstring(prefix) + name.str() + L";";
        ++own;
    }
    std::printf("  %d members:%ls\n", own, own ? line.c_str() : L" (only the inherited dispatch members)");
}

void htmlHelpSettings(IDispatch* html)
{
    std::printf("  settings round-trip:\n");
    put(html, L"CHMFile", L"Library.chm");
    put(html, L"HHTopicURL", L"html/intro.htm");
    put(html, L"HHWindow", L"Main");
    for (const wchar_t* name : {L"CHMFile", L"HHTopicURL", L"HHWindow", L"HHTopicID", L"HHShowOnTop", L"HHRegFileName"})
        std::printf("    %-14ls = %ls\n", name, get(html, name).show().c_str());
}

// What the HTML Help class finds installed. A missing control is told to the user in a
// message box, which the report prints.
void installationReport(IDispatch* html)
{
    auto line = [](const wchar_t* what, const Result& r) {
        const bool isBool = SUCCEEDED(r.hr) && r.value.type() == VT_BOOL;
        const std::wstring value = isBool ? (V_BOOL(r.value.get()) ? L"yes" : L"no") : r.show();
        std::printf("    %-24ls %ls\n", what, value.c_str());
    };
    std::printf("  installation:\n");
    line(L"HTML Help installed:", get(html, L"HHInstalled"));
    line(L"HHVersion:", get(html, L"HHVersion"));
    line(L"IEVersion:", get(html, L"IEVersion"));
    line(L"HHFriendlyName:", get(html, L"HHFriendlyName"));
    line(L"IEFriendlyName:", get(html, L"IEFriendlyName"));
    line(L"HH 1.3 and IE 5.0c met:", method(html, L"HHVerifyMinConfig", LONG{HH_1_3}, LONG{IE_5_0C}));
    printBoxes(L"    ");
}

// The library object: its application information, and About, which the companion
// stand-in shows as a message box.
void libraryObject(IDispatch* library)
{
    const Result app = get(library, L"GetProStdProperties");
    if (SUCCEEDED(app.hr) && app.value.object()) {
        std::printf("  application information:\n");
        for (const wchar_t* name : {L"Title", L"Major", L"Minor", L"Revision", L"EXEName", L"Path", L"CompanyName",
                                    L"FileDescription", L"ProductName", L"LegalCopyright", L"Comments"})
            std::printf("    %-16ls = %ls\n", name, get(app.value.object(), name).show().c_str());
    }
    std::printf("  About = %ls\n", method(library, L"About").show().c_str());
    printBoxes(L"    ");
}

// The WinHelp class gives a window of the demo a context help id and reads it back.
void contextHelp(IDispatch* help)
{
    const Window window(
        CreateWindowExW(0, L"STATIC", L"demo", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    if (!window.get()) return;
    // Window handles travel as Long; the system keeps them within 32 bits on x64 too.
    const LONG handle = static_cast<LONG>(reinterpret_cast<LONG_PTR>(window.get()));
    const Result set = method(help, L"SetWindowContextHelpIdHlpf", handle, LONG{500});
    const Result got = method(help, L"GetWindowContextHelpIdHlpf", handle);
    std::printf("  context help id of a window: set 500 (result %ls), read back %ls\n", set.show().c_str(),
                got.show().c_str());
}

// --- Help display -----------------------------------------------------------------------

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
    const Handle thread(process.hThread), child(process.hProcess);
    for (int i = 0; i < 300 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) pumpFor(100);
    pumpFor(100);
    char status[8] = {};
    {
        const Handle file(CreateFileW(done.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file) return false;
        DWORD read = 0;
        ReadFile(file.get(), status, sizeof status - 1, &read, nullptr);
    }
    DeleteFileW(done.c_str());
    return status[0] == '0';
}

// The help viewer once it has settled, reported as "<label>: open, "<caption>"" or
// "<label>: NOT FOUND".
HWND settledViewer(const wchar_t* label)
{
    pumpFor(1500);
    HWND viewer = findViewer();
    wchar_t title[128] = L"";
    if (viewer) GetWindowTextW(viewer, title, 128);
    std::printf("    %ls: %ls\n", label, viewer ? (std::wstring(L"open, \"") + title + L"\"").c_str() : L"NOT FOUND");
    return viewer;
}

// Opens the demo help file at a topic in the platform's help viewer, photographs the
// screen, and closes the viewer again.
void helpDisplay(IDispatch* html)
{
    const std::wstring chm = ownFolder() + L"\\help\\Demo.chm";
    const std::wstring png = ownFolder() + L"\\demo-help-viewer.png";
    put(html, L"CHMFile", chm);
    put(html, L"HHTopicURL", L"commands.htm");
    put(html, L"HHWindow", L"");
    std::printf("  help display:\n    HHDisplayTopicURL(%ls, commands.htm) = %ls\n", chm.c_str(),
                method(html, L"HHDisplayTopicURL", LONG{0}).show().c_str());
    HWND viewer = settledViewer(L"help viewer");
    if (viewer) {
        const bool shot = screenshot(png);
        std::printf("    screenshot: %ls\n", shot ? unixPath(png).c_str() : L"not taken (import failed)");
    }
    const Result closed = method(html, L"HHClose");
    pumpFor(500);
    std::printf("    HHClose = %ls; help viewer %ls\n", closed.show().c_str(),
                findViewer() ? L"STILL OPEN" : L"closed");
}

BOOL CALLBACK treeOfViewer(HWND window, LPARAM found)
{
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    if (lstrcmpW(cls, L"SysTreeView32") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Opens the books of the viewer's contents tree along `path` (titles from the top), so that
// a picture shows the member pages. The viewer runs in this process: its items can be read
// directly.
void openContents(HWND viewer, std::initializer_list<const wchar_t*> path)
{
    HWND tree = nullptr;
    EnumChildWindows(viewer, treeOfViewer, reinterpret_cast<LPARAM>(&tree));
    if (!tree) return;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (const wchar_t* title : path) {
        for (; item; item = reinterpret_cast<HTREEITEM>(
                         SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
            wchar_t text[128] = {};
            TVITEMW data{};
            data.mask = TVIF_TEXT;
            data.hItem = item;
            data.pszText = text;
            data.cchTextMax = 128;
            if (SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) && lstrcmpW(text, title) == 0)
                break;
        }
        if (!item) break;
        SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        item = reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    }
    // Expanding by message leaves the painting to the next update.
    RedrawWindow(tree, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpFor(300);
}

// The library's reference manual (manual/Morvel10.chm beside the demo), opened through the
// library itself: at a member's page by its path, then at another by its context id from
// the manual's ContextIds.h. An id the manual did not map would close the viewer instead.
bool referenceManual(IDispatch* html)
{
    const std::wstring chm = ownFolder() + L"\\manual\\Morvel10.chm";
    put(html, L"CHMFile", chm);
    put(html, L"HHWindow", L"");
    put(html, L"HHShowOnTop", Value::boolean(false));
    std::printf("  reference manual %ls:\n", chm.c_str());
    auto look = [](const wchar_t* png) {
        pumpFor(1500);
        HWND viewer = findViewer();
        if (viewer) openContents(viewer, {L"Morvel10 Reference", L"Classes", L"clsKvHlpfHtmlA class", L"Showing help"});
        wchar_t title[128] = L"";
        if (viewer) GetWindowTextW(viewer, title, 128);
        std::printf("    manual viewer: %ls\n",
                    viewer ? (std::wstring(L"open, \"") + title + L"\"").c_str() : L"NOT FOUND");
        if (!viewer) return false;
        const std::wstring path = ownFolder() + L"\\" + png;
        std::printf("    screenshot: %ls\n", screenshot(path) ? unixPath(path).c_str() : L"not taken (import failed)");
        return true;
    };
    put(html, L"HHTopicURL", L"clsKvHlpfHtmlA/HHDisplayTopicURL.htm");
    std::printf("    HHDisplayTopicURL(clsKvHlpfHtmlA/HHDisplayTopicURL.htm) = %ls\n",
                method(html, L"HHDisplayTopicURL", LONG{0}).show().c_str());
    const bool byTopic = look(L"demo-manual-topic.png");
    put(html, L"HHTopicID", LONG{IDH_clsKvHlpfHtmlA_HHDisplayTopicID});
    std::printf("    HHDisplayTopicID(IDH_clsKvHlpfHtmlA_HHDisplayTopicID = %d) = %ls\n",
                IDH_clsKvHlpfHtmlA_HHDisplayTopicID, method(html, L"HHDisplayTopicID", LONG{0}).show().c_str());
    const bool byId = look(L"demo-manual-context.png");
    const Result closed = method(html, L"HHClose");
    pumpFor(500);
    std::printf("    HHClose = %ls; manual viewer %ls\n", closed.show().c_str(),
                findViewer() ? L"STILL OPEN" : L"closed");
    printBoxes(L"    ");
    return byTopic && byId;
}

// The SDK's sample help, compiled from Markdown by helpbuild (help-sample/Sample.chm beside
// the demo), opened at a page by the id its ids file gives that page.
bool sampleHelp(IDispatch* html)
{
    const std::wstring chm = ownFolder() + L"\\help-sample\\Sample.chm";
    put(html, L"CHMFile", chm);
    put(html, L"HHTopicID", LONG{IDH_options_dialog});
    std::printf("  sample help %ls: HHDisplayTopicID(IDH_options_dialog = %d) = %ls\n", chm.c_str(), IDH_options_dialog,
                method(html, L"HHDisplayTopicID", LONG{0}).show().c_str());
    HWND viewer = settledViewer(L"sample viewer");
    method(html, L"HHClose");
    pumpFor(500);
    return viewer != nullptr;
}

// One text popup with its own colours and font, at the pointer.
bool popup(IDispatch* html)
{
    put(html, L"HHPopupType", LONG{4});
    put(html, L"HHPopupText", L"Popups show small help at the pointer.");
    put(html, L"HHPopupTextColor", LONG{0x800000});
    put(html, L"HHPopupBackColor", LONG{0xE0FFFF});
    put(html, L"HHPopupTextFont", L"Tahoma");
    put(html, L"HHPopupTextSize", L"11");
    put(html, L"HHPopupTextBold", Value::boolean(true));
    SetCursorPos(400, 300);
    const Result shown = method(html, L"HHDisplayPopup", LONG{0});
    std::printf("  HHDisplayPopup = %ls\n", shown.show().c_str());
    printBoxes(L"    ");
    return SUCCEEDED(shown.hr);
}

// The HTML Help file list: registers the demo help file, looks it up by its bare name,
// unregisters it, and prints the object's lookup state after each step. The file name
// travels in a variable of the demo, as a script passes it, and comes back rewritten.
void helpFileList(IDispatch* html)
{
    const std::wstring chm = ownFolder() + L"\\help\\Demo.chm";
    auto step = [&](const wchar_t* member, const std::wstring& argument) {
        Value variable(argument);
        const Result r = method(html, member, Value::reference(variable));
        std::printf("    %ls(\"%ls\") = %ls, variable now \"%ls\"\n", member, argument.c_str(), r.show().c_str(),
                    variable.text().c_str());
        std::printf("      HHRegFileName = %ls, HHRegFilePath = %ls, HHRegFileExists = %ls\n",
                    get(html, L"HHRegFileName").show().c_str(), get(html, L"HHRegFilePath").show().c_str(),
                    get(html, L"HHRegFileExists").show().c_str());
    };
    std::printf("  HTML Help file list:\n");
    step(L"HHRegister", chm);
    step(L"HHCheckRegistry", L"Demo.chm");
    step(L"EnsureFileExists", L"Demo.chm");
    step(L"HHUnRegister", L"Demo.chm");
    step(L"HHCheckRegistry", L"Demo.chm");
}

// Every class in turn; the number of classes that could not be created.
int everyClass()
{
    int missing = 0;
    for (const wchar_t* progId : {L"Morvel10.clsKvMorvel10A", L"Morvel10.clsKvHlpfHtmlA", L"Morvel10.clsKvHlpfHlpA",
                                  L"Morvel10.clsKvHlpfGeneralA", L"Morvel10.clsKvHlpfAdvancedA"}) {
        const Ref<IDispatch> object = create(progId);
        if (!object) {
            ++missing;
            continue;
        }
        listMembers(object.get());
        const std::wstring name = progId;
        if (name == L"Morvel10.clsKvMorvel10A") libraryObject(object.get());
        if (name == L"Morvel10.clsKvHlpfHlpA") contextHelp(object.get());
        if (name == L"Morvel10.clsKvHlpfHtmlA") {
            htmlHelpSettings(object.get());
            helpFileList(object.get());
            helpDisplay(object.get());
            referenceManual(object.get());
            sampleHelp(object.get());
            installationReport(object.get());
        }
    }
    return missing;
}

int run(int argc, wchar_t** argv)
{
    const std::wstring part = argc > 1 ? argv[1] : L"";
    if (!part.empty() && part != L"--installation" && part != L"--popup" && part != L"--manual") {
        std::fprintf(stderr, "usage: demo [--installation | --popup | --manual]\n");
        return 2;
    }
    const Apartment apartment;
    if (!apartment.ok()) return 1;
    const UnattendedBoxes boxes;
    if (!boxes.watching()) {
        std::fprintf(stderr, "demo: cannot watch for message boxes (error %lu)\n", GetLastError());
        return 1;
    }
    if (part.empty()) return everyClass();
    const Ref<IDispatch> html = create(L"Morvel10.clsKvHlpfHtmlA");
    if (!html) return 1;
    if (part == L"--installation") {
        installationReport(html.get());
        return 0;
    }
    if (part == L"--manual") return referenceManual(html.get()) ? 0 : 1;
    return popup(html.get()) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "demo: out of memory\n");
        return 1;
    }
}
