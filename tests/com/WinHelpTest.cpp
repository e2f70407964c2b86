// clsKvHlpfHlpA through real COM. WinHelpA and WinHelpW are taken over in Morvel10.dll's
// import table, so every call the class makes is recorded exactly as the platform would
// receive it; caught errors go to the companion stand-in, whose log tells what was reported.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "library/Published.h"
#include "tests/support/ComTestSupport.h"

using namespace comtest;

namespace {

constexpr HRESULT automationError(int number) { return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number); }
constexpr DWORD lastErrorOfTheRecorder = 1234;

// A text as the entry point received it: ANSI bytes from WinHelpA, UTF-16 from WinHelpW.
using Text = std::variant<std::string, std::wstring>;

struct WinHelpCall {
    HWND window;
    std::optional<Text> file;
    UINT command;
    ULONG_PTR data;
    Text text;  // the text at `data` when a text was expected
};

std::vector<WinHelpCall> g_calls;
bool g_dataIsText = false;
BOOL g_answer = TRUE;

template <class Char>
BOOL WINAPI recordWinHelp(HWND window, const Char* file, UINT command, ULONG_PTR data)
{
    using String = std::basic_string<Char>;
    WinHelpCall c{window, file ? std::optional<Text>(String(file)) : std::nullopt, command, data, {}};
    if (g_dataIsText && data) c.text = String(reinterpret_cast<const Char*>(data));
    g_calls.push_back(c);
    SetLastError(lastErrorOfTheRecorder);
    return g_answer;
}

class WinHelpObject : public testing::Test {
protected:
    void SetUp() override
    {
        // Keep the module loaded for the whole test, so the redirected entry stays ours.
        module_ = LoadLibraryW(env(L"MORVEL_DLL").c_str());
        ASSERT_TRUE(module_);
        hookA_.emplace(module_, "user32.dll", "WinHelpA", reinterpret_cast<void*>(&recordWinHelp<char>));
        hookW_.emplace(module_, "user32.dll", "WinHelpW", reinterpret_cast<void*>(&recordWinHelp<wchar_t>));
        ASSERT_TRUE(hookA_->installed() && hookW_->installed());
        g_calls.clear();
        g_dataIsText = false;
        g_answer = TRUE;
        object_ = create(L"Morvel10.clsKvHlpfHlpA");
        ASSERT_TRUE(object_);
        help_ = object_.as<_clsKvHlpfHlpA>();
    }
    void TearDown() override
    {
        help_.reset();
        object_.reset();
        hookA_.reset();
        hookW_.reset();
        if (module_) FreeLibrary(module_);
    }

    // WinHelpHlpf through the function table; the HRESULT must be S_OK.
    LONG winHelp(LONG window, LONG command)
    {
        auto cmd = static_cast<WinHelpCmdHlpfConstants>(command);
        LONG result = -7;
        EXPECT_EQ(help_->WinHelpHlpf(&window, &cmd, &result), S_OK);
        return result;
    }
    void setAnyData(VARIANT value)
    {
        ASSERT_EQ(help_->put_AnyData(value), S_OK);
        VariantClear(&value);
    }

    Apartment apartment_;
    HMODULE module_ = nullptr;
    std::optional<ImportHook> hookA_, hookW_;
    ComPtr<IDispatch> object_;
    ComPtr<_clsKvHlpfHlpA> help_;
};

VARIANT vR8(double v)
{
    return variantOf(VT_R8, [v](VARIANT& x) { V_R8(&x) = v; });
}
VARIANT vOf(VARTYPE type)
{
    return variantOf(type, [](VARIANT&) {});
}

}  // namespace

TEST_F(WinHelpObject, AFreshObjectQuitsWithANullFileAndNoData)
{
    BSTR file = reinterpret_cast<BSTR>(1);
    ASSERT_EQ(help_->get_FileName(&file), S_OK);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(winHelp(0x00010203, 0x0002), TRUE);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].window, reinterpret_cast<HWND>(0x00010203));
    EXPECT_FALSE(g_calls[0].file.has_value());
    EXPECT_EQ(g_calls[0].command, 2u);
    EXPECT_EQ(g_calls[0].data, 0u);
}

