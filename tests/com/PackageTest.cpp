// The installer package of this build (package/Morvel10-<arch>.msi) under the platform's
// msiexec: installed per machine and per user, used, removed, and installed over an older
// package of the same family. The library's own keys and files must be exactly as before
// once it is removed. The installer's own bookkeeping is not the library's and is left out
// of the comparison (and printed when it differs).

#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/ComTestSupport.h"

using namespace comtest;

namespace {

using Snapshot = std::map<std::wstring, std::wstring>;
using ServerEntry = HRESULT(STDAPICALLTYPE*)();

const bool x64 = sizeof(void*) == 8;
const wchar_t* const arch = x64 ? L"x64" : L"x86";
const wchar_t* const upgradeCode = x64 ? L"{5B1C7A64-2E0D-4F39-9A57-3D8E61C0B2F4}"
                                       : L"{0E9D4C21-7B35-4A86-8C1F-6A2B95D4E317}";
const std::wstring htmlHelpServer = L"CLSID\\{41F0A3DC-4365-4DAD-9B10-7B1F03AED9B0}\\InprocServer32|";
const wchar_t* const helpDirKey = L"Software\\Classes\\TypeLib\\{7687793A-C0E7-45B8-9FF2-42C99B8EA31F}\\1.0\\HELPDIR";
// The installer's bookkeeping of products, components and features.
const std::vector<std::wstring> bookkeeping = {L"Software\\Classes\\Installer", L"HKCU:Software\\Classes\\Installer"};

std::wstring currentPackage() { return buildPath(std::wstring(L"package/Morvel10-") + arch + L".msi"); }
std::wstring olderPackage() { return buildPath(std::wstring(L"package-test/Morvel10-") + arch + L"-older.msi"); }

std::wstring knownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}
std::wstring machineFolder() { return knownFolder(CSIDL_PROGRAM_FILES) + L"\\Morvel10"; }
std::wstring userFolder()
{
    return knownFolder(CSIDL_LOCAL_APPDATA) + (x64 ? L"\\Programs\\Morvel10" : L"\\Programs\\Morvel10 (x86)");
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD msiexec(const std::wstring& arguments) { return runProgram(L"msiexec.exe " + arguments + L" /qn"); }

// Creates every class by its ProgID from VBScript; the number created, as the script's exit
// code (a file written through the scripting runtime would register that runtime's library
// and change the registry under comparison).
int createdByScript()
{
    const std::wstring script = tempFolder() + L"package-create.vbs";
    {
        std::wofstream out{std::filesystem::path(script)};
        out << L"Dim created, name, o\nOn Error Resume Next\ncreated = 0\n";
        for (const wchar_t* progId : progIds)
            out << L"Err.Clear\nSet o = Nothing\nSet o = CreateObject(\"" << progId
                << L"\")\nIf Err.Number = 0 Then If Not o Is Nothing Then created = created + 1\n";
        out << L"WScript.Quit created\n";
    }
    return static_cast<int>(runProgram(L"cscript.exe //nologo \"" + script + L"\""));
}

// The build tree's DLL is registered per machine for the other tests: it steps aside while
// the packages are tried, and comes back afterwards.
class Package : public testing::Test {
protected:
    void SetUp() override
    {
        module_.reset(LoadLibraryW(env(L"MORVEL_DLL").c_str()));
        ASSERT_TRUE(module_);
        ASSERT_EQ(entry("DllUnregisterServer")(), S_OK);
        ASSERT_TRUE(exists(currentPackage())) << "build the package first";
        // The user's classes root exists on Windows from the first logon; a fresh Wine
        // prefix makes it on first use.
        morvel::UniqueHKey classes;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_READ, nullptr,
                                  classes.put(), nullptr),
                  ERROR_SUCCESS);
        // The platform's script runtime registers its own libraries the first time a script
        // runs in a prefix; that happens here, before the comparison starts.
        createdByScript();
        before_ = snapshotClasses();
    }
    void TearDown() override
    {
        if (module_) entry("DllRegisterServer")();
    }
    ServerEntry entry(const char* name) { return reinterpret_cast<ServerEntry>(GetProcAddress(module_.get(), name)); }

    void expectAsBefore(std::vector<std::wstring> ignored = {})
    {
        const Snapshot after = snapshotClasses();
        ignored.insert(ignored.end(), bookkeeping.begin(), bookkeeping.end());
        EXPECT_EQ(registryDifferences(before_, after, ignored), std::vector<std::wstring>{});
        const auto left = registryDifferences(before_, after);
        if (!left.empty()) std::printf("the installer's own bookkeeping changed in %zu places\n", left.size());
    }

    Apartment apartment_;
    morvel::UniqueModule module_;
    Snapshot before_;
};

std::wstring value(const Snapshot& snapshot, const std::wstring& key)
{
    const auto found = snapshot.find(key);
    return found == snapshot.end() ? std::wstring() : found->second;
}

int relatedProducts()
{
    int count = 0;
    wchar_t product[39];
    while (MsiEnumRelatedProductsW(upgradeCode, 0, count, product) == ERROR_SUCCESS) ++count;
    return count;
}

}  // namespace

