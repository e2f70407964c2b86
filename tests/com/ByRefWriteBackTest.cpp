// When a script caller's by-reference variable gets a member's rewrite back
// (comkit/ByRefWriteBack.h): whenever the bytes changed, also for texts the platform's
// linguistic comparison calls equal, and never when the member only read the value.

#include <gtest/gtest.h>

#include "comkit/ByRefWriteBack.h"
#include "tests/support/ComTestSupport.h"

using namespace comtest;
using morvel::rewritten;

namespace {

Variant text(const wchar_t* value)
{
    Variant v;
    *v.get() = vStr(value);
    return v;
}

}  // namespace

TEST(ByRefWriteBack, TextsThatCompareEqualButDifferInBytesAreRewrites)
{
    // An ignorable soft hyphen, and the same letter composed and decomposed.
    const std::pair<const wchar_t*, const wchar_t*> pairs[] = {
        {L"Library.chm", L"Lib\u00ADrary.chm"},
        {L"Caf\u00E9.chm", L"Cafe\u0301.chm"},
    };
    for (const auto& [a, b] : pairs) {
        Variant before = text(a), now = text(b);
        // The comparison the write-back used to rely on loses these.
        EXPECT_EQ(VarCmp(now.get(), before.get(), LOCALE_USER_DEFAULT, 0), VARCMP_EQ) << testing::PrintToString(b);
        EXPECT_TRUE(rewritten(*now.get(), *before.get())) << testing::PrintToString(b);
    }
    Variant same = text(L"Library.chm"), copy = text(L"Library.chm");
    EXPECT_FALSE(rewritten(*same.get(), *copy.get()));
    Variant upper = text(L"LIBRARY.CHM");
    EXPECT_TRUE(rewritten(*upper.get(), *copy.get()));
    // A null text and an empty one are the same text to a script.
    Variant null, empty = text(L"");
    V_VT(null.get()) = VT_BSTR;
    V_BSTR(null.get()) = nullptr;
    EXPECT_FALSE(rewritten(*null.get(), *empty.get()));
}

TEST(ByRefWriteBack, NumbersCompareByTheirValueBytes)
{
    Variant a, b;
    V_VT(a.get()) = V_VT(b.get()) = VT_I4;
    V_I4(a.get()) = V_I4(b.get()) = 7;
    EXPECT_FALSE(rewritten(*a.get(), *b.get()));
    V_I4(a.get()) = 8;
    EXPECT_TRUE(rewritten(*a.get(), *b.get()));

    V_VT(a.get()) = V_VT(b.get()) = VT_R8;
    V_R8(a.get()) = 0.0;
    V_R8(b.get()) = -0.0;  // equal as numbers, yet not what the member received
    EXPECT_TRUE(rewritten(*a.get(), *b.get()));
    V_VT(a.get()) = V_VT(b.get()) = VT_BOOL;
    V_BOOL(a.get()) = V_BOOL(b.get()) = VARIANT_TRUE;
    EXPECT_FALSE(rewritten(*a.get(), *b.get()));
}

// Through IDispatch: a variable the member completes gets the completed name; one it only
// reads keeps its type.
TEST(ByRefWriteBack, ScriptVariablesGetTheMembersRewriteOnly)
{
    Apartment apartment;
    MessageBoxRecorder boxes;
    ComPtr<IDispatch> object = create(L"Morvel10.clsKvHlpfHtmlA");
    ASSERT_TRUE(object);

    VARIANT missing = vStr(L"C:\\No Such Folder\\Missing.chm");
    CallResult r = call(object.get(), L"EnsureFileExists", DISPATCH_METHOD, {vRef(&missing)});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(V_BOOL(r.value.get()), VARIANT_FALSE);
    EXPECT_EQ(V_VT(&missing), VT_BSTR);
    EXPECT_EQ(str(&missing), L"C:\\No Such Folder\\Missing.chm");
    VariantClear(&missing);

    VARIANT number = vI4(0);
    VARIANT minimum = vStr(L"0");  // read as a number, left a text
    CallResult check = call(object.get(), L"HHVerifyMinConfig", DISPATCH_METHOD, {vRef(&number), vRef(&minimum)});
    ASSERT_EQ(check.hr, S_OK);
    EXPECT_EQ(V_VT(&minimum), VT_BSTR);
    EXPECT_EQ(str(&minimum), L"0");
    VariantClear(&minimum);
}