TEST_F(WinHelpObject, EveryNumericAnyDataReachesWinHelpAsA32BitValue)
{
    VARIANT truth = vBool(VARIANT_TRUE), byte = vOf(VT_UI1), currency = vOf(VT_CY), error = vOf(VT_ERROR),
            single = vOf(VT_R4), date = vOf(VT_DATE), byRef = vOf(VT_BYREF | VT_I4);
    V_UI1(&byte) = 200;
    V_CY(&currency).int64 = 35000;  // 3.5
    V_ERROR(&error) = DISP_E_PARAMNOTFOUND;
    V_R4(&single) = -1.5f;
    V_DATE(&date) = 2.5;
    LONG referenced = 4711;
    V_I4REF(&byRef) = &referenced;
    ProbeObject::State probeState;
    IDispatch* withValue = ProbeObject::create(probeState, 77, true);
    VARIANT object = vOf(VT_DISPATCH);
    V_DISPATCH(&object) = withValue;  // the variant takes our reference

    struct Case {
        const char* name;
        VARIANT value;
        ULONG_PTR expected;
    } cases[] = {
        {"Empty", vOf(VT_EMPTY), 0},
        {"I2 -1", vI2(-1), 0xFFFFFFFFu},
        {"I2 32767", vI2(32767), 32767},
        {"I4 12345", vI4(12345), 12345},
        {"I4 min", vI4(LONG(0x80000000)), 0x80000000u},
        {"true", truth, 0xFFFFFFFFu},
        {"false", vBool(VARIANT_FALSE), 0},
        {"2.5 to even", vR8(2.5), 2},
        {"3.5 to even", vR8(3.5), 4},
        {"-2.5 to even", vR8(-2.5), 0xFFFFFFFEu},  // zero-extended on x64, as any DWORD
        {"R4 -1.5", single, 0xFFFFFFFEu},
        {"currency 3.5", currency, 4},
        {"date 2.5", date, 2},
        {"byte", byte, 200},
        {"error value", error, 0x80020004u},
        {"object's default value", object, 77},
        {"by reference", byRef, 4711},
    };
    for (Case& c : cases) {
        g_calls.clear();
        ASSERT_EQ(help_->put_AnyData(c.value), S_OK) << c.name;
        VariantClear(&c.value);
        EXPECT_EQ(winHelp(0, 0x0001), TRUE) << c.name;
        ASSERT_EQ(g_calls.size(), 1u) << c.name;
        EXPECT_EQ(g_calls[0].data, c.expected) << c.name;
    }
    // The by-reference value was copied when assigned, not read through the pointer later.
    referenced = 1;
    setAnyData(vOf(VT_EMPTY));
    EXPECT_TRUE(probeState.destroyed);
}

TEST_F(WinHelpObject, TextAnyDataIsPassedAsANulTerminatedAnsiBuffer)
{
    g_dataIsText = true;
    struct Case {
        const wchar_t* text;
        Text received;
    } cases[] = {
        {L"Contents", "Contents"},
        {L"12", "12"},                          // a text stays a text, even when it reads as a number
        {L"K\u00e4se \u20ac", "K\xe4se \x80"},  // the system ANSI code page (1252)
        {L"\u65e5\u672c", L"\u65e5\u672c"},     // characters it lacks: WinHelpW, as they are
        {L"\u0100", L"\u0100"},                 // no best fit either (A macron is no A)
        {L"", ""},
    };
    for (const Case& c : cases) {
        g_calls.clear();
        setAnyData(vStr(c.text));
        EXPECT_EQ(winHelp(0, 0x0101), TRUE);
        ASSERT_EQ(g_calls.size(), 1u);
        EXPECT_NE(g_calls[0].data, 0u);
        EXPECT_EQ(g_calls[0].text, c.received) << testing::PrintToString(std::wstring(c.text));
    }
    // A null BSTR is the empty text too, not a null pointer.
    g_calls.clear();
    VARIANT nullText = vOf(VT_BSTR);
    setAnyData(nullText);
    winHelp(0, 0x0101);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_NE(g_calls[0].data, 0u);
    EXPECT_EQ(g_calls[0].text, Text(""));
}

