// The library object clsKvMorvel10A and the companion glue, through real COM: the
// application information, the library's own resources and their errors, the per-thread
// object slot, and About with the companion stand-in present, half present and absent.

#include <gtest/gtest.h>

#include <thread>

#include "library/Published.h"
#include "tests/support/ComTestSupport.h"

using namespace comtest;

namespace {

constexpr HRESULT automationError(int number) { return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number); }

VARIANT vObject(IDispatch* object)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    if (object) object->AddRef();
    return v;
}

// The error a vtable call left in the thread's error information.
std::pair<std::wstring, std::wstring> lastErrorInfo()
{
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) return {};
    Bstr source, description;
    info->GetSource(source.put());
    info->GetDescription(description.put());
    return {source.get() ? source.get() : L"", description.get() ? description.get() : L""};
}

ComPtr<_clsKvMorvel10A> library() { return create(L"Morvel10.clsKvMorvel10A").as<_clsKvMorvel10A>(); }

}  // namespace

TEST(LibraryObject, ApplicationInformationDescribesTheLibrary)
{
    Apartment apartment;
    ComPtr<IDispatch> object = create(L"Morvel10.clsKvMorvel10A");
    ASSERT_TRUE(object);
    Variant app = get(object.get(), L"GetProStdProperties");
    ASSERT_EQ(V_VT(app.get()), VT_DISPATCH);
    IDispatch* info = V_DISPATCH(app.get());
    ASSERT_TRUE(info);

    const std::wstring dll = env(L"MORVEL_DLL");
    std::wstring folder = dll.substr(0, dll.find_last_of(L"\\/"));
    for (wchar_t& c : folder)
        if (c == L'/') c = L'\\';
    EXPECT_EQ(str(get(info, L"Title").get()), L"Morvel10");
    EXPECT_EQ(str(get(info, L"EXEName").get()), L"Morvel10");
    EXPECT_EQ(lstrcmpiW(str(get(info, L"Path").get()).c_str(), folder.c_str()), 0)
        << testing::PrintToString(str(get(info, L"Path").get()));
    Variant major = get(info, L"Major");
    EXPECT_EQ(V_VT(major.get()), VT_I2);
    EXPECT_EQ(V_I2(major.get()), 1);
    EXPECT_EQ(str(get(info, L"minor").get()), L"0");  // names in any letter case
    EXPECT_EQ(str(get(info, L"Revision").get()), L"104");
    EXPECT_EQ(str(get(info, L"Comments").get()),
              L"This library contains all the help files (.hlp, .chm or .html) classes help to incorporate help "
              L"with your application.");
    EXPECT_EQ(str(get(info, L"CompanyName").get()), L"Morvel10 Developers");
    EXPECT_EQ(str(get(info, L"ProductName").get()), L"Morvel10");
    EXPECT_EQ(str(get(info, L"FileDescription").get()), L"Morvel10 help component library");
    EXPECT_FALSE(str(get(info, L"LegalCopyright").get()).empty());
    EXPECT_EQ(str(get(info, L"LegalTrademarks").get()), L"");

    // Read-only, and nothing else answers.
    EXPECT_EQ(call(info, L"NoSuchProperty", DISPATCH_PROPERTYGET).hr, DISP_E_UNKNOWNNAME);
    EXPECT_TRUE(FAILED(call(info, L"Title", DISPATCH_PROPERTYPUT, {vStr(L"Other")}).hr));
    EXPECT_EQ(str(get(info, L"Title").get()), L"Morvel10");

    // It is one object for the thread, whichever library object hands it out.
    Variant again = get(create(L"Morvel10.clsKvMorvel10A").get(), L"GetProStdProperties");
    EXPECT_EQ(V_DISPATCH(again.get()), info);
}

