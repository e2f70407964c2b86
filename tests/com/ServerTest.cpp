// The in-process server as clients meet it: creation by ProgID, the two member-less
// classes, reference counts and unloading, registration symmetry, the module's imports
// and resources, and how bad calls are answered.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "library/Published.h"
#include "tests/support/ComTestSupport.h"

using namespace comtest;

namespace {

using ServerEntry = HRESULT(STDAPICALLTYPE*)();

BOOL CALLBACK collectType(HMODULE, LPWSTR type, LONG_PTR out)
{
    auto* list = reinterpret_cast<std::vector<std::wstring>*>(out);
    list->push_back(IS_INTRESOURCE(type) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(type)) : type);
    return TRUE;
}

// The registry's class keys with a server DLL unregistered, registered, and unregistered
// again (unregistering twice: what is already gone counts as removed). The DLL is left
// registered for the other tests.
struct RegistrationRound {
    std::map<std::wstring, std::wstring> before, registered, after;
};

void registerAndUndo(const wchar_t* dllVariable, RegistrationRound& round)
{
    HMODULE module = LoadLibraryW(env(dllVariable).c_str());
    ASSERT_TRUE(module);
    auto registerServer = reinterpret_cast<ServerEntry>(GetProcAddress(module, "DllRegisterServer"));
    auto unregisterServer = reinterpret_cast<ServerEntry>(GetProcAddress(module, "DllUnregisterServer"));
    ASSERT_TRUE(registerServer && unregisterServer);
    ASSERT_EQ(unregisterServer(), S_OK);
    round.before = snapshotClasses();
    ASSERT_EQ(unregisterServer(), S_OK);
    ASSERT_EQ(registerServer(), S_OK);
    round.registered = snapshotClasses();
    ASSERT_EQ(unregisterServer(), S_OK);
    round.after = snapshotClasses();
    ASSERT_EQ(registerServer(), S_OK);
    FreeLibrary(module);
}

}  // namespace

TEST(Server, EveryClassIsCreatedByItsProgIdAsANewObject)
{
    Apartment apartment;
    for (const wchar_t* progId : progIds) {
        ComPtr<IDispatch> a = create(progId), b = create(progId);
        ASSERT_TRUE(a) << "cannot create " << testing::PrintToString(std::wstring(progId));
        ASSERT_TRUE(b);
        EXPECT_NE(a.get(), b.get());
        ComPtr<ISupportErrorInfo> support = a.as<ISupportErrorInfo>();
        EXPECT_TRUE(support);
        UINT count = 0;
        EXPECT_EQ(a->GetTypeInfoCount(&count), S_OK);
        EXPECT_EQ(count, 1u);
    }
}

TEST(Server, MemberlessClassesExposeOnlyTheInheritedMembers)
{
    Apartment apartment;
    for (const wchar_t* progId : {L"Morvel10.clsKvHlpfGeneralA", L"Morvel10.clsKvHlpfAdvancedA"}) {
        ComPtr<IDispatch> object = create(progId);
        ASSERT_TRUE(object);
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(object->GetTypeInfo(0, 0, info.put()), S_OK);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(attr->cFuncs, 7);  // the dispatch half lists IUnknown's and IDispatch's members only
        info->ReleaseTypeAttr(attr);
        EXPECT_EQ(call(object.get(), L"HHClose", DISPATCH_METHOD).hr, DISP_E_UNKNOWNNAME);
    }
}

TEST(Server, ReferencesReachZeroAndTheModuleMayThenUnload)
{
    Apartment apartment;
    HMODULE loaded = nullptr;
    {
        ComPtr<IDispatch> object = create(L"Morvel10.clsKvHlpfHtmlA");
        ASSERT_TRUE(object);
        loaded = GetModuleHandleW(L"Morvel10.dll");
        ASSERT_TRUE(loaded);
        auto canUnload = reinterpret_cast<ServerEntry>(GetProcAddress(loaded, "DllCanUnloadNow"));
        ASSERT_TRUE(canUnload);
        EXPECT_EQ(canUnload(), S_FALSE);
        object->AddRef();
        EXPECT_EQ(object->Release(), 1u);
    }
    auto canUnload = reinterpret_cast<ServerEntry>(GetProcAddress(loaded, "DllCanUnloadNow"));
    EXPECT_EQ(canUnload(), S_OK);

    // A server lock keeps it loaded, too.
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"Morvel10.clsKvHlpfHlpA", &clsid), S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.putVoid()), S_OK);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    ASSERT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.putVoid()), S_OK);
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    factory.reset();
    EXPECT_EQ(canUnload(), S_OK);
}

