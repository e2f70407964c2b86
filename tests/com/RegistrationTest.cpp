// The HTML Help file list with the real registry and files of the test prefix, through
// COM: registering, looking up under another letter case and from another folder,
// unregistering, and the message boxes the user sees on the way. The same program also
// runs as RegistrationTest_win2k.exe, which the prefix reports as Windows 2000, so that
// path resolution takes the platform's long-path query instead of the directory walk.

#include <gtest/gtest.h>

#include <string>

#include "library/Published.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/HelpFileList.h"

using namespace comtest;

namespace {

const wchar_t* const folder = L"C:\\Morvel Registration Test";
const wchar_t* const helpFolder = L"C:\\Morvel Registration Test\\Help Files With Long Names";

bool runsAsWindows2000()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return wcsstr(path, L"_win2k") != nullptr;
}

void writeFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "ITSF", 4, &written, nullptr);
    CloseHandle(file);
}

struct Registration : ::testing::Test {
    void SetUp() override
    {
        CreateDirectoryW(folder, nullptr);
        CreateDirectoryW(helpFolder, nullptr);
        writeFile(std::wstring(helpFolder) + L"\\Library.chm");
        fileList::remove(L"Library.chm");
        object = create(L"Morvel10.clsKvHlpfHtmlA");
        ASSERT_TRUE(object);
        html = object.as<_clsKvHlpfHtmlA>();
    }
    void TearDown() override { fileList::remove(L"Library.chm"); }

    std::wstring text(const wchar_t* property) { return str(get(object.get(), property).get()); }

    Apartment apartment;
    MessageBoxRecorder boxes;
    ComPtr<IDispatch> object;
    ComPtr<_clsKvHlpfHtmlA> html;
};

}  // namespace

TEST_F(Registration, RegisterLookUpAndUnregisterARealFile)
{
    // Register by full path: the variable ends as the bare name, the list gains the folder
    // with a trailing backslash and its NUL, and the lookup state is not touched yet.
    Bstr file;
    BSTR* variable = file.put();
    *variable = SysAllocString(L"C:\\Morvel Registration Test\\Help Files With Long Names\\Library.chm");
    ASSERT_EQ(html->HHRegister(variable), S_OK);
    EXPECT_STREQ(file.get(), L"Library.chm");
    EXPECT_EQ(fileList::data(L"Library.chm"),
              std::wstring(L"C:\\Morvel Registration Test\\Help Files With Long Names\\") + L'\0');
    EXPECT_EQ(text(L"HHRegFileName"), L"");
    EXPECT_TRUE(boxes.boxes().empty());

    // Looked up under another letter case, with another folder in front of it.
    std::wstring other = L"D:\\Other\\LIBRARY.CHM";
    CallResult check = callWithText(object.get(), L"HHCheckRegistry", other);
    ASSERT_EQ(check.hr, S_OK);
    EXPECT_EQ(V_VT(check.value.get()), VT_BOOL);
    EXPECT_EQ(V_BOOL(check.value.get()), VARIANT_FALSE);
    EXPECT_EQ(other, L"D:\\Other\\LIBRARY.CHM");  // left unchanged
    EXPECT_EQ(text(L"HHRegFileName"), L"LIBRARY.CHM");
    EXPECT_EQ(text(L"HHRegFilePath"), L"C:\\Morvel Registration Test\\Help Files With Long Names\\");
    EXPECT_EQ(V_BOOL(get(object.get(), L"HHRegFileExists").get()), VARIANT_TRUE);

    // From another current folder, a bare name is completed through the list.
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(L"C:\\windows");
    std::wstring bare = L"library.chm";
    CallResult found = callWithText(object.get(), L"EnsureFileExists", bare);
    SetCurrentDirectoryW(previous);
    ASSERT_EQ(found.hr, S_OK);
    EXPECT_EQ(V_BOOL(found.value.get()), VARIANT_TRUE);
    EXPECT_EQ(bare, L"C:\\Morvel Registration Test\\Help Files With Long Names\\library.chm");

    // Registering again is not needed, and the user is told so.
    std::wstring again = L"C:\\Morvel Registration Test\\Help Files With Long Names\\Library.chm";
    ASSERT_EQ(callWithText(object.get(), L"HHRegister", again).hr, S_OK);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, L"Corvane! Error");
    EXPECT_EQ(boxes.boxes()[0].icon, L"asterisk");
    EXPECT_EQ(boxes.boxes()[0].buttons, 1);
    EXPECT_EQ(boxes.boxes()[0].text, L"The file C:\\Morvel Registration Test\\Help Files With Long Names\\Library.chm "
                                     L"is already registered.  HHRegister will not be run as no action need be taken.");
    boxes.clear();

    // Unregister by bare name: the value goes and the lookup shows the list as it now is.
    std::wstring name = L"Library.chm";
    ASSERT_EQ(callWithText(object.get(), L"HHUnRegister", name).hr, S_OK);
    EXPECT_EQ(name, L"Library.chm");
    EXPECT_EQ(fileList::data(L"Library.chm"), fileList::Missing);
    EXPECT_EQ(text(L"HHRegFileName"), L"");
    EXPECT_EQ(text(L"HHRegFilePath"), L"");
    EXPECT_EQ(V_BOOL(get(object.get(), L"HHRegFileExists").get()), VARIANT_FALSE);
    EXPECT_TRUE(boxes.boxes().empty());

    // Unregistering what is not listed is not needed either.
    std::wstring unlisted = L"Library.chm";
    ASSERT_EQ(callWithText(object.get(), L"HHUnRegister", unlisted).hr, S_OK);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].icon, L"asterisk");
    EXPECT_EQ(boxes.boxes()[0].text,
              L"The file Library.chm is not registered.  HHUnRegister will not be run as no action need be taken.");
}

