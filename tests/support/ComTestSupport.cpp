#include "ComTestSupport.h"

#include <stdexcept>

namespace comtest {

CallResult::~CallResult()
{
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
}

ComPtr<IDispatch> create(const wchar_t* progId)
{
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(progId, &clsid))) return {};
    ComPtr<IDispatch> object;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.putVoid());
    return object;
}

CallResult call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args)
{
    CallResult r;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    r.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(r.hr)) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            params.rgdispidNamedArgs = &putId;
            params.cNamedArgs = 1;
        }
        UINT argError = 0;
        r.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, r.value.get(), &r.exception,
                              &argError);
    }
    for (VARIANT& v : args)
        if (!(V_VT(&v) & VT_BYREF)) VariantClear(&v);
    return r;
}

CallResult callWithText(IDispatch* object, const wchar_t* member, std::wstring& text)
{
    Variant variable;
    *variable.put() = vStr(text.c_str());
    CallResult result = call(object, member, DISPATCH_METHOD, {vRef(variable.get())});
    text = str(variable.get());
    return result;
}

Variant get(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args)
{
    CallResult r = call(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(args));
    if (FAILED(r.hr)) throw std::runtime_error("property get failed");
    return std::move(r.value);
}

void put(IDispatch* object, const wchar_t* name, VARIANT value)
{
    const WORD flags = V_VT(&value) == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
    CallResult r = call(object, name, flags, {value});
    if (FAILED(r.hr)) throw std::runtime_error("property put failed");
}

VARIANT vI4(LONG v)
{
    return variantOf(VT_I4, [v](VARIANT& x) { V_I4(&x) = v; });
}
VARIANT vI2(SHORT v)
{
    return variantOf(VT_I2, [v](VARIANT& x) { V_I2(&x) = v; });
}
VARIANT vBool(VARIANT_BOOL v)
{
    return variantOf(VT_BOOL, [v](VARIANT& x) { V_BOOL(&x) = v; });
}
VARIANT vStr(const wchar_t* text)
{
    return variantOf(VT_BSTR, [text](VARIANT& x) { V_BSTR(&x) = text ? SysAllocString(text) : nullptr; });
}
VARIANT vRef(VARIANT* target)
{
    return variantOf(VT_BYREF | VT_VARIANT, [target](VARIANT& x) { V_VARIANTREF(&x) = target; });
}

std::wstring str(const VARIANT* v)
{
    if (V_VT(v) == VT_BSTR) return V_BSTR(v) ? std::wstring(V_BSTR(v), SysStringLen(V_BSTR(v))) : L"";
    Variant copy;
    if (FAILED(VariantChangeType(copy.get(), const_cast<VARIANT*>(v), 0, VT_BSTR))) return L"<?>";
    return std::wstring(V_BSTR(copy.get()), SysStringLen(V_BSTR(copy.get())));
}

// --- Message boxes --------------------------------------------------------------------

namespace {
thread_local MessageBoxRecorder* t_recorder = nullptr;
}  // namespace

MessageBoxRecorder::MessageBoxRecorder()
{
    t_recorder = this;
    hook_ = SetWindowsHookExW(WH_CBT, &MessageBoxRecorder::hook, nullptr, GetCurrentThreadId());
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    if (hook_) UnhookWindowsHookEx(hook_);
    t_recorder = nullptr;
}