TEST(Server, FactoryRefusesAggregationAndUnknownClasses)
{
    Apartment apartment;
    HMODULE module = LoadLibraryW(env(L"MORVEL_DLL").c_str());
    ASSERT_TRUE(module);
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<GetClassObject>(GetProcAddress(module, "DllGetClassObject"));
    ASSERT_TRUE(getClassObject);
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(getClassObject(IID_IDispatch, IID_IClassFactory, factory.putVoid()), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(getClassObject(CLSID_clsKvHlpfHtmlA, IID_IClassFactory, nullptr), E_POINTER);
    ASSERT_EQ(getClassObject(CLSID_clsKvHlpfHtmlA, IID_IClassFactory, factory.putVoid()), S_OK);
    ComPtr<IUnknown> object;
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.get()), IID_IUnknown, object.putVoid()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, object.putVoid()), E_NOINTERFACE);
    factory.reset();
    FreeLibrary(module);
}

TEST(Server, RegistrationIsUndoneExactly)
{
    Apartment apartment;
    RegistrationRound round;
    ASSERT_NO_FATAL_FAILURE(registerAndUndo(L"MORVEL_DLL", round));
    const auto& [before, registered, after] = round;
    EXPECT_EQ(before.count(L"Software\\Classes\\Morvel10.clsKvHlpfHtmlA|"), 0u);

    EXPECT_GT(registered.size(), before.size());
    EXPECT_EQ(registered.at(L"Software\\Classes\\Morvel10.clsKvHlpfHtmlA\\CLSID|"),
              L"1:{41F0A3DC-4365-4DAD-9B10-7B1F03AED9B0}");
    EXPECT_EQ(registered.at(L"Software\\Classes\\CLSID\\{41F0A3DC-4365-4DAD-9B10-7B1F03AED9B0}\\ProgID|"),
              L"1:Morvel10.clsKvHlpfHtmlA");
    EXPECT_EQ(registered.at(L"Software\\Classes\\CLSID\\{41F0A3DC-4365-4DAD-9B10-7B1F03AED9B0}\\InprocServer32|"
                            L"ThreadingModel"),
              L"1:Apartment");
    EXPECT_TRUE(registered.count(L"Software\\Classes\\Interface\\{CAFE23C7-EB55-48AC-A4D4-D7AE2F779689}|"));
    EXPECT_TRUE(registered.count(L"Software\\Classes\\Typelib\\{7687793A-C0E7-45B8-9FF2-42C99B8EA31F}|"));

    std::vector<std::wstring> difference;
    for (const auto& [k, v] : before)
        if (!after.count(k) || after.at(k) != v) difference.push_back(L"lost or changed " + k);
    for (const auto& [k, v] : after)
        if (!before.count(k)) difference.push_back(L"left behind " + k);
    EXPECT_TRUE(difference.empty()) << testing::PrintToString(difference);
}

// A registration that fails part-way leaves the registry as it found it. The last class's
// CLSID key is made volatile beforehand, so its non-volatile subkeys are refused after four
// classes and part of the fifth are written; a value that was there before the attempt
// (the first class's ProgID description) must come back as it was.
TEST(Server, AFailedRegistrationUndoesEveryStepBeforeIt)
{
    Apartment apartment;
    HMODULE module = LoadLibraryW(env(L"MORVEL_DLL").c_str());
    ASSERT_TRUE(module);
    auto registerServer = reinterpret_cast<ServerEntry>(GetProcAddress(module, "DllRegisterServer"));
    auto unregisterServer = reinterpret_cast<ServerEntry>(GetProcAddress(module, "DllUnregisterServer"));
    ASSERT_TRUE(registerServer && unregisterServer);
    ASSERT_EQ(unregisterServer(), S_OK);

    wchar_t last[40] = {};
    StringFromGUID2(CLSID_clsKvHlpfAdvancedA, last, 40);
    const std::wstring volatileKey = std::wstring(L"Software\\Classes\\CLSID\\") + last;
    const std::wstring olderProgId = L"Software\\Classes\\Morvel10.clsKvMorvel10A";
    {
        morvel::UniqueHKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, volatileKey.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        morvel::UniqueHKey older;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, olderProgId.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  older.put(), nullptr),
                  ERROR_SUCCESS);
        const wchar_t text[] = L"an older description";
        ASSERT_EQ(RegSetValueExW(older.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
                  ERROR_SUCCESS);
    }
    const auto before = snapshotClasses();
    EXPECT_EQ(registerServer(), HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE));
    const auto after = snapshotClasses();
    EXPECT_EQ(after.at(L"Software\\Classes\\Morvel10.clsKvMorvel10A|"), L"1:an older description");

    std::vector<std::wstring> difference;
    for (const auto& [k, v] : before)
        if (!after.count(k) || after.at(k) != v) difference.push_back(L"lost or changed " + k);
    for (const auto& [k, v] : after)
        if (!before.count(k)) difference.push_back(L"left behind " + k);
    EXPECT_TRUE(difference.empty()) << testing::PrintToString(difference);

    RegDeleteTreeW(HKEY_LOCAL_MACHINE, volatileKey.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, volatileKey.c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, olderProgId.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, olderProgId.c_str());
    EXPECT_EQ(registerServer(), S_OK);  // leave it registered for the other tests
    FreeLibrary(module);
}