TEST_F(WinHelpObject, AWideFileTakesTheTextArgumentAlong)
{
    // One call, one form: the file needs WinHelpW, so the text that WinHelpA could take goes wide too.
    g_dataIsText = true;
    Bstr file(L"C:\\Hilfe\\\u65e5\u672c.hlp");
    ASSERT_EQ(help_->put_FileName(file.get()), S_OK);
    setAnyData(vStr(L"Contents"));
    winHelp(0, 0x0101);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].file, Text(L"C:\\Hilfe\\\u65e5\u672c.hlp"));
    EXPECT_EQ(g_calls[0].text, Text(L"Contents"));
}

TEST_F(WinHelpObject, FileNameNullAndEmptyStayDifferent)
{
    struct Case {
        const wchar_t* assigned;  // null: a null BSTR
        std::optional<Text> expected;
    } cases[] = {{L"", std::string()},
                 {L"C:\\Help\\Library.hlp", std::string("C:\\Help\\Library.hlp")},
                 {nullptr, std::nullopt},
                 {L"Library.hlp", std::string("Library.hlp")}};
    for (const Case& c : cases) {
        g_calls.clear();
        Bstr value(c.assigned);
        ASSERT_EQ(help_->put_FileName(value.get()), S_OK);
        BSTR back = nullptr;
        ASSERT_EQ(help_->get_FileName(&back), S_OK);
        EXPECT_EQ(back == nullptr, c.assigned == nullptr);
        SysFreeString(back);
        winHelp(0, 0x000B);
        ASSERT_EQ(g_calls.size(), 1u);
        EXPECT_EQ(g_calls[0].file, c.expected);
    }
}

TEST_F(WinHelpObject, TheCommandAndTheResultPassUnchanged)
{
    for (LONG command : {0x000BL, 0L, 0x8000L, 0x12345678L, -1L}) {
        g_calls.clear();
        winHelp(0x2A, command);
        ASSERT_EQ(g_calls.size(), 1u);
        EXPECT_EQ(g_calls[0].command, static_cast<UINT>(command));
    }
    // WinHelpA's 0 is no error: no report, the result is 0.
    CompanionLog log;
    g_answer = FALSE;
    EXPECT_EQ(winHelp(0, 0x0003), 0);
    g_answer = 7;
    EXPECT_EQ(winHelp(0, 0x0003), 7);
    EXPECT_TRUE(log.calls().empty());

    // Late bound, as a script passes its variables.
    g_calls.clear();
    VARIANT window = vI4(99), command = vI4(0x000B);
    CallResult r = call(object_.get(), L"WinHelpHlpf", DISPATCH_METHOD, {vRef(&window), vRef(&command)});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(V_I4(r.value.get()), 7);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].command, 0x000Bu);
    EXPECT_EQ(g_calls[0].window, reinterpret_cast<HWND>(99));
}

