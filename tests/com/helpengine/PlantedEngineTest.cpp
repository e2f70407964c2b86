// A copy of hhctrl.ocx planted beside the host program (the recorder, copied here by the
// build) must never be the engine the library loads. Run with WINEDLLOVERRIDES=
// hhctrl.ocx=n,b, under which the default search order does take the plant: the same
// program started with --default-order proves that, so the test means something.

#include <gtest/gtest.h>

#include "EngineLog.h"
#include "tests/support/ComTestSupport.h"

using namespace comtest;
using namespace enginetest;

namespace {

std::string ownFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\'));
}

std::string moduleFile(HMODULE module)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

std::string systemEngine()
{
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\hhctrl.ocx";
}

// The mode of the child: what the default search order finds for the bare name.
constexpr int loadedPlant = 2, loadedSystem = 3, loadedNothing = 4;
int loadByDefaultOrder()
{
    HMODULE module = LoadLibraryA("hhctrl.ocx");
    if (!module) return loadedNothing;
    return lstrcmpiA(moduleFile(module).c_str(), (ownFolder() + "\\hhctrl.ocx").c_str()) == 0 ? loadedPlant
                                                                                              : loadedSystem;
}

TEST(PlantedEngine, IsThereAndTheDefaultOrderWouldTakeIt)
{
    ASSERT_NE(GetFileAttributesA((ownFolder() + "\\hhctrl.ocx").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_NE(env("WINEDLLOVERRIDES").find("hhctrl.ocx=n,b"), std::string::npos);

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(runProgram(L"\"" + std::wstring(self) + L"\" --default-order"), static_cast<DWORD>(loadedPlant));
}

TEST(PlantedEngine, TheLibraryLoadsOnlyTheSystemCopy)
{
    Apartment apartment;
    EngineLog log;  // the plant is the recorder: a call into it would be written here
    ComPtr<IDispatch> object = create(L"Morvel10.clsKvHlpfHtmlA");
    ASSERT_TRUE(object);
    ASSERT_EQ(GetModuleHandleA("hhctrl.ocx"), nullptr);
    ASSERT_EQ(call(object.get(), L"HHClose", DISPATCH_METHOD).hr, S_OK);  // the engine's first use

    HMODULE engine = GetModuleHandleA("hhctrl.ocx");
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(lstrcmpiA(moduleFile(engine).c_str(), systemEngine().c_str()), 0) << moduleFile(engine);
    EXPECT_EQ(GetModuleHandleA((ownFolder() + "\\hhctrl.ocx").c_str()), nullptr);
    EXPECT_TRUE(log.lines().empty());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--default-order") return loadByDefaultOrder();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