// The companion stand-in registers through the same table-driven registration: its two
// classes under its own ProgIDs, no type library, and nothing left behind.
TEST(Server, CompanionRegistrationIsUndoneExactly)
{
    Apartment apartment;
    RegistrationRound round;
    ASSERT_NO_FATAL_FAILURE(registerAndUndo(L"MORVEL_COMPANION", round));
    const auto& [before, registered, after] = round;

    const std::wstring clsid = L"Software\\Classes\\CLSID\\{AE9C2519-79BD-495E-8AEE-6229D5626BB2}";
    EXPECT_EQ(registered.at(L"Software\\Classes\\Ostrel10.clsKvOstrel10A\\CLSID|"),
              L"1:{AE9C2519-79BD-495E-8AEE-6229D5626BB2}");
    EXPECT_EQ(registered.at(clsid + L"\\ProgID|"), L"1:Ostrel10.clsKvOstrel10A");
    EXPECT_EQ(registered.at(clsid + L"\\InprocServer32|ThreadingModel"), L"1:Apartment");
    EXPECT_TRUE(registered.count(L"Software\\Classes\\Ostrel10.clsKvorErrorHandlerA|"));
    EXPECT_FALSE(registered.count(clsid + L"\\TypeLib|"));
    std::vector<std::wstring> added;
    for (const auto& [k, v] : registered)
        if (!before.count(k)) added.push_back(k);
    EXPECT_EQ(added.size(), 12u) << testing::PrintToString(added);  // six values a class
    EXPECT_EQ(after, before);
}

// A 64-bit server registers where 64-bit clients look, a 32-bit one in the 32-bit view, so
// the two builds can be installed side by side without one hiding the other.
TEST(Server, RegistersInItsOwnRegistryView)
{
    const std::wstring server = L"Software\\Classes\\CLSID\\{41F0A3DC-4365-4DAD-9B10-7B1F03AED9B0}\\InprocServer32";
    const std::wstring library =
        std::wstring(L"Software\\Classes\\Typelib\\{7687793A-C0E7-45B8-9FF2-42C99B8EA31F}\\1.0\\409\\") +
        (sizeof(void*) == 8 ? L"win64" : L"win32");
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, server, ownRegistryView()));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, library, ownRegistryView()));
    if (const REGSAM other = otherRegistryView()) {
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, server, other));
    }
}