TEST_F(WinHelpObject, DataThatCannotConvertIsReportedAndWinHelpIsNotCalled)
{
    CompanionLog log;
    MessageBoxRecorder boxes;
    // A successful call first, so the report can show the last-error code it left behind.
    winHelp(0, 0x0001);
    ASSERT_EQ(g_calls.size(), 1u);

    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
    VARIANT list = vOf(VT_ARRAY | VT_I4);
    V_ARRAY(&list) = array;
    ProbeObject::State probeState;
    VARIANT noValue = vOf(VT_DISPATCH);
    V_DISPATCH(&noValue) = ProbeObject::create(probeState);
    struct Case {
        const char* name;
        VARIANT value;
        const wchar_t* number;
        const wchar_t* description;
    } cases[] = {
        {"Null", vOf(VT_NULL), L"94", L"Invalid use of Null"},
        {"too large", vR8(1e10), L"6", L"Overflow"},
        {"array", list, L"13", L"Type mismatch"},
        {"object without a value", noValue, L"13", L"Type mismatch"},
        {"Nothing", vOf(VT_DISPATCH), L"91", L"Object variable or With block variable not set"},
    };
    for (Case& c : cases) {
        g_calls.clear();
        log.clear();
        boxes.clear();
        ASSERT_EQ(help_->put_AnyData(c.value), S_OK);
        VariantClear(&c.value);
        EXPECT_EQ(winHelp(0, 0x0001), 0) << c.name;
        EXPECT_TRUE(g_calls.empty()) << c.name;

        const auto calls = log.calls();
        ASSERT_EQ(calls.size(), 1u) << c.name;
        ASSERT_EQ(calls[0].size(), 9u);
        EXPECT_EQ(calls[0][0], L"ErrorHandlerMessageKv");
        EXPECT_EQ(calls[0][1].rfind(L"4009 {Title=\"Morvel10\";", 0), 0u);
        EXPECT_EQ(calls[0][2], std::wstring(L"4009 {Number=") + c.number + L";Source=\"Morvel10\";Description=\"" +
                                   c.description + L"\";HelpFile=\"\";HelpContext=0;LastDllError=" +
                                   std::to_wstring(lastErrorOfTheRecorder) + L"}")
            << c.name;
        EXPECT_EQ(calls[0][3], L"4008 \"\"");
        EXPECT_EQ(calls[0][4], L"4008 \"czHlpfHLP.WinHelpHlpf\"");
        EXPECT_EQ(calls[0][5], L"4003 0");
        EXPECT_EQ(calls[0][6], L"4008 \"\"");
        EXPECT_EQ(calls[0][7], L"4003 0");
        EXPECT_EQ(calls[0][8], L"000a 80020004");
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, std::wstring(L"Error ") + c.number + L": " + c.description +
                                             L"\r\n\r\nSource: czHlpfHLP.WinHelpHlpf");
    }
    EXPECT_TRUE(probeState.destroyed);

    // AnyData itself is left as assigned.
    setAnyData(vOf(VT_NULL));
    VARIANT back;
    VariantInit(&back);
    ASSERT_EQ(help_->get_AnyData(&back), S_OK);
    EXPECT_EQ(V_VT(&back), VT_NULL);
}

TEST_F(WinHelpObject, AFailedReportFailsTheCall)
{
    CompanionClassesRemoved removed({L"Ostrel10.clsKvorErrorHandlerA"});
    setAnyData(vOf(VT_NULL));
    LONG window = 0;
    auto command = static_cast<WinHelpCmdHlpfConstants>(1);
    LONG result = -1;
    EXPECT_EQ(help_->WinHelpHlpf(&window, &command, &result), automationError(429));
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(help_->WinHelpHlpf(nullptr, &command, &result), E_POINTER);
    EXPECT_EQ(help_->WinHelpHlpf(&window, &command, nullptr), E_POINTER);
}

TEST_F(WinHelpObject, AnyDataKeepsTheValueNotTheCallersVariable)
{
    // A script assigns a variable by reference; the property must copy its value.
    VARIANT variable = vI4(5);
    CallResult r = call(object_.get(), L"AnyData", DISPATCH_PROPERTYPUT, {vRef(&variable)});
    ASSERT_EQ(r.hr, S_OK);
    V_I4(&variable) = 6;
    Variant back = get(object_.get(), L"AnyData");
    EXPECT_EQ(V_VT(back.get()), VT_I4);
    EXPECT_EQ(V_I4(back.get()), 5);
    winHelp(0, 1);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].data, 5u);
    EXPECT_EQ(help_->get_AnyData(nullptr), E_POINTER);

    // A reference to nothing is refused, and the value before it stays.
    for (VARTYPE type : {VT_BYREF | VT_I4, VT_BYREF | VT_VARIANT, VT_BYREF | VT_BSTR})
        EXPECT_EQ(help_->put_AnyData(vOf(type)), E_INVALIDARG) << type;
    Variant still = get(object_.get(), L"AnyData");
    EXPECT_EQ(V_I4(still.get()), 5);
}

