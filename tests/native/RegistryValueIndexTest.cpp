#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakePlatform.h"
#include "htmlhelp/RegistryAccess.h"
#include "htmlhelp/RegistryValueIndex.h"

namespace morvel::htmlhelp {
namespace {

constexpr char ListKey[] = "Software\\Microsoft\\Windows\\HTML Help";
constexpr char16_t ListKeyW[] = u"Software\\Microsoft\\Windows\\HTML Help";
const std::string SoftHyphen = "\xC2\xAD";  // UTF-8, as the fake takes names

class RegistryValueIndexTest : public ::testing::Test {
protected:
    FakePlatform fake;
    RegistryAccess access{fake};
    RegistryValueIndex index{fake, access, HKEY_LOCAL_MACHINE_, ListKeyW};

    void SetUp() override { fake.AddKey(HKEY_LOCAL_MACHINE_, ListKey); }

    // The index must give, name for name, what one enumeration of the key gives.
    void ExpectSameAnswers(const std::vector<std::u16string>& names)
    {
        for (const auto& name : names) {
            const RegistryValueRecord expected = access.GetRegistryValue(u"HKLM", ListKeyW, name);
            const RegistryValueRecord actual = index.GetRegistryValue(name);
            EXPECT_EQ(actual.ValueName, expected.ValueName) << utf8(name);
            EXPECT_EQ(actual.ValueLine, expected.ValueLine) << utf8(name);
        }
    }
    // Another writer: its own handle on the list, as another program would have.
    void Write(const std::string& name, const std::string& folder, std::uint32_t type = REG_SZ_)
    {
        RegKey other = 0;
        ASSERT_EQ(fake.RegCreateKeyEx(HKEY_LOCAL_MACHINE_, ansiText(ListKey), KEY_SET_VALUE_, other), ERROR_SUCCESS_);
        const PlatformText wideFolder = PlatformText::wide(fromUtf8(folder));
        ASSERT_EQ(fake.RegSetValueEx(other, PlatformText::wide(fromUtf8(name)), type,
                                     RegistryAccess::textValueData(wideFolder)),
                  ERROR_SUCCESS_);
        fake.RegCloseKey(other);
    }
    void Delete(const std::string& name)
    {
        RegKey other = 0;
        ASSERT_EQ(fake.RegOpenKeyEx(HKEY_LOCAL_MACHINE_, ansiText(ListKey), KEY_SET_VALUE_, other), ERROR_SUCCESS_);
        ASSERT_EQ(fake.RegDeleteValue(other, PlatformText::wide(fromUtf8(name))), ERROR_SUCCESS_);
        fake.RegCloseKey(other);
    }
    std::u16string Folder(const std::u16string& name)
    {
        return RegistryAccess::dataOfLine(index.GetRegistryValue(name));
    }
};

TEST_F(RegistryValueIndexTest, AnswersAsTheEnumerationOnATrickyList)
{
    // A non-text value that the comparison takes for a text one listed after it; two names
    // the comparison cannot tell apart (the first wins); an ignorable soft hyphen; letters
    // beyond ASCII; the unnamed value; a name too long for the enumeration's buffer;
    // expandable data; data without a NUL.
    fake.SetDword(HKEY_LOCAL_MACHINE_, ListKey, "Typed.chm", 7)
        .ListHelpFile("Typ" + SoftHyphen + "ed.chm", "C:\\Typed\\")
        .ListHelpFile("First.chm", "C:\\First\\")
        .ListHelpFile("Fir" + SoftHyphen + "st.chm", "C:\\Second\\")
        .ListHelpFile("Soft" + SoftHyphen + "Hyphen.chm", "C:\\Soft\\")
        .ListHelpFile("Caf\xC3\xA9.chm", "C:\\Cafe\\")
        .ListHelpFile("", "C:\\Unnamed\\")
        .ListHelpFile(std::string(RegistryAccess::NameBufferLength, 'L') + ".chm", "C:\\Long\\")
        .ListHelpFile("After Long.chm", "C:\\After\\")
        .SetExpandString(HKEY_LOCAL_MACHINE_, ListKey, "Expand.chm", "%SystemRoot%\\Help\\")
        .SetString(HKEY_LOCAL_MACHINE_, ListKey, "NoNul.chm", "C:\\NoNul\\", false)
        .ListHelpFile("co-op.chm", "C:\\Coop\\");
    const std::vector<std::u16string> names = {
        u"Typed.chm",      u"TYPED.CHM",
        u"First.chm",      u"fir\u00ADst.CHM",
        u"SoftHyphen.chm", u"\u00ADsofthyphen.chm",
        u"Caf\u00E9.chm",  u"CAF\u00E9.CHM",
        u"Caf\u00C9.chm",  u"",
        u"after long.chm", std::u16string(RegistryAccess::NameBufferLength, u'L') + u".chm",
        u"Expand.chm",     u"NONUL.chm",
        u"coop.chm",       u"CO-OP.chm",
        u"Absent.chm",     u"Typed.ch",
        u"Typed.chmx"};
    ExpectSameAnswers(names);
    EXPECT_TRUE(index.kept());
    EXPECT_EQ(Folder(u"typed.chm"), u"C:\\Typed\\");
    EXPECT_EQ(Folder(u"FIRST.chm"), u"C:\\First\\");
    EXPECT_EQ(Folder(u"Expand.chm"), u"C:\\Windows\\Help\\");

    // Asked again, from the kept index: the same answers, and no value is enumerated.
    std::vector<RegistryValueRecord> expected;
    for (const auto& name : names) expected.push_back(access.GetRegistryValue(u"HKLM", ListKeyW, name));
    const std::size_t enumerated = fake.CallCount("RegEnumValue");
    for (std::size_t i = 0; i < names.size(); ++i) {
        const RegistryValueRecord actual = index.GetRegistryValue(names[i]);
        EXPECT_EQ(actual.ValueName, expected[i].ValueName);
        EXPECT_EQ(actual.ValueLine, expected[i].ValueLine);
    }
    EXPECT_EQ(fake.CallCount("RegEnumValue"), enumerated);
}

TEST_F(RegistryValueIndexTest, ALookupCostsTheSameForTenOrAThousandFiles)
{
    auto callsPerLookup = [&](int files) {
        for (int i = 0; i < files; ++i) fake.ListHelpFile("File" + std::to_string(i) + ".chm", "C:\\Help\\");
        index.GetRegistryValue(u"Absent.chm");  // builds the index
        const std::size_t before = fake.injectableCalls;
        EXPECT_EQ(Folder(u"file7.CHM"), u"C:\\Help\\");
        EXPECT_TRUE(index.GetRegistryValue(u"Absent.chm").ValueName.empty());
        return fake.injectableCalls - before;
    };
    const std::size_t few = callsPerLookup(10);
    EXPECT_EQ(callsPerLookup(1000), few);
    EXPECT_EQ(few, 3u);  // the key asked twice whether it changed, and one value read
}

TEST_F(RegistryValueIndexTest, ChangesThroughAnotherHandleShowAtTheNextLookup)
{
    fake.ListHelpFile("Library.chm", "C:\\Help\\").ListHelpFile("Other.chm", "C:\\Other\\");
    EXPECT_EQ(Folder(u"Library.chm"), u"C:\\Help\\");
    ASSERT_TRUE(index.kept());

    Write("New.chm", "C:\\New\\");  // a value more
    EXPECT_EQ(Folder(u"new.chm"), u"C:\\New\\");
    Write("Library.chm", "D:\\Moved\\");  // as many values as before
    EXPECT_EQ(Folder(u"Library.chm"), u"D:\\Moved\\");
    Write("Library.chm", "D:\\Moved\\", REG_DWORD_);  // no longer text
    EXPECT_TRUE(index.GetRegistryValue(u"Library.chm").ValueName.empty());
    Delete("Other.chm");
    Write("Another.chm", "C:\\Another\\");  // one out, one in
    EXPECT_TRUE(index.GetRegistryValue(u"Other.chm").ValueName.empty());
    EXPECT_EQ(Folder(u"Another.chm"), u"C:\\Another\\");

    // The key deleted and made again: the kept handle is on the old key.
    fake.DeleteKey(HKEY_LOCAL_MACHINE_, ListKey).ListHelpFile("Fresh.chm", "C:\\Fresh\\");
    EXPECT_EQ(Folder(u"Fresh.chm"), u"C:\\Fresh\\");
    EXPECT_TRUE(index.GetRegistryValue(u"New.chm").ValueName.empty());
    fake.DeleteKey(HKEY_LOCAL_MACHINE_, ListKey);
    EXPECT_TRUE(index.GetRegistryValue(u"Fresh.chm").ValueName.empty());
    EXPECT_FALSE(index.kept());
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
}

TEST_F(RegistryValueIndexTest, AKeyWrittenWithinTheClocksTickIsNotTrusted)
{
    // A clock that does not move: a write after the index was made leaves the key's last
    // write time and value count as they were.
    fake.clockStep = 0;
    fake.ListHelpFile("Library.chm", "C:\\Help\\");
    EXPECT_EQ(Folder(u"Library.chm"), u"C:\\Help\\");
    EXPECT_FALSE(index.kept());
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
    Write("Library.chm", "D:\\Moved\\");
    EXPECT_EQ(Folder(u"Library.chm"), u"D:\\Moved\\");

    // Once the key has been still for long enough, the index is kept.
    fake.clockStep = RegistryValueIndex::SettleTicks;
    EXPECT_EQ(Folder(u"Library.chm"), u"D:\\Moved\\");
    EXPECT_TRUE(index.kept());
}

TEST_F(RegistryValueIndexTest, FailuresAnswerAsTheEnumerationWouldAndAreNotKept)
{
    fake.ListHelpFile("A.chm", "C:\\A\\").ListHelpFile("B.chm", "C:\\B\\").ListHelpFile("C.chm", "C:\\C\\");
    // Open, key state, then the enumeration: the second value fails.
    fake.injectAt = 3;
    EXPECT_EQ(Folder(u"A.chm"), u"C:\\A\\");
    EXPECT_EQ(fake.injectedInto, "RegEnumValue");
    EXPECT_FALSE(index.kept());
    EXPECT_EQ(Folder(u"C.chm"), u"C:\\C\\");
    EXPECT_TRUE(index.kept());

    // An enumeration that wants more room for ever ends, for both, and is not kept.
    index.invalidate();
    fake.failWith["RegEnumValue"] = ERROR_MORE_DATA_;
    ExpectSameAnswers({u"A.chm"});
    EXPECT_FALSE(index.kept());
    fake.failWith.clear();
    ExpectSameAnswers({u"A.chm"});
    EXPECT_EQ(Folder(u"A.chm"), u"C:\\A\\");

    // No list at all.
    fake.DeleteKey(HKEY_LOCAL_MACHINE_, ListKey);
    ExpectSameAnswers({u"A.chm", u""});
    EXPECT_EQ(fake.OpenKeyCount(), 0u);
}

}  // namespace
}  // namespace morvel::htmlhelp
