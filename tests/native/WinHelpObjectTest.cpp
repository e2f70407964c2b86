#include <gtest/gtest.h>

#include <new>

#include "FakeAnsi.h"
#include "FakeAnyData.h"
#include "FakeWinHelpPort.h"
#include "winhelp/WinHelpObject.h"

namespace morvel::winhelp {
namespace {

constexpr std::uint16_t vtEmpty = 0, vtI2 = 2, vtI4 = 3, vtR8 = 5, vtBstr = 8, vtBool = 11, vtUi1 = 17;

FakeAnyData number(std::uint16_t type, std::int32_t value)
{
    FakeAnyData data;
    data.type = type;
    data.i2 = static_cast<std::int16_t>(value);
    data.i4 = value;
    return data;
}

FakeAnyData text(Text value)
{
    FakeAnyData data;
    data.type = vtBstr;
    data.bstr = std::move(value);
    return data;
}

FakeAnyData coerced(std::uint16_t type, std::function<std::int32_t()> coerce)
{
    FakeAnyData data;
    data.type = type;
    data.coerce = std::move(coerce);
    return data;
}

using Reads = std::vector<std::string>;

TEST(WinHelpObject, EachKindOfAnyDataReachesWinHelpAAsItsTypeSays)
{
    struct Case {
        const char* name;
        FakeAnyData data;
        WinHelpData expected;
        Reads reads;
    } cases[] = {
        {"I2 -1 is sign-extended", number(vtI2, -1), std::int32_t{-1}, {"I2"}},
        {"I2 32767", number(vtI2, 32767), std::int32_t{32767}, {"I2"}},
        {"I4 min", number(vtI4, INT32_MIN), std::int32_t{INT32_MIN}, {"I4"}},
        {"a text", text(u"Contents"), ansiText("Contents"), {"Bstr"}},
        {"a text that reads as a number stays a text", text(u"12"), ansiText("12"), {"Bstr"}},
        {"a text in ANSI", text(u"K\u00e4se"), ansiText("K\xe4se"), {"Bstr"}},
        {"a text the code page cannot spell",
         text(u"K\u00e4se \u65e5"),
         PlatformText::wide(u"K\u00e4se \u65e5"),
         {"Bstr"}},
        {"a null BSTR is the empty text", text(std::nullopt), ansiText(""), {"Bstr"}},
        {"Empty is coerced", coerced(vtEmpty, [] { return 0; }), std::int32_t{0}, {"coerceToInt32"}},
        {"a Boolean is coerced", coerced(vtBool, [] { return -1; }), std::int32_t{-1}, {"coerceToInt32"}},
        {"a double is coerced", coerced(vtR8, [] { return 2; }), std::int32_t{2}, {"coerceToInt32"}},
        {"a byte is coerced", coerced(vtUi1, [] { return 200; }), std::int32_t{200}, {"coerceToInt32"}},
    };
    for (Case& c : cases) {
        FakeWinHelpPort fake;
        WinHelpObject object{fake};
        EXPECT_EQ(object.WinHelpHlpf(0, 1, c.data), 1) << c.name;
        ASSERT_EQ(fake.winHelpCalls.size(), 1u) << c.name;
        EXPECT_EQ(fake.winHelpCalls[0].data, c.expected) << c.name;
        EXPECT_EQ(c.data.reads, c.reads) << c.name;
        EXPECT_TRUE(fake.reports.empty()) << c.name;
    }
}

TEST(WinHelpObject, FileWindowCommandAndResultPassUnchanged)
{
    FakeWinHelpPort fake;
    WinHelpObject object{fake};
    const FakeAnyData data;

    // A fresh object has no file at all: a null pointer, not an empty name.
    object.WinHelpHlpf(0x00010203, 2, data);
    ASSERT_EQ(fake.winHelpCalls.size(), 1u);
    EXPECT_FALSE(fake.winHelpCalls[0].file.has_value());
    EXPECT_EQ(fake.winHelpCalls[0].window, 0x00010203u);
    EXPECT_EQ(fake.winHelpCalls[0].command, 2u);

    struct Case {
        Text fileName;
        std::optional<PlatformText> file;
    } files[] = {{u"", ansiText("")},
                 {u"C:\\Help\\Library.hlp", ansiText("C:\\Help\\Library.hlp")},
                 {u"C:\\\u65e5.hlp", PlatformText::wide(u"C:\\\u65e5.hlp")},
                 {std::nullopt, std::nullopt}};
    for (const Case& c : files) {
        fake.winHelpCalls.clear();
        object.FileName = c.fileName;
        object.WinHelpHlpf(0, 0x000B, data);
        ASSERT_EQ(fake.winHelpCalls.size(), 1u);
        EXPECT_EQ(fake.winHelpCalls[0].file, c.file);
    }
    // One call takes one form: a key the code page cannot spell takes the file along.
    fake.winHelpCalls.clear();
    object.FileName = u"C:\\Help\\Library.hlp";
    object.WinHelpHlpf(0, 0x0101, text(u"\u65e5"));
    ASSERT_EQ(fake.winHelpCalls.size(), 1u);
    EXPECT_EQ(fake.winHelpCalls[0].file, PlatformText::wide(u"C:\\Help\\Library.hlp"));
    EXPECT_EQ(fake.calls.back(), "WinHelpW");

    for (std::uint32_t value : {0u, 0x8000u, 0x12345678u, 0xFFFFFFFFu}) {
        fake.winHelpCalls.clear();
        object.WinHelpHlpf(value, value, data);
        ASSERT_EQ(fake.winHelpCalls.size(), 1u);
        EXPECT_EQ(fake.winHelpCalls[0].window, value);
        EXPECT_EQ(fake.winHelpCalls[0].command, value);
    }

    // WinHelpA's 0 is no error of ours: nothing is reported.
    for (std::int32_t answer : {0, 7, -1}) {
        fake.winHelpResult = answer;
        EXPECT_EQ(object.WinHelpHlpf(0, 3, data), answer);
    }
    EXPECT_TRUE(fake.reports.empty());
}

TEST(WinHelpObject, DataThatDoesNotConvertIsReportedAndWinHelpAIsNotCalled)
{
    FakeWinHelpPort fake;
    fake.lastErrorAfter["WinHelpA"] = 1234;
    WinHelpObject object{fake};
    object.FileName = u"Library.hlp";
    // A call that works first: the report must show the code that call left behind, so
    // nothing may reach the platform before the data has converted.
    object.WinHelpHlpf(0, 1, FakeAnyData{});
    ASSERT_EQ(fake.winHelpCalls.size(), 1u);

    struct Case {
        const char* name;
        std::function<std::int32_t()> coerce;
        std::int32_t number;
        std::u16string description;
    } cases[] = {
        {"Null", []() -> std::int32_t { throw errors::invalidUseOfNull(); }, 94, u"Invalid use of Null"},
        {"too large", []() -> std::int32_t { throw errors::overflow(); }, 6, u"Overflow"},
        {"an array", []() -> std::int32_t { throw errors::typeMismatch(); }, 13, u"Type mismatch"},
        {"Nothing", []() -> std::int32_t { throw errors::objectNotSet(); }, 91,
         u"Object variable or With block variable not set"},
        {"no memory", []() -> std::int32_t { throw std::bad_alloc(); }, 7, u"Out of memory"},
    };
    for (Case& c : cases) {
        fake.calls.clear();
        fake.reports.clear();
        EXPECT_EQ(object.WinHelpHlpf(0, 1, coerced(vtR8, c.coerce)), 0) << c.name;
        EXPECT_TRUE(fake.calls.empty()) << c.name;
        ASSERT_EQ(fake.reports.size(), 1u) << c.name;
        const auto& report = fake.reports[0];
        EXPECT_EQ(report.error.number(), c.number) << c.name;
        EXPECT_EQ(report.error.description(), c.description) << c.name;
        // The error keeps no source of its own: the report names the library for it.
        EXPECT_EQ(report.error.source(), u"") << c.name;
        EXPECT_EQ(report.source, u"czHlpfHLP.WinHelpHlpf") << c.name;
        EXPECT_EQ(report.lastError, 1234u) << c.name;
    }
}

TEST(WinHelpObject, AReportThatFailsIsThrown)
{
    FakeWinHelpPort fake;
    fake.reportFailure = errors::cannotCreateObject();
    WinHelpObject object{fake};
    try {
        object.WinHelpHlpf(0, 1, coerced(vtR8, []() -> std::int32_t { throw errors::invalidUseOfNull(); }));
        ADD_FAILURE() << "the report's failure was swallowed";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), 429);
    }
    EXPECT_EQ(fake.reports.size(), 1u);
    EXPECT_TRUE(fake.winHelpCalls.empty());
}

