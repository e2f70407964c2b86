// The HTML Help object's settings through both doors: the function table and late-bound
// calls by name, on one object and on two.

#include <gtest/gtest.h>

#include "library/Published.h"
#include "tests/support/ComTestSupport.h"

using namespace comtest;

namespace {

const wchar_t* textProperties[] = {L"HHWindow",  L"HHTopicURL",   L"HHMsgTitle", L"HHMsgText",
                                   L"HHKeyword", L"HHDefaultURL", L"HHALink",    L"CHMFile"};
const wchar_t* readOnly[] = {L"HHRegFileName", L"HHRegFilePath", L"HHRegFileExists"};
struct WriteOnly {
    const wchar_t* name;
    bool text;
};
const WriteOnly writeOnly[] = {{L"HHPopupFile", true},
                               {L"HHPopupID", false},
                               {L"HHPopupText", true},
                               {L"HHPopupType", false},
                               {L"HHPopupTextColor", false},
                               {L"HHPopupBackColor", false},
                               {L"HHPopupCustomTextColor", false},
                               {L"HHPopupCustomBackColor", false},
                               {L"HHPopupTextFont", true},
                               {L"HHPopupTextSize", true},
                               {L"HHPopupTextBold", false},
                               {L"HHPopupTextItalic", false},
                               {L"HHPopupTextUnderline", false}};

struct HtmlHelpProperties : ::testing::Test {
    void SetUp() override
    {
        object = create(L"Morvel10.clsKvHlpfHtmlA");
        ASSERT_TRUE(object);
        html = object.as<_clsKvHlpfHtmlA>();
        ASSERT_TRUE(html);
    }
    Apartment apartment;
    ComPtr<IDispatch> object;
    ComPtr<_clsKvHlpfHtmlA> html;
};

}  // namespace

TEST_F(HtmlHelpProperties, ANewObjectIsEmpty)
{
    for (const wchar_t* name : textProperties) EXPECT_EQ(str(get(object.get(), name).get()), L"") << name;
    for (const wchar_t* name : {L"HHRegFileName", L"HHRegFilePath"})
        EXPECT_EQ(str(get(object.get(), name).get()), L"") << name;
    for (const wchar_t* name : {L"Hwnd", L"lpPrevWndFunc", L"HHTopicID"}) {
        Variant v = get(object.get(), name);
        EXPECT_EQ(V_VT(v.get()), VT_I4);
        EXPECT_EQ(V_I4(v.get()), 0) << name;
    }
    for (const wchar_t* name : {L"HHShowOnTop", L"HHRegFileExists", L"HHPopupCustomColors"}) {
        Variant v = get(object.get(), name);
        EXPECT_EQ(V_VT(v.get()), VT_BOOL);
        EXPECT_EQ(V_BOOL(v.get()), VARIANT_FALSE) << name;
    }
    IDispatch* form = reinterpret_cast<IDispatch*>(1);
    ASSERT_EQ(html->get_frm(&form), S_OK);
    EXPECT_EQ(form, nullptr);
    BSTR text = reinterpret_cast<BSTR>(1);
    ASSERT_EQ(html->get_CHMFile(&text), S_OK);
    EXPECT_EQ(SysStringLen(text), 0u);  // an empty text, never a dangling pointer
    SysFreeString(text);
}

TEST_F(HtmlHelpProperties, TextsRoundTripThroughBothDoors)
{
    for (const wchar_t* name : textProperties) {
        std::wstring value = std::wstring(L"value of ") + name + L" \u00e9\u4e2d";
        put(object.get(), name, vStr(value.c_str()));
        EXPECT_EQ(str(get(object.get(), name).get()), value) << name;
    }
    Bstr text;
    ASSERT_EQ(html->get_HHKeyword(text.put()), S_OK);
    EXPECT_STREQ(text.get(), L"value of HHKeyword \u00e9\u4e2d");
    ASSERT_EQ(html->put_CHMFile(Bstr(L"  Library.CHM  ").get()), S_OK);
    EXPECT_EQ(str(get(object.get(), L"CHMFile").get()), L"  Library.CHM  ");  // stored untrimmed
}