TEST(LibraryObject, ResourceLoadersFailWithTheRuntimeErrorsAndNeverCrash)
{
    Apartment apartment;
    ComPtr<IDispatch> object = create(L"Morvel10.clsKvMorvel10A");
    ASSERT_TRUE(object);

    CallResult strings = call(object.get(), L"GetProResStrings", DISPATCH_PROPERTYGET, {vI4(1)});
    ASSERT_EQ(strings.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(strings.exception.scode, automationError(326));
    EXPECT_EQ(strings.description(), L"Resource with identifier not found");
    for (LONG id : {0L, -1L, 65535L, 70000L, LONG(0x80000000)})
        EXPECT_EQ(call(object.get(), L"GetProResStrings", DISPATCH_PROPERTYGET, {vI4(id)}).exception.scode,
                  automationError(326))
            << id;

    CallResult overflow = call(object.get(), L"GetProResPicture", DISPATCH_PROPERTYGET, {vI4(1), vI4(70000)});
    EXPECT_EQ(overflow.exception.scode, automationError(6));
    EXPECT_EQ(overflow.description(), L"Overflow");
    EXPECT_EQ(call(object.get(), L"GetProResPicture", DISPATCH_PROPERTYGET, {vI4(1), vI4(-32769)}).exception.scode,
              automationError(6));
    // The kind is checked before the identifier: an overflow wins even for a good picture.
    EXPECT_EQ(call(object.get(), L"GetProResPicture", DISPATCH_PROPERTYGET, {vI4(70000), vI4(70000)}).exception.scode,
              automationError(6));
    for (LONG kind : {0L, 1L, 2L})
        for (LONG id : {1L, 0L, -5L, 70000L})
            EXPECT_EQ(
                call(object.get(), L"GetProResPicture", DISPATCH_PROPERTYGET, {vI4(id), vI4(kind)}).exception.scode,
                automationError(326))
                << id << " kind " << kind;
    EXPECT_EQ(call(object.get(), L"GetProResPicture", DISPATCH_PROPERTYGET, {vI4(1), vI4(3)}).exception.scode,
              automationError(5));

    for (LONG type : {0L, 6L, 70000L, -1L})
        EXPECT_EQ(call(object.get(), L"GetProResData", DISPATCH_PROPERTYGET, {vI4(1), vI4(type)}).exception.scode,
                  automationError(326))
            << type;
    EXPECT_EQ(call(object.get(), L"GetProResData", DISPATCH_PROPERTYGET, {vI4(2), vI4(16)}).exception.scode,
              automationError(326));
    EXPECT_EQ(call(object.get(), L"GetProResData", DISPATCH_PROPERTYGET, {vI4(1), vStr(L"")}).exception.scode,
              automationError(326));
    EXPECT_EQ(call(object.get(), L"GetProResData", DISPATCH_PROPERTYGET, {vI4(1), vStr(L"NOSUCHTYPE")}).exception.scode,
              automationError(326));
    VARIANT null;
    VariantInit(&null);
    V_VT(&null) = VT_NULL;
    EXPECT_EQ(call(object.get(), L"GetProResData", DISPATCH_PROPERTYGET, {vI4(1), null}).exception.scode,
              automationError(94));

    // Through the function table: the error information is set and the out-argument stays empty.
    ComPtr<_clsKvMorvel10A> lib = object.as<_clsKvMorvel10A>();
    LONG id = 1, kind = 70000;
    IPictureDisp* picture = reinterpret_cast<IPictureDisp*>(1);
    EXPECT_EQ(lib->get_GetProResPicture(&id, &kind, &picture), automationError(6));
    EXPECT_EQ(picture, nullptr);
    const auto [source, description] = lastErrorInfo();  // reading it takes it away
    EXPECT_EQ(description, L"Overflow");
    EXPECT_EQ(source, L"clsKvMorvel10A.GetProResPicture");
    BSTR text = nullptr;
    EXPECT_EQ(lib->get_GetProResStrings(nullptr, &text), E_POINTER);
    EXPECT_EQ(lib->get_GetProResStrings(&id, nullptr), E_POINTER);
    EXPECT_EQ(lib->get_GetProResData(&id, nullptr, nullptr), E_POINTER);
    // A reference to nothing is bad input, not a crash.
    VARIANT dangling;
    VariantInit(&dangling);
    V_VT(&dangling) = VT_BYREF | VT_I4;
    VARIANT data;
    V_VT(&data) = VT_I4;
    EXPECT_TRUE(FAILED(lib->get_GetProResData(&id, &dangling, &data)));
    EXPECT_EQ(V_VT(&data), VT_EMPTY);
}

TEST(LibraryObject, ResourceDataComesFromTheLibrarysOwnFile)
{
    Apartment apartment;
    ComPtr<IDispatch> object = create(L"Morvel10.clsKvMorvel10A");
    ASSERT_TRUE(object);

    // A named type, in any letter case, passed as a script passes a variable.
    for (const wchar_t* type : {L"_IID_CLSKVHLPFHLPA", L"_iid_clskvhlpfhlpa"}) {
        VARIANT name = vStr(type);
        CallResult r = call(object.get(), L"GetProResData", DISPATCH_PROPERTYGET, {vI4(1), vRef(&name)});
        VariantClear(&name);
        ASSERT_EQ(r.hr, S_OK);
        ASSERT_EQ(V_VT(r.value.get()), VT_ARRAY | VT_UI1);
        SAFEARRAY* bytes = V_ARRAY(r.value.get());
        ASSERT_EQ(SafeArrayGetDim(bytes), 1u);
        LONG lower = -1, upper = -1;
        SafeArrayGetLBound(bytes, 1, &lower);
        SafeArrayGetUBound(bytes, 1, &upper);
        EXPECT_EQ(lower, 0);
        ASSERT_EQ(upper, 19);
        const auto* data = static_cast<const BYTE*>(bytes->pvData);
        DWORD length = 0;
        memcpy(&length, data, 4);
        EXPECT_EQ(length, 16u);
        EXPECT_EQ(memcmp(data + 4, &IID__clsKvHlpfHlpA, 16), 0);
    }

    // A standard type by number: the version information, byte for byte.
    CallResult version = call(object.get(), L"GetProResData", DISPATCH_PROPERTYGET, {vI4(1), vI2(16)});
    ASSERT_EQ(version.hr, S_OK);
    // JScript calls a property with arguments as a method: the same read.
    CallResult asMethod = call(object.get(), L"GetProResData", DISPATCH_METHOD, {vI4(1), vI2(16)});
    ASSERT_EQ(asMethod.hr, S_OK);
    ASSERT_EQ(V_VT(asMethod.value.get()), VT_ARRAY | VT_UI1);
    EXPECT_EQ(V_ARRAY(asMethod.value.get())->rgsabound[0].cElements,
              V_ARRAY(version.value.get())->rgsabound[0].cElements);
    // A method call with a value is still no assignment of it.
    EXPECT_EQ(call(object.get(), L"BuddyObjectGlobal", DISPATCH_METHOD, {vI4(1)}).hr, DISP_E_BADPARAMCOUNT);
    HMODULE module = GetModuleHandleW(L"Morvel10.dll");
    ASSERT_TRUE(module);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
    ASSERT_TRUE(found);
    SAFEARRAY* bytes = V_ARRAY(version.value.get());
    ASSERT_EQ(bytes->rgsabound[0].cElements, SizeofResource(module, found));
    EXPECT_EQ(memcmp(bytes->pvData, LockResource(LoadResource(module, found)), bytes->rgsabound[0].cElements), 0);
}

TEST(LibraryObject, SlotIsSharedByTheObjectsOfOneThread)
{
    Apartment apartment;
    ProbeObject::State state;
    IDispatch* probe = ProbeObject::create(state);
    {
        ComPtr<IDispatch> first = create(L"Morvel10.clsKvMorvel10A");
        ComPtr<IDispatch> second = create(L"Morvel10.clsKvMorvel10A");
        ASSERT_TRUE(first && second);
        EXPECT_EQ(V_DISPATCH(get(first.get(), L"BuddyObjectGlobal").get()), nullptr);

        put(first.get(), L"BuddyObjectGlobal", vObject(probe));
        EXPECT_EQ(V_DISPATCH(get(second.get(), L"BuddyObjectGlobal").get()), probe);
        first.reset();
        EXPECT_EQ(V_DISPATCH(get(second.get(), L"BuddyObjectGlobal").get()), probe);
        second.reset();
    }
    // Releasing every library object leaves the slot alone.
    ComPtr<IDispatch> third = create(L"Morvel10.clsKvMorvel10A");
    EXPECT_EQ(V_DISPATCH(get(third.get(), L"BuddyObjectGlobal").get()), probe);
    EXPECT_EQ(state.references, 2);  // ours and the slot's

    // Storing Nothing empties the slot and drops its reference.
    put(third.get(), L"BuddyObjectGlobal", vObject(nullptr));
    EXPECT_EQ(V_DISPATCH(get(third.get(), L"BuddyObjectGlobal").get()), nullptr);
    EXPECT_EQ(state.references, 1);
    probe->Release();
    EXPECT_TRUE(state.destroyed);
}

TEST(LibraryObject, StoringTheObjectAlreadyHeldKeepsItAlive)
{
    Apartment apartment;
    ComPtr<_clsKvMorvel10A> lib = library();
    ASSERT_TRUE(lib);
    ProbeObject::State state;
    IDispatch* probe = ProbeObject::create(state);
    ASSERT_EQ(lib->putref_BuddyObjectGlobal(probe), S_OK);
    probe->Release();  // the slot holds the only reference now
    ASSERT_EQ(state.references, 1);

    // Dropping the old reference first would destroy the object before it is stored again.
    ASSERT_EQ(lib->putref_BuddyObjectGlobal(probe), S_OK);
    EXPECT_FALSE(state.destroyed);
    EXPECT_EQ(state.references, 1);
    IDispatch* out = nullptr;
    ASSERT_EQ(lib->get_BuddyObjectGlobal(&out), S_OK);
    EXPECT_EQ(out, probe);
    out->Release();

    ASSERT_EQ(lib->putref_BuddyObjectGlobal(nullptr), S_OK);
    EXPECT_TRUE(state.destroyed);
    EXPECT_EQ(lib->get_BuddyObjectGlobal(nullptr), E_POINTER);
}

TEST(LibraryObject, AnotherThreadHasItsOwnSlotReleasedWhenItsApartmentEnds)
{
    Apartment apartment;
    ComPtr<IDispatch> lib = create(L"Morvel10.clsKvMorvel10A");
    ASSERT_TRUE(lib);
    ProbeObject::State mine, theirs;
    IDispatch* probe = ProbeObject::create(mine);
    put(lib.get(), L"BuddyObjectGlobal", vObject(probe));
    probe->Release();

    bool emptyAtFirst = false, heldAfterStore = false, aliveWhileInitialisedTwice = false, emptyInNewApartment = false;
    std::thread other([&] {
        CoInitialize(nullptr);
        CoInitialize(nullptr);  // nested: the apartment ends with the second CoUninitialize
        if (ComPtr<IDispatch> there = create(L"Morvel10.clsKvMorvel10A")) {
            emptyAtFirst = V_DISPATCH(get(there.get(), L"BuddyObjectGlobal").get()) == nullptr;
            IDispatch* theirProbe = ProbeObject::create(theirs);
            put(there.get(), L"BuddyObjectGlobal", vObject(theirProbe));
            theirProbe->Release();
            heldAfterStore = V_DISPATCH(get(there.get(), L"BuddyObjectGlobal").get()) == theirProbe;
        }
        CoUninitialize();
        aliveWhileInitialisedTwice = !theirs.destroyed;
        CoUninitialize();
        // A new apartment on the same thread starts with an empty slot.
        CoInitialize(nullptr);
        {
            ComPtr<IDispatch> again = create(L"Morvel10.clsKvMorvel10A");
            emptyInNewApartment = again && V_DISPATCH(get(again.get(), L"BuddyObjectGlobal").get()) == nullptr;
        }
        CoUninitialize();
    });
    other.join();

    EXPECT_TRUE(emptyAtFirst);
    EXPECT_TRUE(heldAfterStore);
    EXPECT_TRUE(aliveWhileInitialisedTwice);
    EXPECT_TRUE(theirs.destroyed);
    EXPECT_TRUE(emptyInNewApartment);
    // This thread's slot was never touched by the other.
    EXPECT_FALSE(mine.destroyed);
    EXPECT_EQ(V_DISPATCH(get(lib.get(), L"BuddyObjectGlobal").get()), probe);
    put(lib.get(), L"BuddyObjectGlobal", vObject(nullptr));
    EXPECT_TRUE(mine.destroyed);
}

TEST(LibraryObject, SlotIsReleasedAtTheEndOfTheApartment)
{
    ProbeObject::State state;
    {
        Apartment apartment;
        ComPtr<IDispatch> lib = create(L"Morvel10.clsKvMorvel10A");
        ASSERT_TRUE(lib);
        EXPECT_EQ(V_DISPATCH(get(lib.get(), L"BuddyObjectGlobal").get()), nullptr);  // fresh after the last test
        IDispatch* probe = ProbeObject::create(state);
        put(lib.get(), L"BuddyObjectGlobal", vObject(probe));
        probe->Release();
    }
    EXPECT_TRUE(state.destroyed);
}

TEST(LibraryObject, TheModuleMayUnloadOnceTheApartmentHasEnded)
{
    // Pinned, so its entry point can still be asked after COM has let go of it.
    HMODULE pinned = LoadLibraryW(env(L"MORVEL_DLL").c_str());
    ASSERT_TRUE(pinned);
    using ServerEntry = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<ServerEntry>(GetProcAddress(pinned, "DllCanUnloadNow"));
    ASSERT_TRUE(canUnload);
    {
        Apartment apartment;
        ComPtr<IDispatch> lib = create(L"Morvel10.clsKvMorvel10A");
        ASSERT_TRUE(lib);
        get(lib.get(), L"GetProStdProperties");
        ProbeObject::State state;
        IDispatch* probe = ProbeObject::create(state);
        put(lib.get(), L"BuddyObjectGlobal", vObject(probe));
        probe->Release();
        lib.reset();
        // The thread's data still holds the application information and the slot.
        EXPECT_EQ(canUnload(), S_FALSE);
        put(create(L"Morvel10.clsKvMorvel10A").get(), L"BuddyObjectGlobal", vObject(nullptr));
    }
    EXPECT_EQ(canUnload(), S_OK);
    FreeLibrary(pinned);
}

TEST(About, ShowsTheCompanionsAboutBoxForTheLibrary)
{
    Apartment apartment;
    CompanionLog log;
    MessageBoxRecorder boxes;
    ComPtr<IDispatch> lib = create(L"Morvel10.clsKvMorvel10A");
    ASSERT_TRUE(lib);

    CallResult about = call(lib.get(), L"About", DISPATCH_METHOD);
    ASSERT_EQ(about.hr, S_OK);
    EXPECT_EQ(V_VT(about.value.get()), VT_I4);
    EXPECT_EQ(V_I4(about.value.get()), 0);

    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, L"About Morvel10");
    EXPECT_EQ(boxes.boxes()[0].text.rfind(L"Morvel10\r\nVersion 1.0.104", 0), 0u)
        << testing::PrintToString(boxes.boxes()[0].text);
    EXPECT_EQ(boxes.boxes()[0].icon, L"asterisk");

    // One call, its one argument the application-information object by value.
    const auto calls = log.calls();
    ASSERT_EQ(calls.size(), 1u);
    ASSERT_EQ(calls[0].size(), 2u);
    EXPECT_EQ(calls[0][0], L"AppAboutKvor");
    EXPECT_EQ(calls[0][1], L"0009 {Title=\"Morvel10\";Major=1;Minor=0;Revision=104}");
}