LRESULT CALLBACK MessageBoxRecorder::hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && t_recorder) {
        HWND box = reinterpret_cast<HWND>(wParam);
        if (isDialog(box)) {
            t_recorder->boxes_.push_back(readMessageBox(box));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// --- Registry ---------------------------------------------------------------------------

namespace {
// Each subkey is opened below its parent's handle and each value read by the enumeration
// itself: a snapshot of the machine's classes is tens of thousands of registry calls.
void dumpKey(HKEY parent, const std::wstring& name, const std::wstring& path, std::map<std::wstring, std::wstring>& out)
{
    morvel::UniqueHKey key;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    out[path + L"|"];  // the key itself, even when it holds no values
    std::vector<BYTE> data(4096);
    for (DWORD i = 0;;) {
        wchar_t valueName[16384];
        DWORD nameLength = 16384, type = 0, size = static_cast<DWORD>(data.size() - 2);
        const LONG status = RegEnumValueW(key.get(), i, valueName, &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA && size + 2 > data.size()) {
            data.resize(size + 2);
            continue;  // the same value again, with room for it
        }
        if (status != ERROR_SUCCESS) break;
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        if ((type == REG_SZ || type == REG_EXPAND_SZ) && !text.empty() && text.back() == L'\0') text.pop_back();
        out[path + L"|" + valueName] = std::to_wstring(type) + L":" + text;
        ++i;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t subkey[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key.get(), i, subkey, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        dumpKey(key.get(), subkey, path.empty() ? subkey : path + L"\\" + subkey, out);
    }
}
}  // namespace

std::map<std::wstring, std::wstring> snapshotClasses(bool withMachine)
{
    std::map<std::wstring, std::wstring> out, user;
    if (withMachine) dumpKey(HKEY_LOCAL_MACHINE, L"Software\\Classes", L"Software\\Classes", out);
    dumpKey(HKEY_CURRENT_USER, L"Software\\Classes", L"Software\\Classes", user);
    for (auto& [k, v] : user) out[L"HKCU:" + k] = v;
    return out;
}

namespace {
bool runsUnderWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}
}  // namespace

REGSAM ownRegistryView()
{
    if (sizeof(void*) == 8) return KEY_WOW64_64KEY;
    return runsUnderWow64() ? KEY_WOW64_32KEY : 0;
}

REGSAM otherRegistryView()
{
    if (sizeof(void*) == 8) return KEY_WOW64_32KEY;
    return runsUnderWow64() ? KEY_WOW64_64KEY : 0;
}

bool keyExists(HKEY root, const std::wstring& path, REGSAM view)
{
    morvel::UniqueHKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

std::vector<std::wstring> registryDifferences(const std::map<std::wstring, std::wstring>& before,
                                              const std::map<std::wstring, std::wstring>& after,
                                              const std::vector<std::wstring>& ignored)
{
    auto skipped = [&](const std::wstring& key) {
        for (const std::wstring& prefix : ignored)
            if (key.rfind(prefix, 0) == 0) return true;
        return false;
    };
    std::vector<std::wstring> difference;
    for (const auto& [k, v] : before)
        if (!skipped(k) && (!after.count(k) || after.at(k) != v)) difference.push_back(L"lost or changed " + k);
    for (const auto& [k, v] : after)
        if (!skipped(k) && !before.count(k)) difference.push_back(L"left behind " + k);
    return difference;
}

namespace {
std::wstring userClassesValue(const std::wstring& key)
{
    wchar_t text[1024] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    const std::wstring path = L"Software\\Classes\\" + key;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return {};
    return text;
}
}  // namespace

HRESULT createFromUserClasses(const std::wstring& progId, morvel::UniqueModule& module, IDispatch** object)
{
    *object = nullptr;
    const std::wstring clsidText = userClassesValue(progId + L"\\CLSID");
    CLSID clsid{};
    if (clsidText.empty() || FAILED(CLSIDFromString(clsidText.c_str(), &clsid))) return REGDB_E_CLASSNOTREG;
    const std::wstring server = userClassesValue(L"CLSID\\" + clsidText + L"\\InprocServer32");
    if (server.empty()) return REGDB_E_CLASSNOTREG;
    module.reset(LoadLibraryW(server.c_str()));
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(GetProcAddress(module.get(), "DllGetClassObject"));
    if (!get) return E_NOINTERFACE;
    ComPtr<IClassFactory> factory;
    if (HRESULT hr = get(clsid, IID_IClassFactory, factory.putVoid()); FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(object));
}

DWORD runProgram(const std::wstring& commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return static_cast<DWORD>(-1);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

}  // namespace comtest

// --- Probe objects ----------------------------------------------------------------------

namespace comtest {

IDispatch* ProbeObject::create(State& state, LONG value, bool hasValue)
{
    auto* probe = new ProbeObject(state, value, hasValue);
    probe->AddRef();
    return probe;
}

STDMETHODIMP ProbeObject::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}
STDMETHODIMP_(ULONG) ProbeObject::AddRef() { return ++state_.references; }
STDMETHODIMP_(ULONG) ProbeObject::Release()
{
    const long left = --state_.references;
    if (left == 0) {
        state_.destroyed = true;
        delete this;
    }
    return left;
}
STDMETHODIMP ProbeObject::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}
STDMETHODIMP ProbeObject::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}
STDMETHODIMP ProbeObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids)
{
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}
STDMETHODIMP ProbeObject::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                 UINT*)
{
    if (member != DISPID_VALUE || !hasValue_ || !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (result) *result = vI4(value_);
    return S_OK;
}

// --- The companion stand-in --------------------------------------------------------------

std::vector<std::vector<std::wstring>> CompanionLog::calls() const
{
    std::vector<std::vector<std::wstring>> out;
    for (const std::string& bytes : lines()) {
        std::wstring line(bytes.size(), L'\0');
        line.resize(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), line.data(),
                                        static_cast<int>(line.size())));
        std::vector<std::wstring> fields;
        for (size_t from = 0;;) {
            const size_t bar = line.find(L" | ", from);
            fields.push_back(line.substr(from, bar == std::wstring::npos ? std::wstring::npos : bar - from));
            if (bar == std::wstring::npos) break;
            from = bar + 3;
        }
        out.push_back(std::move(fields));
    }
    return out;
}

CompanionClassesRemoved::CompanionClassesRemoved(std::vector<std::wstring> progIds)
{
    for (const std::wstring& progId : progIds) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, progId.c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, progId.c_str());
    }
}

CompanionClassesRemoved::~CompanionClassesRemoved()
{
    HMODULE companion = LoadLibraryW(env(L"MORVEL_COMPANION").c_str());
    if (!companion) return;
    using Entry = HRESULT(STDAPICALLTYPE*)();
    if (auto registerServer = reinterpret_cast<Entry>(GetProcAddress(companion, "DllRegisterServer"))) registerServer();
    FreeLibrary(companion);
}

// --- Import hooks -------------------------------------------------------------------------

ImportHook::ImportHook(HMODULE module, const char* dll, const char* function, void* replacement)
{
    auto base = reinterpret_cast<BYTE*>(module);
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return;
    for (auto d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), dll) != 0) continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            auto slot = reinterpret_cast<void**>(&slots->u1.Function);
            DWORD old = 0;
            if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old)) return;
            original_ = *slot;
            *slot = replacement;
            VirtualProtect(slot, sizeof(void*), old, &old);
            slot_ = slot;
            return;
        }
    }
}

ImportHook::~ImportHook()
{
    if (!slot_) return;
    DWORD old = 0;
    if (!VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &old)) return;
    *slot_ = original_;
    VirtualProtect(slot_, sizeof(void*), old, &old);
}

}  // namespace comtest
