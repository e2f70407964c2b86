// Names beyond the ANSI code page through COM, with the recording engine in place: a help
// file with a check mark in its name, in a folder of Cyrillic and CJK letters, is found,
// reaches the engine and goes through the file list under exactly its name; a name in
// fullwidth letters is not taken for the plain file it resembles. Runs under the prefix's
// code page (1252) and again as UnicodeNamesTest_cp932, where MORVEL_ACP says which one.

#include <gtest/gtest.h>

#include "EngineLog.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/HelpFileList.h"

using namespace comtest;
using namespace enginetest;

namespace {

const wchar_t guide[] = L"Guide \u2713.chm";

struct UnicodeNames : ::testing::Test {
    void SetUp() override
    {
        const std::string acp = env("MORVEL_ACP");
        if (!acp.empty()) ASSERT_EQ(std::to_string(GetACP()), acp) << "the run's code page";
        for (const std::wstring& f : {base, folder})
            ASSERT_TRUE(CreateDirectoryW(f.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
                << "Wine's Unix side spells such names only under a locale the system has (tools/setup.sh)";
        for (const std::wstring& file : {path, base + L"guide2.chm"}) {
            HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            CloseHandle(h);
        }
        object = create(L"Morvel10.clsKvHlpfHtmlA");
        ASSERT_TRUE(object);
    }
    void TearDown() override
    {
        fileList::remove(guide);
        DeleteFileW(path.c_str());
        DeleteFileW((base + L"guide2.chm").c_str());
        RemoveDirectoryW(folder.c_str());
        RemoveDirectoryW(base.c_str());
    }

    std::wstring text(const wchar_t* property) { return str(get(object.get(), property).get()); }

    Apartment apartment;
    EngineLog log;
    MessageBoxRecorder boxes;
    const std::wstring base = tempFolder() + L"Morvel Unicode Names\\";
    const std::wstring folder = base + L"\u0421\u043F\u0440\u0430\u0432\u043A\u0430 \u5E2E\u52A9\\";
    const std::wstring path = folder + guide;
    ComPtr<IDispatch> object;
};

}  // namespace

TEST_F(UnicodeNames, AHelpFileIsFoundAndReachesTheEngineAsNamed)
{
    std::wstring name = path;
    CallResult found = callWithText(object.get(), L"EnsureFileExists", name);
    ASSERT_EQ(found.hr, S_OK);
    EXPECT_EQ(V_BOOL(found.value.get()), VARIANT_TRUE);
    EXPECT_EQ(name, path);

    // The check mark has no spelling in 1252 or 932: the engine's wide entry point.
    put(object.get(), L"CHMFile", vStr(path.c_str()));
    put(object.get(), L"HHTopicURL", vStr(L"intro.htm"));
    VARIANT form = vI4(0);
    ASSERT_EQ(call(object.get(), L"HHDisplayTopicURL", DISPATCH_METHOD, {vRef(&form)}).hr, S_OK);
    EXPECT_EQ(log.take(),
              std::vector<std::string>{"entry=HtmlHelpW owner=0x00000000 file=" + hhrecord::quote(path.c_str()) +
                                       " command=0x0000 data=\"intro.htm\""});
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(UnicodeNames, AFullwidthNameIsNotThePlainFileItResembles)
{
    std::wstring plain = base + L"guide2.chm";
    ASSERT_EQ(V_BOOL(callWithText(object.get(), L"EnsureFileExists", plain).value.get()), VARIANT_TRUE);

    const std::wstring fullwidth = base + L"\uFF47\uFF55\uFF49\uFF44\uFF45\uFF12.chm";
    std::wstring name = fullwidth;
    CallResult found = callWithText(object.get(), L"EnsureFileExists", name);
    ASSERT_EQ(found.hr, S_OK);
    EXPECT_EQ(V_BOOL(found.value.get()), VARIANT_FALSE);
    EXPECT_EQ(name, fullwidth);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text.rfind(L"The file " + fullwidth + L" does not exist.", 0), 0u)
        << "box text: " << hhrecord::quote(boxes.boxes()[0].text.c_str());
}

TEST_F(UnicodeNames, TheFileListKeepsNameAndFolder)
{
    std::wstring name = path;
    ASSERT_EQ(callWithText(object.get(), L"HHRegister", name).hr, S_OK);
    EXPECT_EQ(name, guide);
    EXPECT_EQ(fileList::data(guide), folder + L'\0');

    ASSERT_EQ(callWithText(object.get(), L"HHCheckRegistry", name).hr, S_OK);
    EXPECT_EQ(text(L"HHRegFileName"), guide);
    EXPECT_EQ(text(L"HHRegFilePath"), folder);
    EXPECT_EQ(V_BOOL(get(object.get(), L"HHRegFileExists").get()), VARIANT_TRUE);

    ASSERT_EQ(callWithText(object.get(), L"HHUnRegister", name).hr, S_OK);
    EXPECT_EQ(fileList::data(guide), fileList::Missing);
    EXPECT_TRUE(boxes.boxes().empty());
}