TEST_F(WinHelpObject, ContextHelpIdsRoundTripOnRealWindowsAndMenus)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"context help", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_TRUE(window);
    HMENU menu = CreateMenu();
    ASSERT_TRUE(menu);
    LONG w = static_cast<LONG>(reinterpret_cast<ULONG_PTR>(window));
    LONG m = static_cast<LONG>(reinterpret_cast<ULONG_PTR>(menu));
    LONG result = -1, id = 500;

    EXPECT_EQ(help_->GetWindowContextHelpIdHlpf(&w, &result), S_OK);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(help_->SetWindowContextHelpIdHlpf(&w, &id, &result), S_OK);
    EXPECT_NE(result, 0);
    EXPECT_EQ(help_->GetWindowContextHelpIdHlpf(&w, &result), S_OK);
    EXPECT_EQ(result, 500);
    EXPECT_EQ(GetWindowContextHelpId(window), 500u);

    id = 77;
    EXPECT_EQ(help_->SetMenuContextHelpIdHlpf(&m, &id, &result), S_OK);
    EXPECT_NE(result, 0);
    EXPECT_EQ(help_->GetMenuContextHelpIdHlpf(&m, &result), S_OK);
    EXPECT_EQ(result, 77);

    // Late bound as well, with the published names.
    VARIANT handle = vI4(w);
    Variant got = get(object_.get(), L"GetWindowContextHelpIdHlpf", {vRef(&handle)});
    EXPECT_EQ(V_I4(got.get()), 500);

    DestroyWindow(window);
    DestroyMenu(menu);

    // Invalid handles are no error: the platform's 0 is the answer.
    for (LONG invalid : {w, m, 0L, 0x7FFFFFF0L}) {
        result = -1;
        id = 500;
        EXPECT_EQ(help_->GetWindowContextHelpIdHlpf(&invalid, &result), S_OK);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(help_->SetWindowContextHelpIdHlpf(&invalid, &id, &result), S_OK);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(help_->GetMenuContextHelpIdHlpf(&invalid, &result), S_OK);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(help_->SetMenuContextHelpIdHlpf(&invalid, &id, &result), S_OK);
        EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(help_->GetWindowContextHelpIdHlpf(nullptr, &result), E_POINTER);
    EXPECT_EQ(help_->SetMenuContextHelpIdHlpf(&m, nullptr, &result), E_POINTER);
}

TEST_F(WinHelpObject, AReportShowsTheLastErrorTheHtmlHelpClassLeft)
{
    // Err.LastDllError is one per thread: whichever class made the most recent platform
    // call sets it, and the HTML Help class captures after its calls as WinHelp does.
    CompanionLog log;
    MessageBoxRecorder boxes;
    winHelp(0, 0x0001);
    ComPtr<IDispatch> htmlObject = create(L"Morvel10.clsKvHlpfHtmlA");
    ASSERT_TRUE(htmlObject);
    ComPtr<_clsKvHlpfHtmlA> html = htmlObject.as<_clsKvHlpfHtmlA>();
    ASSERT_TRUE(html);
    // The version query succeeds and leaves the thread's code as it found it.
    constexpr DWORD codeBeforeTheQuery = 4321;
    LONG version = 0;
    SetLastError(codeBeforeTheQuery);
    ASSERT_EQ(html->GetWindowsVersion(&version), S_OK);

    setAnyData(vOf(VT_NULL));
    EXPECT_EQ(winHelp(0, 0x0001), 0);
    const auto calls = log.calls();
    ASSERT_EQ(calls.size(), 1u);
    ASSERT_EQ(calls[0].size(), 9u);
    EXPECT_NE(calls[0][2].find(L";LastDllError=" + std::to_wstring(codeBeforeTheQuery) + L"}"), std::wstring::npos)
        << calls[0][2];
}