TEST_F(Registration, UsageMessagesForWrongAndMissingFiles)
{
    std::wstring missing = L"C:\\Morvel Registration Test\\Missing.chm";
    ASSERT_EQ(callWithText(object.get(), L"HHRegister", missing).hr, S_OK);
    EXPECT_EQ(fileList::data(L"Missing.chm"), fileList::Missing);

    std::wstring wrong = L"notes.txt";
    ASSERT_EQ(callWithText(object.get(), L"HHCheckRegistry", wrong).hr, S_OK);

    std::wstring empty = L"";
    CallResult nothing = callWithText(object.get(), L"HHCheckRegistry", empty);
    EXPECT_EQ(V_VT(nothing.value.get()), VT_EMPTY);

    ASSERT_EQ(boxes.boxes().size(), 2u);
    for (const auto& box : boxes.boxes()) {
        EXPECT_EQ(box.caption, L"Corvane! Error");
        EXPECT_EQ(box.icon, L"hand");
        EXPECT_EQ(box.buttons, 1);
    }
    EXPECT_EQ(boxes.boxes()[0].text, L"The file C:\\Morvel Registration Test\\Missing.chm does not exist.\n"
                                     L"Please make sure that you have installed ZELT Help files");
    EXPECT_EQ(boxes.boxes()[1].text, L"notes.txt is not a valid HTML Help file.");
}

TEST_F(Registration, ShortPathsRegisterTheLongFolderOnEitherBranch)
{
    const bool win2k = runsAsWindows2000();
    LONG code = -1;
    ASSERT_EQ(html->GetWindowsVersion(&code), S_OK);
    EXPECT_EQ(code, win2k ? 5 : 0);

    char shortPath[MAX_PATH] = {};
    ASSERT_GT(
        GetShortPathNameA("C:\\Morvel Registration Test\\Help Files With Long Names\\Library.chm", shortPath, MAX_PATH),
        0u);
    ASSERT_EQ(strstr(shortPath, "Long Names"), nullptr) << shortPath;  // really a short form
    std::wstring file(shortPath, shortPath + strlen(shortPath));
    ASSERT_EQ(callWithText(object.get(), L"HHRegister", file).hr, S_OK);
    EXPECT_EQ(fileList::data(L"Library.chm"),
              std::wstring(L"C:\\Morvel Registration Test\\Help Files With Long Names\\") + L'\0');
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(Registration, KeyInfoNeedsFullAccess)
{
    VARIANT_BOOL answer = 0;
    ASSERT_EQ(html->GetKeyInfo(Bstr(L"Software\\Microsoft\\Windows\\CurrentVersion").get(), 7, &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);
    ASSERT_EQ(html->GetKeyInfo(Bstr(L"Software\\No Such Key Anywhere").get(), 0, &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_FALSE);
}

// The list is the one the help engine of the same width reads: the library's own registry
// view, never the other one.
TEST_F(Registration, TheListIsKeptInTheLibrarysOwnRegistryView)
{
    std::wstring file = L"C:\\Morvel Registration Test\\Help Files With Long Names\\Library.chm";
    ASSERT_EQ(callWithText(object.get(), L"HHRegister", file).hr, S_OK);
    EXPECT_NE(fileList::data(L"Library.chm", ownRegistryView()), fileList::Missing);
    if (const REGSAM other = otherRegistryView()) {
        EXPECT_EQ(fileList::data(L"Library.chm", other), fileList::Missing);
    }
}
