// The display commands against Wine's own help engine and the real Demo.chm compiled by
// chmcmd during the build: each opens a real help window, HHClose closes it.

#include <gtest/gtest.h>

#include "EngineLog.h"
#include "tests/support/ComTestSupport.h"

using namespace comtest;
using namespace enginetest;

namespace {

// Lets the engine's windows settle.
void pump()
{
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < 200) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
}

struct Found {
    std::vector<HWND> windows;
};
BOOL CALLBACK collectViewer(HWND window, LPARAM found)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    if (process == GetCurrentProcessId() && lstrcmpW(cls, L"HH Parent") == 0 && IsWindowVisible(window))
        reinterpret_cast<Found*>(found)->windows.push_back(window);
    return TRUE;
}

// The help viewers of this process.
std::vector<HWND> viewers()
{
    pump();
    Found found;
    EnumWindows(collectViewer, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

std::wstring title(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

struct HelpViewer : ::testing::Test {
    void SetUp() override
    {
        object = create(L"Morvel10.clsKvHlpfHtmlA");
        ASSERT_TRUE(object);
        put(object.get(), L"CHMFile", vStr(wide(buildPath("help/Demo.chm")).c_str()));
        ASSERT_TRUE(viewers().empty());
    }
    void TearDown() override
    {
        call(object.get(), L"HHClose", DISPATCH_METHOD);
        pump();
    }

    HRESULT run(const wchar_t* member, LONG form = 0)
    {
        VARIANT variable = vI4(form);
        return call(object.get(), member, DISPATCH_METHOD, {vRef(&variable)}).hr;
    }
    // The command opens one viewer titled after the help file, and HHClose closes it.
    void opensAndCloses(const wchar_t* member, const wchar_t* helpTitle = L"Morvel Demo Help")
    {
        ASSERT_EQ(run(member), S_OK);
        const std::vector<HWND> open = viewers();
        ASSERT_EQ(open.size(), 1u) << "no help window after " << std::string(member, member + wcslen(member));
        EXPECT_EQ(title(open[0]), helpTitle);
        ASSERT_EQ(call(object.get(), L"HHClose", DISPATCH_METHOD).hr, S_OK);
        EXPECT_TRUE(viewers().empty());
    }

    Apartment apartment;
    MessageBoxRecorder boxes;
    ComPtr<IDispatch> object;
};

TEST_F(HelpViewer, TopicByPath)
{
    put(object.get(), L"HHTopicURL", vStr(L"commands.htm"));
    opensAndCloses(L"HHDisplayTopicURL");
}

TEST_F(HelpViewer, TopicByMappedContextId)
{
    put(object.get(), L"HHTopicID", vI4(1002));
    opensAndCloses(L"HHDisplayTopicID");
}

// The SDK's sample help, compiled from Markdown by helpbuild, opens at an id of its ids file.
TEST_F(HelpViewer, HelpFromMarkdownOpensByTheIdsOfItsIdsFile)
{
    put(object.get(), L"CHMFile", vStr(wide(buildPath("help-sample/Sample.chm")).c_str()));
    put(object.get(), L"HHTopicID", vI4(1002));  // IDH_options_dialog
    opensAndCloses(L"HHDisplayTopicID", L"Sample Application Help");
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(HelpViewer, ContentsIndexAndSearch)
{
    for (const wchar_t* member : {L"HHDisplayContents", L"HHDisplayIndex", L"HHDisplaySearch"}) opensAndCloses(member);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(HelpViewer, WindowTypeOfTheHelpFile)
{
    put(object.get(), L"HHWindow", vStr(L"Main"));
    opensAndCloses(L"HHDisplayContents");
}

TEST_F(HelpViewer, KeywordLookupOpensTheFileFirst)
{
    // Wine's keyword lookup shows nothing; the window is the preliminary call's.
    put(object.get(), L"HHKeyword", vStr(L"commands"));
    opensAndCloses(L"HHDisplayKeyword");
}

TEST_F(HelpViewer, ShowOnTopHandsTheEngineTheCallersWindow)
{
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_TRUE(host);
    put(object.get(), L"HHShowOnTop", vBool(VARIANT_TRUE));
    ASSERT_EQ(run(L"HHDisplayContents", static_cast<LONG>(reinterpret_cast<INT_PTR>(host))), S_OK);
    const std::vector<HWND> open = viewers();
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(GetWindow(open[0], GW_OWNER), host);
    ASSERT_EQ(call(object.get(), L"HHClose", DISPATCH_METHOD).hr, S_OK);
    EXPECT_TRUE(viewers().empty());
    DestroyWindow(host);
}

}  // namespace
