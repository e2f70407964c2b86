// Registration for the calling user alone (DllInstall "user", regsvr32 /n /i:user): it
// writes below HKEY_CURRENT_USER\Software\Classes exactly what the machine registration
// writes below the machine's classes, touches nothing of the machine, yields creatable
// classes, and its undoing restores the registry as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "library/Published.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/TypeLibraryWalk.h"

using namespace comtest;

namespace {

using Snapshot = std::map<std::wstring, std::wstring>;
using InstallEntry = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);
using ServerEntry = HRESULT(STDAPICALLTYPE*)();

const std::wstring userClasses = L"HKCU:Software\\Classes\\";
const std::wstring machineClasses = L"Software\\Classes\\";

struct Server {
    morvel::UniqueModule module{LoadLibraryW(env(L"MORVEL_DLL").c_str())};
    InstallEntry install = entry<InstallEntry>("DllInstall");
    ServerEntry registerServer = entry<ServerEntry>("DllRegisterServer");
    ServerEntry unregisterServer = entry<ServerEntry>("DllUnregisterServer");

    template <class T>
    T entry(const char* name)
    {
        return module ? reinterpret_cast<T>(GetProcAddress(module.get(), name)) : nullptr;
    }
    bool loaded() const { return install && registerServer && unregisterServer; }
};

// What `after` adds to `before` below `root`, by path below it in capitals (the registry
// ignores case, and Wine's prefix spells the machine's collection "Typelib"). The machine's
// Wow6432Node\TypeLib links to the TypeLib both views share: that second sight is left out.
Snapshot added(const Snapshot& before, const Snapshot& after, const std::wstring& root)
{
    Snapshot out;
    for (const auto& [k, v] : after) {
        // Values only: which levels above them are new depends on what was there before.
        if (v.empty() || k.rfind(root, 0) != 0 || (before.count(k) && before.at(k) == v)) continue;
        std::wstring key = k.substr(root.size());
        std::transform(key.begin(), key.end(), key.begin(), [](wchar_t c) { return std::towupper(c); });
        if (key.rfind(L"WOW6432NODE\\", 0) != 0) out[key] = v;
    }
    return out;
}

std::vector<std::wstring> keysOf(const Snapshot& snapshot)
{
    std::vector<std::wstring> keys;
    for (const auto& [k, v] : snapshot) keys.push_back(k);
    return keys;
}

// The user's classes root exists on Windows from the first logon; a fresh Wine prefix
// makes it on first use, so it is made here beforehand, as the tests compare the registry
// before and after.
class PerUserRegistration : public testing::Test {
protected:
    void SetUp() override
    {
        morvel::UniqueHKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_READ, nullptr, key.put(),
                                  nullptr),
                  ERROR_SUCCESS);
    }
    Apartment apartment_;
};

}  // namespace

// One round: the machine registration's entries measured, then the per-user one beside it.
TEST_F(PerUserRegistration, WritesTheMachineEntriesBelowTheUserClassesAndNothingElse)
{
    Server server;
    ASSERT_TRUE(server.loaded());
    ASSERT_EQ(server.install(FALSE, L"user"), S_OK);
    ASSERT_EQ(server.unregisterServer(), S_OK);
    const Snapshot unregistered = snapshotClasses();
    ASSERT_EQ(server.registerServer(), S_OK);
    const Snapshot machine = snapshotClasses();

    ASSERT_EQ(server.install(TRUE, L"User"), S_OK);  // the command line's case does not matter
    const Snapshot user = snapshotClasses();
    const Snapshot machineEntries = added(unregistered, machine, machineClasses);
    const Snapshot userEntries = added(machine, user, userClasses);
    EXPECT_EQ(registryDifferences(machine, user, {userClasses}), std::vector<std::wstring>{})
        << "a per-user registration must leave the machine's classes alone";
    // The same keys and values: classes, type library (its file, flags and help folder for
    // this platform) and the interfaces it marshals.
    EXPECT_EQ(keysOf(userEntries), keysOf(machineEntries));
    EXPECT_EQ(userEntries, machineEntries);
    EXPECT_TRUE(userEntries.count(L"CLSID\\{41F0A3DC-4365-4DAD-9B10-7B1F03AED9B0}\\INPROCSERVER32|"));
    EXPECT_TRUE(userEntries.count(L"INTERFACE\\{CAFE23C7-EB55-48AC-A4D4-D7AE2F779689}\\TYPELIB|VERSION"));
    EXPECT_TRUE(userEntries.count(std::wstring(L"TYPELIB\\{7687793A-C0E7-45B8-9FF2-42C99B8EA31F}\\1.0\\409\\") +
                                  (sizeof(void*) == 8 ? L"WIN64|" : L"WIN32|")));

    EXPECT_EQ(server.install(FALSE, L"user"), S_OK);
    EXPECT_EQ(registryDifferences(machine, snapshotClasses()), std::vector<std::wstring>{});
    EXPECT_EQ(server.install(FALSE, L"user"), S_OK);  // what is already gone counts as removed
}