TEST(Server, ImportsOnlySystemLibraries)
{
    // Walk the import directory of the file itself.
    HANDLE file = CreateFileW(env(L"MORVEL_DLL").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HMODULE image = LoadLibraryExW(env(L"MORVEL_DLL").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    CloseHandle(file);
    ASSERT_TRUE(image);
    auto base = reinterpret_cast<const BYTE*>(image);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);  // this build's width
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    std::vector<std::string> imports;
    for (auto d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        std::string name(reinterpret_cast<const char*>(base + d->Name));
        for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        imports.push_back(name);
    }
    FreeLibrary(image);
    const std::vector<std::string> system = {"kernel32.dll", "user32.dll", "advapi32.dll", "ole32.dll", "oleaut32.dll",
                                             "version.dll",  "msvcrt.dll", "shlwapi.dll",  "gdi32.dll"};
    for (const std::string& name : imports)
        EXPECT_NE(std::find(system.begin(), system.end(), name), system.end()) << name;
    EXPECT_EQ(std::count(imports.begin(), imports.end(), "libstdc++-6.dll"), 0);
}

TEST(Server, ResourcesHoldTheLibraryVersionAndInterfaceRecordsOnly)
{
    HMODULE module = LoadLibraryExW(env(L"MORVEL_DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module);

    std::vector<std::wstring> types;
    EnumResourceTypesW(module, collectType, reinterpret_cast<LONG_PTR>(&types));
    std::sort(types.begin(), types.end());
    const std::vector<std::wstring> expected = {L"#16",
                                                L"TYPELIB",
                                                L"_IID_CLSKVHLPFADVANCEDA",
                                                L"_IID_CLSKVHLPFGENERALA",
                                                L"_IID_CLSKVHLPFHLPA",
                                                L"_IID_CLSKVHLPFHTMLA",
                                                L"_IID_CLSKVMORVEL10A"};
    EXPECT_EQ(types, expected);

    struct Record {
        const wchar_t* type;
        const IID* iid;
    };
    const Record records[] = {{L"_IID_CLSKVMORVEL10A", &IID__clsKvMorvel10A},
                              {L"_IID_CLSKVHLPFHTMLA", &IID__clsKvHlpfHtmlA},
                              {L"_IID_CLSKVHLPFHLPA", &IID__clsKvHlpfHlpA},
                              {L"_IID_CLSKVHLPFGENERALA", &IID__clsKvHlpfGeneralA},
                              {L"_IID_CLSKVHLPFADVANCEDA", &IID__clsKvHlpfAdvancedA}};
    for (const Record& r : records) {
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), r.type);
        ASSERT_TRUE(found) << testing::PrintToString(std::wstring(r.type));
        ASSERT_EQ(SizeofResource(module, found), 20u);
        auto bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
        DWORD length = 0;
        memcpy(&length, bytes, 4);
        EXPECT_EQ(length, 16u);
        EXPECT_EQ(memcmp(bytes + 4, r.iid, 16), 0);
    }
    FreeLibrary(module);

    DWORD ignored = 0;
    const std::string path = env("MORVEL_DLL");
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 104u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 104u);
    auto text = [&](const char* name) {
        char* value = nullptr;
        UINT n = 0;
        std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
        return VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &n) ? std::string(value)
                                                                                               : std::string("<none>");
    };
    EXPECT_EQ(text("FileVersion"), "1.00.0104");
    EXPECT_EQ(text("ProductVersion"), "1.00.0104");
    EXPECT_EQ(text("Comments"), "This library contains all the help files (.hlp, .chm or .html) classes help to "
                                "incorporate help with your application.");
}

