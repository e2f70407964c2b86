// The display commands, HHClose and the popups through real COM, with the recording engine
// in the prefix's system folder (with-recorder.sh): every argument and record exactly as
// the engine receives them. The NoEngine suite runs separately with the engine switched
// off (WINEDLLOVERRIDES=hhctrl.ocx=).

#include <gtest/gtest.h>

#include "EngineLog.h"
#include "library/Published.h"
#include "tests/support/ComTestSupport.h"

using namespace comtest;
using namespace enginetest;
using hhrecord::quote;

namespace {

const wchar_t* displayCommands[] = {L"HHDisplayTopicURL", L"HHDisplayTopicID",  L"HHDisplaySearch", L"HHDisplayKeyword",
                                    L"HHDisplayIndex",    L"HHDisplayContents", L"HHDisplayALink"};
const char noFormText[] =
    "The HHDisplayContents method was called without a form being specified, while HHShowOnTop was set to True.";

struct HelpEngine : ::testing::Test {
    void SetUp() override
    {
        object = create(L"Morvel10.clsKvHlpfHtmlA");
        ASSERT_TRUE(object);
        html = object.as<_clsKvHlpfHtmlA>();
        ASSERT_TRUE(html);
        setText(L"CHMFile", wide(chm));
    }

    void setText(const wchar_t* name, const std::wstring& value) { put(object.get(), name, vStr(value.c_str())); }
    void setLong(const wchar_t* name, LONG value) { put(object.get(), name, vI4(value)); }
    void setBool(const wchar_t* name, VARIANT_BOOL value) { put(object.get(), name, vBool(value)); }
    std::wstring text(const wchar_t* name) { return str(get(object.get(), name).get()); }

    // A late-bound call with the window handle in a variable, as a script passes it.
    HRESULT withForm(const wchar_t* member, LONG form)
    {
        VARIANT variable = vI4(form);
        const HRESULT hr = call(object.get(), member, DISPATCH_METHOD, {vRef(&variable)}).hr;
        EXPECT_EQ(V_VT(&variable), VT_I4);
        EXPECT_EQ(V_I4(&variable), form) << "CallingForm is only read";
        return hr;
    }