TEST(About, ReportsEachFailedStepWhenTheApplicationClassIsMissing)
{
    Apartment apartment;
    CompanionClassesRemoved removed({L"Ostrel10.clsKvOstrel10A"});
    CompanionLog log;
    MessageBoxRecorder boxes;
    ComPtr<_clsKvMorvel10A> lib = library();
    ASSERT_TRUE(lib);

    LONG result = -1;
    ASSERT_EQ(lib->About(&result), S_OK);
    EXPECT_EQ(result, 0);

    // The creation error, then the call on the empty reference: two reports, each with a
    // new handler, each shown.
    const auto calls = log.calls();
    ASSERT_EQ(calls.size(), 2u);
    const wchar_t* numbers[] = {
        L"{Number=429;Source=\"Morvel10\";Description=\"ActiveX component can't create object\"",
        L"{Number=91;Source=\"Morvel10\";Description=\"Object variable or With block variable not set\""};
    for (size_t i = 0; i < 2; ++i) {
        const auto& c = calls[i];
        ASSERT_EQ(c.size(), 9u);
        EXPECT_EQ(c[0], L"ErrorHandlerMessageKv");
        EXPECT_EQ(c[1].rfind(L"4009 {Title=\"Morvel10\";", 0), 0u) << testing::PrintToString(c[1]);
        EXPECT_EQ(c[2].rfind(std::wstring(L"4009 ") + numbers[i], 0), 0u) << testing::PrintToString(c[2]);
        EXPECT_NE(c[2].find(L";HelpFile=\"\";HelpContext=0;LastDllError="), std::wstring::npos);
        EXPECT_EQ(c[3], L"4008 \"\"");
        EXPECT_EQ(c[4], L"4008 \"basKvorCommonA.AppAboutKvor_Pro\"");
        EXPECT_EQ(c[5], L"4003 0");
        EXPECT_EQ(c[6], L"4008 \"\"");
        EXPECT_EQ(c[7], L"4003 0");
        EXPECT_EQ(c[8], L"000a 80020004");
    }
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].caption, L"Morvel10");
    EXPECT_EQ(boxes.boxes()[0].text,
              L"Error 429: ActiveX component can't create object\r\n\r\nSource: basKvorCommonA.AppAboutKvor_Pro");
    EXPECT_EQ(boxes.boxes()[0].icon, L"hand");
    EXPECT_EQ(boxes.boxes()[1].text.rfind(L"Error 91: ", 0), 0u);
}

TEST(About, FailsTowardTheHostWhenTheReportCannotBeMadeEither)
{
    Apartment apartment;
    CompanionClassesRemoved removed({L"Ostrel10.clsKvOstrel10A", L"Ostrel10.clsKvorErrorHandlerA"});
    MessageBoxRecorder boxes;
    ComPtr<IDispatch> lib = create(L"Morvel10.clsKvMorvel10A");
    ASSERT_TRUE(lib);

    CallResult about = call(lib.get(), L"About", DISPATCH_METHOD);
    ASSERT_EQ(about.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(about.exception.scode, automationError(429));
    EXPECT_EQ(about.description(), L"ActiveX component can't create object");
    EXPECT_EQ(about.source(), L"clsKvMorvel10A.About");
    EXPECT_TRUE(boxes.boxes().empty());

    LONG result = -1;
    EXPECT_EQ(library()->About(&result), automationError(429));
    EXPECT_EQ(result, 0);
}