TEST(Server, BadCallsGetTheStandardAnswersAndNeverCrash)
{
    Apartment apartment;
    ComPtr<IDispatch> object = create(L"Morvel10.clsKvHlpfHtmlA");
    ASSERT_TRUE(object);

    EXPECT_EQ(call(object.get(), L"NoSuchMember", DISPATCH_METHOD).hr, DISP_E_UNKNOWNNAME);
    EXPECT_EQ(call(object.get(), L"GetKeyInfo", DISPATCH_METHOD, {vStr(L"x")}).hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(object.get(), L"HHTopicID", DISPATCH_PROPERTYPUT, {vStr(L"not a number")}).hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(call(object.get(), L"HHSetHelpFile", DISPATCH_METHOD, {vI4(1), vI4(2)}).hr, DISP_E_BADPARAMCOUNT);

    // Named arguments where the member has none.
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"HHClose");
    ASSERT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    VARIANT arg = vI4(1);
    DISPID named = 5;
    DISPPARAMS params{&arg, &named, 1, 1};
    Variant result;
    EXPECT_EQ(object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result.get(), nullptr, nullptr),
              DISP_E_NONAMEDARGS);
    EXPECT_EQ(object->Invoke(id, IID_IDispatch, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    // More names than arguments, and two values for one parameter: the platform's own answers.
    VARIANT two[2] = {vStr(L"a.chm"), vStr(L"b.chm")};
    DISPID twice[2] = {0, 0};
    LPOLESTR check = const_cast<LPOLESTR>(L"HHCheckRegistry");
    ASSERT_EQ(object->GetIDsOfNames(IID_NULL, &check, 1, 0, &id), S_OK);
    DISPPARAMS moreNames{two, twice, 1, 2}, sameName{two, twice, 2, 2};
    EXPECT_EQ(object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &moreNames, result.get(), nullptr, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &sameName, result.get(), nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    for (VARIANT& v : two) VariantClear(&v);
    EXPECT_EQ(object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
    DISPPARAMS countedButAbsent{nullptr, nullptr, 1, 0};
    EXPECT_EQ(object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &countedButAbsent, nullptr, nullptr, nullptr),
              E_INVALIDARG);

    // NULL out-pointers through the function table.
    ComPtr<_clsKvHlpfHtmlA> html = object.as<_clsKvHlpfHtmlA>();
    ASSERT_TRUE(html);
    EXPECT_EQ(html->get_CHMFile(nullptr), E_POINTER);
    EXPECT_EQ(html->get_HHTopicID(nullptr), E_POINTER);
    EXPECT_EQ(html->get_frm(nullptr), E_POINTER);
    EXPECT_EQ(html->HHCheckRegistry(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(object->GetTypeInfoCount(nullptr), E_POINTER);
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(object->GetTypeInfo(1, 0, info.put()), DISP_E_BADINDEX);
}

TEST(Server, FailuresCarryAnAutomationErrorNumberWithSourceAndDescription)
{
    Apartment apartment;
    ComPtr<IDispatch> object = create(L"Morvel10.clsKvMorvel10A");
    ASSERT_TRUE(object);

    // The library holds no string resources, so this always fails with a run-time error.
    CallResult late = call(object.get(), L"GetProResStrings", DISPATCH_PROPERTYGET, {vI4(1)});
    ASSERT_EQ(late.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(HRESULT_FACILITY(late.exception.scode), FACILITY_CONTROL);
    EXPECT_TRUE(FAILED(late.exception.scode));
    EXPECT_FALSE(late.description().empty());
    EXPECT_FALSE(late.source().empty());

    ComPtr<_clsKvMorvel10A> library = object.as<_clsKvMorvel10A>();
    ASSERT_TRUE(library);
    LONG id = 1;
    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(library->get_GetProResStrings(&id, &text), late.exception.scode);
    EXPECT_EQ(text, nullptr);  // out-parameters stay empty on failure
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    Bstr description, source;
    info->GetDescription(description.put());
    info->GetSource(source.put());
    EXPECT_EQ(std::wstring(description.get()), late.description());
    EXPECT_EQ(std::wstring(source.get()), late.source());
    EXPECT_EQ(object.as<ISupportErrorInfo>()->InterfaceSupportsErrorInfo(IID__clsKvMorvel10A), S_OK);
}

// Standard dispatch hands the extra arguments of a property get to the default member of
// the object it returned; an empty object property (a script's `x = o.frm(0)`) would then
// take the host down. Every member refuses more arguments than it declares.
TEST(Server, MoreArgumentsThanDeclaredAreRefusedEvenOnAnEmptyObjectProperty)
{
    Apartment apartment;
    ComPtr<IDispatch> object = create(L"Morvel10.clsKvHlpfHtmlA");
    ASSERT_TRUE(object);
    EXPECT_EQ(call(object.get(), L"frm", DISPATCH_PROPERTYGET, {vI4(0)}).hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(object.get(), L"frm", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {vI4(0)}).hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(object.get(), L"frm", DISPATCH_PROPERTYGET, {vI4(0), vI4(1)}).hr, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(object.get(), L"CHMFile", DISPATCH_PROPERTYPUT, {vI4(0), vStr(L"a.chm")}).hr, DISP_E_BADPARAMCOUNT);
    // The declared count still works, and so does leaving out an optional argument.
    Variant form = get(object.get(), L"frm");
    EXPECT_EQ(V_VT(form.get()), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(form.get()), nullptr);
}

// A by-reference argument with a null address is refused before the member runs, with the
// full error a host shows: number, source and description.
TEST(Server, ANullReferenceArgumentIsRefusedWithFullErrorInformation)
{
    Apartment apartment;
    MessageBoxRecorder boxes;
    ComPtr<IDispatch> html = create(L"Morvel10.clsKvHlpfHtmlA");
    ComPtr<IDispatch> winhelp = create(L"Morvel10.clsKvHlpfHlpA");
    ASSERT_TRUE(html && winhelp);
    auto nullRef = [](VARTYPE vt) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_BYREF | vt;
        V_BYREF(&v) = nullptr;
        return v;
    };
    struct Case {
        IDispatch* object;
        const wchar_t* name;
        WORD flags;
        std::vector<VARIANT> args;
        const wchar_t* source;
    };
    const std::vector<Case> cases = {
        {html.get(), L"HHDisplayPopup", DISPATCH_METHOD, {nullRef(VT_I4)}, L"clsKvHlpfHtmlA.HHDisplayPopup"},
        {winhelp.get(), L"AnyData", DISPATCH_PROPERTYPUT, {nullRef(VT_I4)}, L"clsKvHlpfHlpA.AnyData"},
        {winhelp.get(), L"WinHelpHlpf", DISPATCH_METHOD, {vI4(0), nullRef(VT_I4)}, L"clsKvHlpfHlpA.WinHelpHlpf"},
        {html.get(), L"HHCheckRegistry", DISPATCH_METHOD, {nullRef(VT_BSTR)}, L"clsKvHlpfHtmlA.HHCheckRegistry"},
    };
    for (const Case& c : cases) {
        CallResult r = call(c.object, c.name, c.flags, c.args);
        ASSERT_EQ(r.hr, DISP_E_EXCEPTION) << c.name;
        EXPECT_EQ(r.exception.scode, MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5)) << c.name;
        EXPECT_EQ(r.source(), c.source);
        EXPECT_EQ(r.description(), L"Invalid procedure call or argument") << c.name;
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(Server, AnOptionalArgumentMarkedMissingCountsAsLeftOut)
{
    Apartment apartment;
    MessageBoxRecorder boxes;
    ComPtr<IDispatch> object = create(L"Morvel10.clsKvHlpfHtmlA");
    ASSERT_TRUE(object);
    put(object.get(), L"CHMFile", vStr(L"C:\\Nowhere\\Missing.chm"));
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    // The command runs (and tells the user the file is missing) instead of failing the call.
    EXPECT_EQ(call(object.get(), L"HHDisplayContents", DISPATCH_METHOD, {missing}).hr, S_OK);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text.rfind(L"The file C:\\Nowhere\\Missing.chm does not exist.", 0), 0u);
}

// Objects of one class live on several threads at once, each in its own apartment; their
// first late-bound calls race to fill the shared per-interface dispatch table.
TEST(Server, LateBoundCallsAgreeOnSeveralThreadsAtOnce)
{
    constexpr int threads = 4, rounds = 200;
    std::vector<std::thread> workers;
    std::vector<int> wrong(threads, 0);
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t, &wrong] {
            Apartment apartment;
            ComPtr<IDispatch> object = create(L"Morvel10.clsKvHlpfHtmlA");
            if (!object) {
                wrong[t] = rounds;
                return;
            }
            for (int i = 0; i < rounds; ++i) {
                const LONG id = t * 1000 + i;
                put(object.get(), L"HHTopicID", vI4(id));
                Variant read = get(object.get(), L"HHTopicID");
                if (V_VT(read.get()) != VT_I4 || V_I4(read.get()) != id) ++wrong[t];
                // A member with a by-reference parameter takes the table's other path.
                BSTR file = SysAllocString(L"NotListed.chm");
                VARIANT arg;
                V_VT(&arg) = VT_BYREF | VT_BSTR;
                V_BSTRREF(&arg) = &file;
                if (call(object.get(), L"HHCheckRegistry", DISPATCH_METHOD, {arg}).hr != S_OK) ++wrong[t];
                SysFreeString(file);
            }
        });
    }
    for (auto& w : workers) w.join();
    for (int t = 0; t < threads; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

// The module lets its type library and dispatch tables go once nothing uses it; objects
// made after that dispatch as before.
TEST(Server, LateBoundCallsWorkAgainAfterTheModuleLetItsTablesGo)
{
    Apartment apartment;
    HMODULE loaded = nullptr;
    {
        ComPtr<IDispatch> object = create(L"Morvel10.clsKvHlpfHtmlA");
        ASSERT_TRUE(object);
        put(object.get(), L"HHTopicID", vI4(7));
        loaded = GetModuleHandleW(L"Morvel10.dll");
    }
    ASSERT_TRUE(loaded);
    auto canUnload = reinterpret_cast<ServerEntry>(GetProcAddress(loaded, "DllCanUnloadNow"));
    ASSERT_EQ(canUnload(), S_OK);
    ComPtr<IDispatch> object = create(L"Morvel10.clsKvHlpfHtmlA");
    ASSERT_TRUE(object);
    put(object.get(), L"HHTopicID", vI4(9));
    Variant read = get(object.get(), L"HHTopicID");
    ASSERT_EQ(V_VT(read.get()), VT_I4);
    EXPECT_EQ(V_I4(read.get()), 9);
}