TEST_F(Package, InstallsPerMachineWithTheDllsOwnRegistrationAndLeavesNothingBehind)
{
    // What the DLL's own registration writes, for the comparison of keys.
    ASSERT_EQ(entry("DllRegisterServer")(), S_OK);
    const Snapshot selfRegistered = snapshotClasses();
    ASSERT_EQ(entry("DllUnregisterServer")(), S_OK);

    ASSERT_EQ(msiexec(L"/i \"" + currentPackage() + L"\""), 0u);
    const Snapshot installed = snapshotClasses();
    const std::wstring dll = machineFolder() + L"\\Morvel10.dll";
    EXPECT_TRUE(exists(dll));
    EXPECT_TRUE(exists(machineFolder() + L"\\Morvel10.tlb"));
    EXPECT_EQ(value(installed, L"Software\\Classes\\" + htmlHelpServer), L"1:" + dll);
    // The type library's help file and the manual's context ids lie where its HELPDIR points.
    wchar_t helpDir[MAX_PATH] = {};
    DWORD size = sizeof helpDir;
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, helpDirKey, nullptr, RRF_RT_REG_SZ, nullptr, helpDir, &size), 0);
    for (const wchar_t* name : {L"Morvel10.chm", L"ContextIds.h", L"ContextIds.bas"})
        EXPECT_TRUE(exists((std::filesystem::path(helpDir) / name).wstring()))
            << testing::PrintToString(std::wstring(helpDir) + name);
    EXPECT_EQ(registryDifferences(before_, installed, {L"Software\\Classes\\", L"HKCU:"}), std::vector<std::wstring>{});
    EXPECT_EQ(createdByScript(), 5);

    // The same keys as regsvr32 writes (the values differ only where they name the folder).
    auto keys = [&](const Snapshot& with) {
        std::vector<std::wstring> out;
        for (const auto& line : registryDifferences(before_, with, bookkeeping)) {
            std::wstring key = line;
            std::transform(key.begin(), key.end(), key.begin(), [](wchar_t c) { return std::towupper(c); });
            out.push_back(key);
        }
        std::sort(out.begin(), out.end());
        return out;
    };
    EXPECT_EQ(keys(installed), keys(selfRegistered));

    ASSERT_EQ(msiexec(L"/x \"" + currentPackage() + L"\""), 0u);
    EXPECT_FALSE(exists(machineFolder()));
    expectAsBefore();
}

TEST_F(Package, InstallsPerUserWithoutTouchingTheMachine)
{
    ASSERT_EQ(msiexec(L"/i \"" + currentPackage() + L"\" ALLUSERS="), 0u);
    const Snapshot installed = snapshotClasses();
    const std::wstring dll = userFolder() + L"\\Morvel10.dll";
    EXPECT_TRUE(exists(dll));
    EXPECT_FALSE(exists(machineFolder()));
    EXPECT_EQ(value(installed, L"HKCU:Software\\Classes\\" + htmlHelpServer), L"1:" + dll);
    EXPECT_EQ(registryDifferences(before_, installed, {L"HKCU:Software\\Classes\\", L"Software\\Classes\\Installer"}),
              std::vector<std::wstring>{});
    // In a process of its own: one that held the installed DLL would keep its file.
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(
        runProgram(L"\"" + std::wstring(self) + L"\" --gtest_also_run_disabled_tests --gtest_filter=PackageHelper.*"),
        0u);

    // Removal runs in the user's context too: ALLUSERS empty again.
    ASSERT_EQ(msiexec(L"/x \"" + currentPackage() + L"\" ALLUSERS="), 0u);
    EXPECT_FALSE(exists(userFolder()));
    // Wine's installer also deletes the user's classes root once it is empty; on Windows that
    // root is the user's class hive and stays.
    expectAsBefore({L"HKCU:Software\\Classes|"});
}

TEST_F(Package, ANewerPackageReplacesTheOlderOne)
{
    ASSERT_TRUE(exists(olderPackage()));
    ASSERT_EQ(msiexec(L"/i \"" + olderPackage() + L"\""), 0u);
    EXPECT_EQ(relatedProducts(), 1);
    ASSERT_EQ(msiexec(L"/i \"" + currentPackage() + L"\""), 0u);
    EXPECT_EQ(relatedProducts(), 1);
    wchar_t product[39] = {}, version[32] = {};
    DWORD length = 32;
    ASSERT_EQ(MsiEnumRelatedProductsW(upgradeCode, 0, 0, product), static_cast<UINT>(ERROR_SUCCESS));
    EXPECT_EQ(MsiGetProductInfoW(product, INSTALLPROPERTY_VERSIONSTRING, version, &length),
              static_cast<UINT>(ERROR_SUCCESS));
    EXPECT_STREQ(version, L"1.0.104");
    EXPECT_TRUE(exists(machineFolder() + L"\\Morvel10.dll"));
    EXPECT_EQ(createdByScript(), 5);

    ASSERT_EQ(msiexec(L"/x \"" + currentPackage() + L"\""), 0u);
    EXPECT_EQ(relatedProducts(), 0);
    EXPECT_FALSE(exists(machineFolder()));
    expectAsBefore();
}

// Run by the per-user test in a process of its own.
TEST(PackageHelper, DISABLED_EveryClassIsCreatedFromTheUserClasses)
{
    Apartment apartment;
    for (const wchar_t* progId : progIds) {
        morvel::UniqueModule module;
        ComPtr<IDispatch> object;
        EXPECT_EQ(createFromUserClasses(progId, module, object.put()), S_OK) << testing::PrintToString(progId);
    }
}
