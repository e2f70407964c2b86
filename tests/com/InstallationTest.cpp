// Installation verification against the real registry and the real control files of the
// Wine prefix: first as Wine makes the prefix (the HTML Help type library registered, the
// two in-process server keys absent), then with the server keys written as an installer
// would. Every key written here is removed again, so other tests see Wine's prefix.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/Published.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/RegisteredControls.h"

using namespace comtest;

namespace {

const std::wstring HhNotRegistered = L"Hhctrl.ocx is not registered.  Please install HTML Help.";
const std::wstring IeNotRegistered = L"Shdocvw.dll is not registered.  Please install Internet Explorer.";

struct Installation : ::testing::Test {
    void SetUp() override
    {
        object = create(L"Morvel10.clsKvHlpfHtmlA");
        ASSERT_TRUE(object);
        html = object.as<_clsKvHlpfHtmlA>();
        ASSERT_TRUE(html);
    }
    std::wstring text(const wchar_t* name) { return str(get(object.get(), name).get()); }
    std::vector<std::wstring> texts() const
    {
        std::vector<std::wstring> out;
        for (const auto& box : recorder.boxes()) out.push_back(box.text);
        return out;
    }

    Apartment apartment;
    MessageBoxRecorder recorder;
    ComPtr<IDispatch> object;
    ComPtr<_clsKvHlpfHtmlA> html;
};

}  // namespace

TEST_F(Installation, ThePrefixAsWineMakesIt)
{
    ASSERT_FALSE(RegisteredControls::Exists(RegisteredControls::HtmlHelpServerKey())) << "left over from a run?";
    ASSERT_FALSE(RegisteredControls::Exists(RegisteredControls::BrowserServerKey()));

    // The type library is registered and the user may write it.
    Variant installed = get(object.get(), L"HHInstalled");
    ASSERT_EQ(V_VT(installed.get()), VT_BOOL);
    EXPECT_EQ(V_BOOL(installed.get()), VARIANT_TRUE);
    EXPECT_TRUE(recorder.boxes().empty());

    EXPECT_EQ(text(L"HHVersion"), L"");
    EXPECT_EQ(text(L"IEVersion"), L"");
    ASSERT_EQ(texts(), (std::vector<std::wstring>{HhNotRegistered, IeNotRegistered}));
    EXPECT_EQ(recorder.boxes()[0].caption, L"Corvane! Error");
    EXPECT_EQ(recorder.boxes()[0].icon, L"hand");

    recorder.clear();
    ::HHVersion hh = HH_1_3;
    ::IEVersion ie = IE_5_0C;
    VARIANT_BOOL result = VARIANT_TRUE;
    ASSERT_EQ(html->HHVerifyMinConfig(&hh, &ie, &result), S_OK);
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_EQ(texts(), (std::vector<std::wstring>{HhNotRegistered, IeNotRegistered, HhNotRegistered, IeNotRegistered}));
    EXPECT_EQ(hh, HH_1_3);  // by reference, only read
    EXPECT_EQ(ie, IE_5_0C);
}

TEST_F(Installation, ControlsRegisteredAsAnInstallerWould)
{
    RegisteredControls controls;
    ASSERT_TRUE(controls.ok());

    EXPECT_EQ(text(L"HHVersion"), L"5.02.3790.2744");
    EXPECT_EQ(text(L"IEVersion"), L"6.00.2900.2180");
    EXPECT_EQ(text(L"HHFriendlyName"), L"unknown");
    EXPECT_EQ(text(L"IEFriendlyName"), L"unknown");

    // Through dispatch, literals for the by-reference enumerations, as a script sends them.
    CallResult r = call(object.get(), L"HHVerifyMinConfig", DISPATCH_METHOD, {vI4(HH_1_3), vI4(IE_5_0C)});
    ASSERT_EQ(r.hr, S_OK);
    ASSERT_EQ(V_VT(r.value.get()), VT_BOOL);
    EXPECT_EQ(V_BOOL(r.value.get()), VARIANT_TRUE);

    // Outside the enumeration: false, and "unknown" is what the HTML Help half holds.
    auto hh = static_cast<::HHVersion>(25);
    ::IEVersion ie = IE_3_0;
    VARIANT_BOOL result = VARIANT_TRUE;
    ASSERT_EQ(html->HHVerifyMinConfig(&hh, &ie, &result), S_OK);
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_EQ(text(L"HHFriendlyName"), L"unknown");
    EXPECT_EQ(text(L"HHVersion"), L"5.02.3790.2744");  // checked again

    // Through dispatch, the far ends of the 32-bit range arrive as the numbers they are.
    for (LONG outside : {LONG(0x7FFFFFFF), LONG(-1), LONG(0x80000000)}) {
        CallResult hh = call(object.get(), L"HHVerifyMinConfig", DISPATCH_METHOD, {vI4(outside), vI4(IE_3_0)});
        ASSERT_EQ(hh.hr, S_OK);
        EXPECT_EQ(V_BOOL(hh.value.get()), VARIANT_FALSE) << outside;
        CallResult ie = call(object.get(), L"HHVerifyMinConfig", DISPATCH_METHOD, {vI4(HH_1_0), vI4(outside)});
        ASSERT_EQ(ie.hr, S_OK);
        EXPECT_EQ(V_BOOL(ie.value.get()), VARIANT_FALSE) << outside;
    }
    EXPECT_TRUE(recorder.boxes().empty());
}

TEST_F(Installation, ExpandableRegistrationsWithoutTheirNul)
{
    {
        RegisteredControls controls(REG_EXPAND_SZ, /*withNul=*/false);
        ASSERT_TRUE(controls.ok());
        EXPECT_EQ(text(L"HHVersion"), L"5.02.3790.2744");
        EXPECT_EQ(text(L"IEVersion"), L"6.00.2900.2180");
        EXPECT_TRUE(recorder.boxes().empty());
    }
    // Gone again, class keys and all.
    EXPECT_FALSE(RegisteredControls::Exists(RegisteredControls::HtmlHelpClsid));
    EXPECT_FALSE(RegisteredControls::Exists(RegisteredControls::BrowserClsid));
}

TEST_F(Installation, NullPointersAreRefused)
{
    ::HHVersion hh = HH_1_0;
    ::IEVersion ie = IE_3_0;
    VARIANT_BOOL result = VARIANT_TRUE;
    EXPECT_EQ(html->HHVerifyMinConfig(&hh, &ie, nullptr), E_POINTER);
    EXPECT_EQ(html->HHVerifyMinConfig(nullptr, &ie, &result), E_POINTER);
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_EQ(html->get_HHInstalled(nullptr), E_POINTER);
    EXPECT_EQ(html->get_HHVersion(nullptr), E_POINTER);
    EXPECT_TRUE(recorder.boxes().empty());
}
