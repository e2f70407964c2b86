// Member lookup by name on the late-bound objects without type information (the library's
// property objects and the companion's classes), against what standard dispatch answers
// for the library's typed classes.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/ComTestSupport.h"

using namespace comtest;

namespace {

struct Lookup {
    HRESULT hr;
    DISPID ids[2];
};

Lookup lookUp(IDispatch* object, std::initializer_list<const wchar_t*> names)
{
    // A real name behind a count of 0: only the count may say there is none.
    LPOLESTR list[2] = {const_cast<LPOLESTR>(L"Title"), const_cast<LPOLESTR>(L"Title")};
    UINT count = 0;
    for (const wchar_t* n : names) list[count++] = const_cast<LPOLESTR>(n);
    Lookup out{E_FAIL, {1234, 1234}};
    out.hr = object->GetIDsOfNames(IID_NULL, list, count, LOCALE_USER_DEFAULT, out.ids);
    return out;
}

}  // namespace

TEST(NameTable, NamesAreAnsweredAsStandardDispatchAnswersThem)
{
    Apartment apartment;
    ComPtr<IDispatch> library = create(L"Morvel10.clsKvMorvel10A");
    ASSERT_TRUE(library);
    Variant info = get(library.get(), L"GetProStdProperties");
    ASSERT_EQ(V_VT(info.get()), VT_DISPATCH);
    ComPtr<IDispatch> about = create(L"Ostrel10.clsKvOstrel10A");
    ASSERT_TRUE(about);

    struct Case {
        IDispatch* object;
        const wchar_t* member;
    };
    for (const Case& c : {Case{V_DISPATCH(info.get()), L"title"}, Case{about.get(), L"appaboutkvor"}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.member)));
        // No names at all find no member, and nothing is written.
        const Lookup none = lookUp(c.object, {});
        EXPECT_EQ(none.hr, DISP_E_UNKNOWNNAME);
        EXPECT_EQ(none.ids[0], 1234);

        const Lookup one = lookUp(c.object, {c.member});
        EXPECT_EQ(one.hr, S_OK);
        EXPECT_NE(one.ids[0], DISPID_UNKNOWN);

        // These members take no named arguments: the member is found, the argument is not.
        const Lookup named = lookUp(c.object, {c.member, L"Argument"});
        EXPECT_EQ(named.hr, DISP_E_UNKNOWNNAME);
        EXPECT_EQ(named.ids[0], one.ids[0]);
        EXPECT_EQ(named.ids[1], DISPID_UNKNOWN);

        const Lookup unknown = lookUp(c.object, {L"NoSuchMember", L"Argument"});
        EXPECT_EQ(unknown.hr, DISP_E_UNKNOWNNAME);
        EXPECT_EQ(unknown.ids[0], DISPID_UNKNOWN);
        EXPECT_EQ(unknown.ids[1], DISPID_UNKNOWN);
    }

    // The typed classes, which look names up through their type information, answer alike.
    const Lookup typedNone = lookUp(library.get(), {});
    EXPECT_EQ(typedNone.hr, DISP_E_UNKNOWNNAME);
    EXPECT_EQ(typedNone.ids[0], 1234);
}