    Apartment apartment;
    EngineLog log;
    MessageBoxRecorder boxes;
    const std::string chm = buildPath("help/Demo.chm");
    ComPtr<IDispatch> object;
    ComPtr<_clsKvHlpfHtmlA> html;
};

TEST_F(HelpEngine, EveryDisplayCommandAsTheEngineReceivesIt)
{
    setBool(L"HHShowOnTop", VARIANT_TRUE);
    setText(L"HHWindow", L" Main");
    setText(L"HHTopicURL", L"commands.htm");
    setLong(L"HHTopicID", 1002);
    setText(L"HHKeyword", L"commands");
    setText(L"HHALink", L"LinkA");
    setText(L"HHDefaultURL", L"intro.htm");
    setText(L"HHMsgText", L"");
    setText(L"HHMsgTitle", L"Not found");
    for (const wchar_t* member : displayCommands) EXPECT_EQ(withForm(member, 0x1234), S_OK) << member;

    const std::string withWindow = chm + "> Main";
    const std::string link = " pszUrl=\"intro.htm\" pszMsgText=null pszMsgTitle=\"Not found\" pszWindow=\" Main\" "
                             "fIndexOnFail=0}";
    EXPECT_EQ(
        log.take(),
        (std::vector<std::string>{
            call(0x1234, withWindow, 0x0000, "\"commands.htm\""),
            call(0x1234, withWindow, 0x000F, "1002"),
            call(0x1234, withWindow, 0x0003,
                 "fts{cbStruct=" + std::to_string(ftsQueryBytes) +
                     " fUniCodeStrings=0 pszSearchQuery=\"\" iProximity=0 fStemmedSearch=0 fTitleOnly=0 "
                     "fExecute=1 pszWindow=\"\"}"),
            call(0x1234, chm, 0x0000, "0"),
            call(0x1234, chm, 0x000D,
                 "aklink{cbStruct=" + std::to_string(akLinkBytes) + " fReserved=0 pszKeywords=\"commands\"" + link),
            call(0x1234, withWindow, 0x0002, "0"),
            call(0x1234, withWindow, 0x0001, "0"),
            call(0x1234, chm, 0x0013,
                 "aklink{cbStruct=" + std::to_string(akLinkBytes) + " fReserved=0 pszKeywords=\"LinkA\"" + link),
        }));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(text(L"HHMsgText"), L"");
    EXPECT_EQ(text(L"CHMFile"), wide(chm));
}

// A window handle arrives as the host's 32-bit number. On x64 the platform widens shared
// handles by sign extension; a zero-extended 0x80001234 would be a different window.
TEST_F(HelpEngine, WindowHandlesWidenBySignExtension)
{
    setBool(L"HHShowOnTop", VARIANT_TRUE);
    setLong(L"HHTopicID", 1002);
    const LONG high = static_cast<LONG>(0x80001234u);
    ASSERT_EQ(withForm(L"HHDisplayTopicID", high), S_OK);
    ASSERT_EQ(withForm(L"HHDisplayTopicID", 0x7FFFFFFF), S_OK);
    const std::uint64_t widened = win64 ? 0xFFFFFFFF80001234ull : 0x80001234ull;
    EXPECT_EQ(log.take(),
              (std::vector<std::string>{call(widened, chm, 0x000F, "1002"), call(0x7FFFFFFF, chm, 0x000F, "1002")}));
}

TEST_F(HelpEngine, OwnerFollowsShowOnTop)
{
    ASSERT_EQ(withForm(L"HHDisplayContents", 0x1234), S_OK);  // clear: 0, the form is not read
    setBool(L"HHShowOnTop", 1);                               // any non-zero value counts
    ASSERT_EQ(withForm(L"HHDisplayContents", 0x1234), S_OK);
    ASSERT_EQ(withForm(L"HHDisplayContents", 0), S_OK);  // a form of 0 is a form
    EXPECT_EQ(log.take(), (std::vector<std::string>{call(0, chm, 0x0001, "0"), call(0x1234, chm, 0x0001, "0"),
                                                    call(0, chm, 0x0001, "0")}));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(HelpEngine, NoFormWithShowOnTopIsTheUsageMessage)
{
    // Left out through the function table, and left out by a late-bound caller (Wine's
    // standard dispatch hands the member a null pointer, default value or not).
    setBool(L"HHShowOnTop", VARIANT_TRUE);
    EXPECT_EQ(html->HHDisplayContents(nullptr), S_OK);
    EXPECT_EQ(html->HHDisplayKeyword(nullptr), S_OK);
    EXPECT_EQ(call(object.get(), L"HHDisplaySearch", DISPATCH_METHOD).hr, S_OK);
    EXPECT_TRUE(log.take().empty());
    ASSERT_EQ(boxes.boxes().size(), 3u);
    for (const auto& box : boxes.boxes()) {
        EXPECT_EQ(box.caption, L"Corvane! Error");
        EXPECT_EQ(box.text, wide(noFormText));
        EXPECT_EQ(box.icon, L"hand");
    }

    setBool(L"HHShowOnTop", VARIANT_FALSE);
    EXPECT_EQ(html->HHDisplayIndex(nullptr), S_OK);
    EXPECT_EQ(log.take(), std::vector<std::string>{call(0, chm, 0x0002, "0")});
}

TEST_F(HelpEngine, TextsTheCodePageCannotSpellGoToHtmlHelpWAsTheyAre)
{
    // In code page 1252 e acute is exact; A macron has only a best fit, the CJK character nothing.
    setText(L"HHTopicURL", L"caf\u00E9.htm");
    ASSERT_EQ(withForm(L"HHDisplayTopicURL", 0), S_OK);
    setText(L"HHTopicURL", L"caf\u00E9 \u0100\u4E2D.htm");
    ASSERT_EQ(withForm(L"HHDisplayTopicURL", 0), S_OK);
    EXPECT_EQ(log.take(), (std::vector<std::string>{
                              call(0, chm, 0x0000, quote("caf\xE9.htm")),
                              "entry=HtmlHelpW " + call(0, chm, 0x0000, quote(L"caf\u00E9 \u0100\u4E2D.htm")),
                          }));
    EXPECT_EQ(text(L"HHTopicURL"), L"caf\u00E9 \u0100\u4E2D.htm");
}

TEST_F(HelpEngine, ChecksStopBeforeTheEngine)
{
    setText(L"CHMFile", L"Demo.hlp");
    ASSERT_EQ(withForm(L"HHDisplayContents", 0), S_OK);
    setText(L"CHMFile", wide(buildPath("help/Missing.chm")));
    ASSERT_EQ(withForm(L"HHDisplayIndex", 0), S_OK);
    EXPECT_TRUE(log.take().empty());
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].text, L"Demo.hlp is not a valid HTML Help file.");
    EXPECT_EQ(boxes.boxes()[1].text.rfind(L"The file " + wide(buildPath("help/Missing.chm")) + L" does not exist.", 0),
              0u);
}