// With the machine registration gone, every class comes from the user's registration (and
// its type library from the file the user's TypeLib key names).
TEST_F(PerUserRegistration, EveryClassIsCreatedFromTheUserRegistrationAlone)
{
    Server server;
    ASSERT_TRUE(server.loaded());
    ASSERT_EQ(server.unregisterServer(), S_OK);
    ASSERT_EQ(server.install(TRUE, L"user"), S_OK);
    for (const wchar_t* progId : progIds) {
        morvel::UniqueModule module;
        ComPtr<IDispatch> object;
        ASSERT_EQ(createFromUserClasses(progId, module, object.put()), S_OK) << testing::PrintToString(progId);
        UINT count = 0;
        EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
        EXPECT_EQ(count, 1u);
    }
    wchar_t file[MAX_PATH] = {};
    DWORD size = sizeof file - sizeof(wchar_t);
    const std::wstring library =
        std::wstring(L"Software\\Classes\\TypeLib\\{7687793A-C0E7-45B8-9FF2-42C99B8EA31F}\\1.0\\409\\") +
        (sizeof(void*) == 8 ? L"win64" : L"win32");
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, library.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, file, &size),
              ERROR_SUCCESS);
    EXPECT_TRUE(typeLibraryOf(file));

    EXPECT_EQ(server.install(FALSE, L"user"), S_OK);
    morvel::UniqueModule module;
    ComPtr<IDispatch> object;
    EXPECT_EQ(createFromUserClasses(progIds[0], module, object.put()), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(server.registerServer(), S_OK);  // leave it registered for the other tests
}

TEST_F(PerUserRegistration, OtherCommandLinesAreRefusedWithNothingWritten)
{
    Server server;
    ASSERT_TRUE(server.loaded());
    const Snapshot before = snapshotClasses();
    for (const wchar_t* commandLine : {static_cast<const wchar_t*>(nullptr), L"", L"machine", L"users", L"user "}) {
        EXPECT_EQ(server.install(TRUE, commandLine), E_INVALIDARG) << testing::PrintToString(commandLine);
        EXPECT_EQ(server.install(FALSE, commandLine), E_INVALIDARG) << testing::PrintToString(commandLine);
    }
    EXPECT_EQ(registryDifferences(before, snapshotClasses()), std::vector<std::wstring>{});
}

// Removing either scope's registration leaves the other's whole. Windows sends a write or
// deletion through HKEY_CLASSES_ROOT to the user's copy of a key the user holds; Wine does
// not (measured), so under Wine this checks that each scope keeps to its own root.
TEST_F(PerUserRegistration, EachScopeLeavesTheOthersRegistrationWhole)
{
    Server server;
    auto set = [&](bool machine, BOOL on) {
        return machine ? (on ? server.registerServer() : server.unregisterServer()) : server.install(on, L"user");
    };
    ASSERT_TRUE(server.loaded() && SUCCEEDED(set(true, FALSE)) && SUCCEEDED(set(false, FALSE)));
    for (const bool keepMachine : {false, true}) {
        ASSERT_EQ(set(keepMachine, TRUE), S_OK);
        const Snapshot alone = snapshotClasses();
        ASSERT_EQ(set(!keepMachine, TRUE), S_OK);
        EXPECT_EQ(registryDifferences(alone, snapshotClasses(), {keepMachine ? userClasses : machineClasses}),
                  std::vector<std::wstring>{});
        ASSERT_EQ(set(!keepMachine, FALSE), S_OK);
        EXPECT_EQ(registryDifferences(alone, snapshotClasses()), std::vector<std::wstring>{});
        if (!keepMachine) ASSERT_EQ(set(false, FALSE), S_OK);  // the machine's stays for the other tests
    }
}

