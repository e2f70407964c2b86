// Looking files up in the HTML Help file list of the real registry, through COM, once the
// object keeps an index of the list: the platform's own comparison decides (a soft hyphen
// is ignored, letters beyond ASCII match in either case), a non-text value is passed over,
// the first of two equal names wins, and a change written through another handle shows at
// the very next lookup.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/ComTestSupport.h"
#include "tests/support/HelpFileList.h"

using namespace comtest;

namespace {

// The test's own entries: U+00AD is a soft hyphen, U+00E9 an e with an acute accent.
const wchar_t* const entries[] = {
    L"IdxTyped.chm",     L"IdxTyp\u00ADed.chm", L"IdxFirst.chm", L"IdxFirst\u00AD.chm", L"IdxSoft\u00ADHyphen.chm",
    L"IdxCaf\u00E9.chm", L"IdxExpand.chm",      L"IdxLate.chm"};

// A name longer than the lookup's name buffer.
const std::wstring longName = std::wstring(3000, L'L') + L".chm";

// The index is kept only for a list that has been still for a second; the lookups after
// this are served from it.
void letTheListSettle() { Sleep(1100); }

struct FileList : ::testing::Test {
    void SetUp() override
    {
        clear();
        const DWORD seven = 7;
        // Wine lists values in the order of their names: "IdxTyped.chm" comes first.
        ASSERT_TRUE(fileList::write(L"IdxTyped.chm", REG_DWORD, &seven, sizeof seven));
        ASSERT_TRUE(fileList::write(L"IdxTyp\u00ADed.chm", L"C:\\Typed\\"));
        ASSERT_TRUE(fileList::write(L"IdxFirst.chm", L"C:\\First\\"));
        ASSERT_TRUE(fileList::write(L"IdxFirst\u00AD.chm", L"C:\\Second\\"));
        ASSERT_TRUE(fileList::write(L"IdxSoft\u00ADHyphen.chm", L"C:\\Soft\\"));
        ASSERT_TRUE(fileList::write(L"IdxCaf\u00E9.chm", L"C:\\Cafe\\"));
        ASSERT_TRUE(fileList::write(L"IdxExpand.chm", L"%SystemRoot%\\Help\\", REG_EXPAND_SZ));
        ASSERT_TRUE(fileList::write(longName, L"C:\\Long\\"));
        object = create(L"Morvel10.clsKvHlpfHtmlA");
        ASSERT_TRUE(object);
    }
    void TearDown() override { clear(); }
    void clear()
    {
        for (const wchar_t* name : entries) fileList::remove(name);
        fileList::remove(longName);
    }

    // The folder HHCheckRegistry found for a name, or "<not listed>".
    std::wstring lookUp(const wchar_t* name)
    {
        std::wstring file = name;
        EXPECT_EQ(callWithText(object.get(), L"HHCheckRegistry", file).hr, S_OK);
        if (str(get(object.get(), L"HHRegFileName").get()).empty()) return L"<not listed>";
        return str(get(object.get(), L"HHRegFilePath").get());
    }

    Apartment apartment;
    MessageBoxRecorder boxes;  // the listed files do not exist, and the user would be told
    ComPtr<IDispatch> object;
};

}  // namespace

TEST_F(FileList, ThePlatformsComparisonDecides)
{
    letTheListSettle();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "the lookup that makes the index" : "from the kept index");
        EXPECT_EQ(lookUp(L"idxtyped.chm"), L"C:\\Typed\\");
        EXPECT_EQ(lookUp(L"IDXFIRST.CHM"), L"C:\\First\\");
        EXPECT_EQ(lookUp(L"IdxFi\u00ADrst.chm"), L"C:\\First\\");
        EXPECT_EQ(lookUp(L"IdxSoftHyphen.chm"), L"C:\\Soft\\");
        EXPECT_EQ(lookUp(L"IDXCAF\u00C9.CHM"), L"C:\\Cafe\\");
        EXPECT_EQ(lookUp(L"IdxCafe.chm"), L"<not listed>");
        EXPECT_EQ(_wcsicmp(lookUp(L"IdxExpand.chm").c_str(), L"C:\\windows\\Help\\"), 0);
        EXPECT_EQ(lookUp(longName.c_str()), L"<not listed>");
        EXPECT_EQ(lookUp(L"IdxAbsent.chm"), L"<not listed>");
    }
}

TEST_F(FileList, ChangesThroughAnotherHandleShowAtOnce)
{
    letTheListSettle();
    EXPECT_EQ(lookUp(L"IdxLate.chm"), L"<not listed>");
    ASSERT_TRUE(fileList::write(L"IdxLate.chm", L"C:\\Late\\"));
    EXPECT_EQ(lookUp(L"IdxLate.chm"), L"C:\\Late\\");

    // The same number of values and, a second later, new data for one of them.
    letTheListSettle();
    EXPECT_EQ(lookUp(L"IdxLate.chm"), L"C:\\Late\\");
    ASSERT_TRUE(fileList::write(L"IdxLate.chm", L"C:\\Later\\"));
    EXPECT_EQ(lookUp(L"IdxLate.chm"), L"C:\\Later\\");

    letTheListSettle();
    EXPECT_EQ(lookUp(L"IdxLate.chm"), L"C:\\Later\\");
    ASSERT_TRUE(fileList::remove(L"IdxLate.chm"));
    EXPECT_EQ(lookUp(L"IdxLate.chm"), L"<not listed>");
}