TEST_F(HtmlHelpProperties, NumbersAndBooleansAreStoredUnchanged)
{
    put(object.get(), L"HHTopicID", vI4(-42));
    put(object.get(), L"Hwnd", vI4(0x12345678));
    put(object.get(), L"lpPrevWndFunc", vI4(-1));
    put(object.get(), L"HHShowOnTop", vI4(1));  // coerced to a Boolean of 1, kept as 1
    put(object.get(), L"HHPopupCustomColors", vBool(VARIANT_TRUE));
    LONG id = 0;
    ASSERT_EQ(html->get_HHTopicID(&id), S_OK);
    EXPECT_EQ(id, -42);
    EXPECT_EQ(V_I4(get(object.get(), L"Hwnd").get()), 0x12345678);
    EXPECT_EQ(V_I4(get(object.get(), L"lpPrevWndFunc").get()), -1);

    VARIANT_BOOL flag = 0;
    ASSERT_EQ(html->put_HHShowOnTop(1), S_OK);
    ASSERT_EQ(html->get_HHShowOnTop(&flag), S_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(V_BOOL(get(object.get(), L"HHShowOnTop").get()), 1);
    EXPECT_EQ(V_BOOL(get(object.get(), L"HHPopupCustomColors").get()), VARIANT_TRUE);
}

TEST_F(HtmlHelpProperties, WriteOnlyAndReadOnlyMembersHaveOnlyTheirOwnAccessor)
{
    for (const WriteOnly& w : writeOnly) {
        EXPECT_EQ(call(object.get(), w.name, DISPATCH_PROPERTYPUT, {w.text ? vStr(L"10") : vI4(1)}).hr, S_OK) << w.name;
        EXPECT_TRUE(FAILED(call(object.get(), w.name, DISPATCH_PROPERTYGET).hr)) << w.name;
    }
    for (const wchar_t* name : readOnly)
        EXPECT_TRUE(FAILED(call(object.get(), name, DISPATCH_PROPERTYPUT, {vStr(L"x")}).hr)) << name;
}

TEST_F(HtmlHelpProperties, TheFormReferenceIsCountedAndReplaced)
{
    ComPtr<IDispatch> form = create(L"Morvel10.clsKvHlpfGeneralA");
    ASSERT_TRUE(form);
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_DISPATCH;
    V_DISPATCH(&value) = ComPtr<IDispatch>(form).detach();  // call() releases its arguments
    ASSERT_EQ(call(object.get(), L"frm", DISPATCH_PROPERTYPUTREF, {value}).hr, S_OK);
    Variant back = get(object.get(), L"frm");
    ASSERT_EQ(V_VT(back.get()), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(back.get()), form.get());
    form->AddRef();
    EXPECT_EQ(form->Release(), 3u);  // ours, the object's and the returned copy's
    ASSERT_EQ(html->putref_frm(nullptr), S_OK);
    form->AddRef();
    EXPECT_EQ(form->Release(), 2u);
}

TEST_F(HtmlHelpProperties, TwoObjectsKeepSeparateValues)
{
    ComPtr<IDispatch> other = create(L"Morvel10.clsKvHlpfHtmlA");
    ASSERT_TRUE(other);
    put(object.get(), L"CHMFile", vStr(L"First.chm"));
    put(other.get(), L"CHMFile", vStr(L"Second.chm"));
    put(object.get(), L"HHTopicID", vI4(7));
    EXPECT_EQ(str(get(object.get(), L"CHMFile").get()), L"First.chm");
    EXPECT_EQ(str(get(other.get(), L"CHMFile").get()), L"Second.chm");
    EXPECT_EQ(V_I4(get(other.get(), L"HHTopicID").get()), 0);
}

TEST_F(HtmlHelpProperties, ScriptVariablesPassedByReferenceAreAccepted)
{
    // A script passes a variable to a by-reference parameter as VT_BYREF|VT_VARIANT.
    VARIANT variable = vStr(L"");
    CallResult r = call(object.get(), L"HHCheckRegistry", DISPATCH_METHOD, {vRef(&variable)});
    EXPECT_NE(r.hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(V_VT(&variable), VT_BSTR);
    VariantClear(&variable);
}

TEST_F(HtmlHelpProperties, VariablesTheMemberOnlyReadsKeepTheirOwnTypeAndValue)
{
    MessageBoxRecorder boxes;  // the installation check tells of controls it cannot find
    VARIANT hh = vStr(L"24"), ie = vStr(L"270");
    ASSERT_EQ(call(object.get(), L"HHVerifyMinConfig", DISPATCH_METHOD, {vRef(&hh), vRef(&ie)}).hr, S_OK);
    EXPECT_EQ(V_VT(&hh), VT_BSTR);
    EXPECT_EQ(str(&hh), L"24");
    EXPECT_EQ(V_VT(&ie), VT_BSTR);
    EXPECT_EQ(str(&ie), L"270");
    VariantClear(&hh);
    VariantClear(&ie);
}