TEST(WinHelpObject, ContextHelpIdsGoToTheRightHandleUnchanged)
{
    FakeWinHelpPort fake;
    fake.menus[0x10] = 0;
    fake.windows[0x20] = 0;
    WinHelpObject object{fake};

    EXPECT_NE(object.SetWindowContextHelpIdHlpf(0x20, 0x80000001u), 0);
    EXPECT_NE(object.SetMenuContextHelpIdHlpf(0x10, 77), 0);
    EXPECT_EQ(fake.windows[0x20], 0x80000001u);
    EXPECT_EQ(fake.menus[0x10], 77u);
    // An id above 0x7FFFFFFF comes back as the same 32 bits, negative.
    EXPECT_EQ(object.GetWindowContextHelpIdHlpf(0x20), static_cast<std::int32_t>(0x80000001u));
    EXPECT_EQ(object.GetMenuContextHelpIdHlpf(0x10), 77);

    // A menu is no window and a window no menu: the platform's 0 is the answer.
    EXPECT_EQ(object.GetMenuContextHelpIdHlpf(0x20), 0);
    EXPECT_EQ(object.GetWindowContextHelpIdHlpf(0x10), 0);
    EXPECT_EQ(object.SetMenuContextHelpIdHlpf(0x20, 5), 0);
    EXPECT_EQ(object.SetWindowContextHelpIdHlpf(0xFFFFFFFFu, 5), 0);
    EXPECT_EQ(fake.windows[0x20], 0x80000001u);
    EXPECT_TRUE(fake.reports.empty());
}

}  // namespace
}  // namespace morvel::winhelp