TEST_F(HelpEngine, CloseNeedsNothingAndDefaultNamesComeFromOurFolder)
{
    Apartment a;
    ComPtr<IDispatch> fresh = create(L"Morvel10.clsKvHlpfHtmlA");
    ASSERT_EQ(call(fresh.get(), L"HHClose", DISPATCH_METHOD).hr, S_OK);
    ASSERT_EQ(call(object.get(), L"HHClose", DISPATCH_METHOD).hr, S_OK);
    EXPECT_EQ(log.take(), (std::vector<std::string>{call(0, nullptr, 0x0012, "0"), call(0, chm, 0x0012, "0")}));

    std::wstring dll = env(L"MORVEL_DLL");
    for (wchar_t& c : dll)
        if (c == L'/') c = L'\\';
    const std::wstring folder = dll.substr(0, dll.rfind(L'\\'));
    EXPECT_EQ(str(get(object.get(), L"HHSetHelpFile", {vI2(1)}).get()), folder + L"\\Library.chm");
    EXPECT_EQ(str(get(object.get(), L"HHSetHelpFile", {vI2(2)}).get()), L"Library.txt");
    EXPECT_EQ(str(get(object.get(), L"HHSetHelpFile", {vI2(3)}).get()), L"");
    EXPECT_EQ(text(L"CHMFile"), wide(chm));
}

TEST_F(HelpEngine, TextPopupAtTheCursorAndItsOneShotAppearance)
{
    SetCursorPos(200, 150);
    POINT at{};
    GetCursorPos(&at);
    setLong(L"HHPopupType", 4);
    setText(L"HHPopupText", L"Hello");
    setLong(L"HHPopupTextColor", 0x0000FF);
    setLong(L"HHPopupBackColor", 0xFFFF80);
    setText(L"HHPopupTextFont", L"Verdana");
    setText(L"HHPopupTextSize", L"9");
    setBool(L"HHPopupTextBold", VARIANT_TRUE);
    setBool(L"HHPopupTextItalic", 1);  // set, but not True
    setBool(L"HHPopupTextUnderline", VARIANT_TRUE);
    ASSERT_EQ(withForm(L"HHDisplayPopup", 0x4321), S_OK);
    ASSERT_EQ(withForm(L"HHDisplayPopup", 0x4321), S_OK);

    const std::string where = " pt=(" + std::to_string(at.x) + "," + std::to_string(at.y) + ")";
    const std::string head = "popup{cbStruct=" + std::to_string(popupBytes) +
                             " hinst=0x00000000 idString=0 pszText=\"Hello\"" + where;
    EXPECT_EQ(log.take(), (std::vector<std::string>{
                              call(0x4321, nullptr, 0x000E,
                                   head + " clrForeground=0x000000FF clrBackground=0x00FFFF80 "
                                          "rcMargins=(-1,-1,-1,-1) pszFont=\"Verdana, 9, ascii, Bold Underline\"}"),
                              call(0x4321, nullptr, 0x000E,
                                   head + " clrForeground=0x00000000 clrBackground=0x00000000 "
                                          "rcMargins=(-1,-1,-1,-1) pszFont=\"Arial, 10, ascii, \"}"),
                          }));
}

TEST_F(HelpEngine, CustomColoursAndChmPopups)
{
    setLong(L"HHPopupType", 1);
    setText(L"HHPopupFile", L"Popups.txt");
    setLong(L"HHPopupID", 2);
    setBool(L"HHPopupCustomColors", VARIANT_TRUE);
    setLong(L"HHPopupCustomTextColor", 0x112233);
    setLong(L"HHPopupCustomBackColor", 0x445566);
    setLong(L"HHPopupTextColor", 0x0000FF);
    ASSERT_EQ(withForm(L"HHDisplayPopup", 7), S_OK);
    const std::vector<std::string> lines = log.take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(call(7, chm + "::/Popups.txt", 0x000E,
                                  "popup{cbStruct=" + std::to_string(popupBytes) +
                                      " hinst=0x00000000 idString=2 "
                                      "pszText=null pt=("),
                             0),
              0u)
        << lines[0];
    EXPECT_NE(lines[0].find(" clrForeground=0x00112233 clrBackground=0x00445566 "), std::string::npos) << lines[0];
    Variant custom = get(object.get(), L"HHPopupCustomColors");
    EXPECT_EQ(V_BOOL(custom.get()), VARIANT_TRUE);

    // A popup file of the wrong kind: the message, and nothing for the engine.
    setText(L"HHPopupFile", L"Popups.htm");
    ASSERT_EQ(withForm(L"HHDisplayPopup", 7), S_OK);
    EXPECT_TRUE(log.take().empty());
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              L"The file specified as the text popup source, 'Popups.htm', is not a valid popup file.");
}

