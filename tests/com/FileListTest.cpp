// Looking files up in the HTML Help file list of the real registry, through COM, once the
// object keeps an index of the list: the platform's own comparison decides (a soft hyphen
// is ignored, letters beyond ASCII match in either case), a non-text value is passed over,
// the first of two equal names wins, and a change written through another handle shows at
// the very next lookup.

#include <gtest/gtest.h>

#include <string>

#include "comkit/Handles.h"
#include "tests/support/ComTestSupport.h"

using namespace comtest;

namespace {

const char listKey[] = "Software\\Microsoft\\Windows\\HTML Help";
// The test's own entries, in the ANSI code page (1252): 0xAD is a soft hyphen, 0xE9 an e
// with an acute accent.
const char* const entries[] = {"IdxTyped.chm",
                               "IdxTyp\xAD"
                               "ed.chm",
                               "IdxFirst.chm",
                               "IdxFirst\xAD.chm",
                               "IdxSoft\xADHyphen.chm",
                               "IdxCaf\xE9.chm",
                               "IdxExpand.chm",
                               "IdxLate.chm"};

void setText(HKEY key, const char* name, const std::string& data, DWORD type = REG_SZ)
{
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)),
              ERROR_SUCCESS);
}

// A name longer than the lookup's name buffer.
std::string longName() { return std::string(3000, 'L') + ".chm"; }

// The index is kept only for a list that has been still for a second; the lookups after
// this are served from it.
void letTheListSettle() { Sleep(1100); }

struct FileList : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, listKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr,
                                  list.put(), nullptr),
                  ERROR_SUCCESS);
        clear();
        const DWORD seven = 7;
        // Wine lists values in the order of their names: "IdxTyped.chm" comes first.
        ASSERT_EQ(RegSetValueExA(list.get(), "IdxTyped.chm", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seven),
                                 sizeof seven),
                  ERROR_SUCCESS);
        setText(list.get(),
                "IdxTyp\xAD"
                "ed.chm",
                "C:\\Typed\\");
        setText(list.get(), "IdxFirst.chm", "C:\\First\\");
        setText(list.get(), "IdxFirst\xAD.chm", "C:\\Second\\");
        setText(list.get(), "IdxSoft\xADHyphen.chm", "C:\\Soft\\");
        setText(list.get(), "IdxCaf\xE9.chm", "C:\\Cafe\\");
        setText(list.get(), "IdxExpand.chm", "%SystemRoot%\\Help\\", REG_EXPAND_SZ);
        setText(list.get(), longName().c_str(), "C:\\Long\\");
        object = create(L"Morvel10.clsKvHlpfHtmlA");
        ASSERT_TRUE(object);
    }
    void TearDown() override { clear(); }
    void clear()
    {
        for (const char* name : entries) RegDeleteValueA(list.get(), name);
        RegDeleteValueA(list.get(), longName().c_str());
    }

    // The folder HHCheckRegistry found for a name, or "<not listed>".
    std::wstring lookUp(const wchar_t* name)
    {
        VARIANT file = vStr(name);
        const CallResult result = call(object.get(), L"HHCheckRegistry", DISPATCH_METHOD, {vRef(&file)});
        VariantClear(&file);
        EXPECT_EQ(result.hr, S_OK);
        if (str(get(object.get(), L"HHRegFileName").get()).empty()) return L"<not listed>";
        return str(get(object.get(), L"HHRegFilePath").get());
    }

    Apartment apartment;
    MessageBoxRecorder boxes;  // the listed files do not exist, and the user would be told
    morvel::UniqueHKey list;
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
        EXPECT_EQ(lookUp((std::wstring(3000, L'L') + L".chm").c_str()), L"<not listed>");
        EXPECT_EQ(lookUp(L"IdxAbsent.chm"), L"<not listed>");
    }
}

TEST_F(FileList, ChangesThroughAnotherHandleShowAtOnce)
{
    letTheListSettle();
    EXPECT_EQ(lookUp(L"IdxLate.chm"), L"<not listed>");
    setText(list.get(), "IdxLate.chm", "C:\\Late\\");
    EXPECT_EQ(lookUp(L"IdxLate.chm"), L"C:\\Late\\");

    // The same number of values and, a second later, new data for one of them.
    letTheListSettle();
    EXPECT_EQ(lookUp(L"IdxLate.chm"), L"C:\\Late\\");
    setText(list.get(), "IdxLate.chm", "C:\\Later\\");
    EXPECT_EQ(lookUp(L"IdxLate.chm"), L"C:\\Later\\");

    letTheListSettle();
    EXPECT_EQ(lookUp(L"IdxLate.chm"), L"C:\\Later\\");
    ASSERT_EQ(RegDeleteValueA(list.get(), "IdxLate.chm"), ERROR_SUCCESS);
    EXPECT_EQ(lookUp(L"IdxLate.chm"), L"<not listed>");
}