// Running out of memory anywhere in a registration leaves the registry as it was: the DLL's
// malloc (operator new's) fails its n-th call alone, for n = 0, 1, ... until one gets through.
TEST_F(PerUserRegistration, RunningOutOfMemoryPartWayUndoesEveryStepBeforeIt)
{
    static long allocationsBeforeFailure = -1;  // -1: none fails; the failing call leaves it so
    void* (*countdown)(size_t) = [](size_t size) {
        return allocationsBeforeFailure >= 0 && allocationsBeforeFailure-- == 0 ? nullptr : malloc(size);
    };
    Server server;
    ASSERT_TRUE(server.loaded() &&
                server.install(FALSE, L"user") == S_OK);  // from nothing: the collections are made too
    const Snapshot before = snapshotClasses(false);
    ImportHook hook(server.module.get(), "msvcrt.dll", "malloc", reinterpret_cast<void*>(countdown));
    HRESULT hr = E_OUTOFMEMORY;
    long allowed = 0;
    for (; hr == E_OUTOFMEMORY; ++allowed) {
        allocationsBeforeFailure = allowed;
        if ((hr = server.install(TRUE, L"user")) == E_OUTOFMEMORY)
            ASSERT_EQ(registryDifferences(before, snapshotClasses(false)), std::vector<std::wstring>{}) << allowed;
    }
    allocationsBeforeFailure = -1;
    EXPECT_TRUE(hr == S_OK && allowed > 100) << hr << " with " << allowed;  // many failed part-way
    EXPECT_EQ(server.install(FALSE, L"user"), S_OK);
}

// The last class's CLSID key below the user's classes is made volatile, so the registration
// fails part-way; everything written before that must go again.
TEST_F(PerUserRegistration, AFailedRegistrationUndoesEveryStepBeforeIt)
{
    Server server;
    ASSERT_TRUE(server.loaded());
    ASSERT_EQ(server.install(FALSE, L"user"), S_OK);
    wchar_t last[40] = {};
    StringFromGUID2(CLSID_clsKvHlpfAdvancedA, last, 40);
    const std::wstring volatileKey = std::wstring(L"Software\\Classes\\CLSID\\") + last;
    {
        // Its parent stays an ordinary key: a volatile one would refuse every later class.
        morvel::UniqueHKey parent, key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\CLSID", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_READ, nullptr, parent.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, volatileKey.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
    }
    const Snapshot before = snapshotClasses();
    EXPECT_EQ(server.install(TRUE, L"user"), HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE));
    EXPECT_EQ(registryDifferences(before, snapshotClasses()), std::vector<std::wstring>{});
    RegDeleteTreeW(HKEY_CURRENT_USER, volatileKey.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, volatileKey.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Classes\\CLSID");  // only when empty
}

// The command lines users type: regsvr32 /n /i:user and /u /n /i:user.
TEST_F(PerUserRegistration, Regsvr32RegistersAndUnregistersForTheUser)
{
    const std::wstring dll = env(L"MORVEL_DLL");
    const std::wstring key = L"Software\\Classes\\Morvel10.clsKvHlpfHtmlA\\CLSID";
    const Snapshot before = snapshotClasses();
    ASSERT_EQ(runProgram(L"regsvr32.exe /s /n /i:user \"" + dll + L"\""), 0u);
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, key, 0));
    ASSERT_EQ(runProgram(L"regsvr32.exe /s /u /n /i:user \"" + dll + L"\""), 0u);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, key, 0));
    EXPECT_EQ(registryDifferences(before, snapshotClasses()), std::vector<std::wstring>{});
}