TEST_F(HelpEngine, PopupsThatShowNothing)
{
    setText(L"HHPopupText", L"No type chosen");
    ASSERT_EQ(withForm(L"HHDisplayPopup", 1), S_OK);
    setLong(L"HHPopupType", 4);
    setText(L"HHPopupText", L"");
    ASSERT_EQ(withForm(L"HHDisplayPopup", 1), S_OK);
    setLong(L"HHPopupType", 3);
    ASSERT_EQ(withForm(L"HHDisplayPopup", 1), S_OK);
    // Types outside the enumeration arrive as the numbers they are and show nothing.
    setText(L"HHPopupText", L"Unknown type");
    for (LONG outside : {LONG(5), LONG(-1), LONG(0x7FFFFFFF), LONG(0x80000000)}) {
        setLong(L"HHPopupType", outside);
        ASSERT_EQ(withForm(L"HHDisplayPopup", 1), S_OK);
    }
    EXPECT_TRUE(log.take().empty());

    // Our resources hold no strings: the loader's failure reaches the host.
    setLong(L"HHPopupType", 2);
    setLong(L"HHPopupID", 1);
    VARIANT form = vI4(1);
    CallResult r = call(object.get(), L"HHDisplayPopup", DISPATCH_METHOD, {vRef(&form)});
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.exception.scode, static_cast<SCODE>(0x800A0146));
    EXPECT_EQ(r.source(), L"clsKvHlpfHtmlA.HHDisplayPopup");
    EXPECT_TRUE(log.take().empty());
    EXPECT_EQ(html->HHDisplayPopup(nullptr), E_POINTER);
}

struct WindowProcCall {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<WindowProcCall> windowProcCalls;
LRESULT WINAPI recordDefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    windowProcCalls.push_back({hwnd, message, wParam, lParam});
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(HelpEngine, WhatsThisHelpSendsTheContextHelpCommand)
{
    ImportHook hook(GetModuleHandleW(L"Morvel10.dll"), "user32.dll", "DefWindowProcA",
                    reinterpret_cast<void*>(&recordDefWindowProc));
    ASSERT_TRUE(hook.installed());
    HWND window = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_TRUE(window);
    windowProcCalls.clear();
    EXPECT_EQ(withForm(L"HHInvokeWhatsThisHelp", static_cast<LONG>(reinterpret_cast<INT_PTR>(window))), S_OK);
    EXPECT_EQ(withForm(L"HHInvokeWhatsThisHelp", 0), S_OK);
    DestroyWindow(window);
    ASSERT_EQ(windowProcCalls.size(), 2u);
    EXPECT_EQ(windowProcCalls[0].hwnd, window);
    EXPECT_EQ(windowProcCalls[1].hwnd, nullptr);
    for (const auto& c : windowProcCalls) {
        EXPECT_EQ(c.message, static_cast<UINT>(WM_SYSCOMMAND));
        EXPECT_EQ(c.wParam, static_cast<WPARAM>(SC_CONTEXTHELP));
        EXPECT_EQ(c.lParam, 0);
    }
    EXPECT_TRUE(log.take().empty());
}

}  // namespace

// --- Run separately, with the engine switched off ----------------------------------------

namespace {

TEST(NoEngine, DisplayCommandsAndCloseEndQuietlyThePopupFails)
{
    Apartment apartment;
    MessageBoxRecorder boxes;
    EngineLog log;
    ComPtr<IDispatch> object = create(L"Morvel10.clsKvHlpfHtmlA");
    ASSERT_TRUE(object);
    put(object.get(), L"CHMFile", vStr(wide(buildPath("help/Demo.chm")).c_str()));
    put(object.get(), L"HHShowOnTop", vBool(VARIANT_TRUE));
    for (const wchar_t* member : displayCommands) {
        VARIANT form = vI4(1);
        EXPECT_EQ(call(object.get(), member, DISPATCH_METHOD, {vRef(&form)}).hr, S_OK) << member;
    }
    EXPECT_EQ(call(object.get(), L"HHClose", DISPATCH_METHOD).hr, S_OK);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_TRUE(log.lines().empty());

    put(object.get(), L"HHPopupType", vI4(4));
    put(object.get(), L"HHPopupText", vStr(L"x"));
    VARIANT form = vI4(1);
    CallResult r = call(object.get(), L"HHDisplayPopup", DISPATCH_METHOD, {vRef(&form)});
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.exception.scode, static_cast<SCODE>(0x800A0035));
    EXPECT_EQ(r.description(), L"File not found: hhctrl.ocx");
}

}  // namespace
