// GetIDsOfNames of the typed classes, answered from the library's own table of names,
// against what the type information itself answers: every member and parameter name of
// every published interface in several letter cases, names no member has, names the
// platform's linguistic comparison treats specially, and hostile callers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "tests/support/ComTestSupport.h"
#include "tests/support/TypeLibraryWalk.h"

using namespace comtest;

namespace {

constexpr DISPID Unwritten = 0x5A5A5A5A;

struct Answer {
    HRESULT hr;
    std::vector<DISPID> ids;
    bool operator==(const Answer&) const = default;
};

std::string describe(const Answer& a)
{
    std::string out = testing::PrintToString(static_cast<unsigned long>(a.hr));
    for (DISPID id : a.ids) out += " " + testing::PrintToString(static_cast<long>(id));
    return out;
}

std::vector<LPOLESTR> list(const std::vector<std::wstring>& names)
{
    std::vector<LPOLESTR> out;
    for (const std::wstring& n : names) out.push_back(const_cast<LPOLESTR>(n.c_str()));
    return out;
}

Answer ofObject(IDispatch* object, std::vector<LPOLESTR> names)
{
    Answer a{E_FAIL, std::vector<DISPID>(names.size() + 1, Unwritten)};
    a.hr = object->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()), LOCALE_USER_DEFAULT,
                                 a.ids.data());
    return a;
}

Answer ofTypeInfo(ITypeInfo* info, std::vector<LPOLESTR> names)
{
    Answer a{E_FAIL, std::vector<DISPID>(names.size() + 1, Unwritten)};
    a.hr = info->GetIDsOfNames(names.data(), static_cast<UINT>(names.size()), a.ids.data());
    return a;
}

// The vtable half of the object's dual interface: what standard dispatch looks names up in.
ComPtr<ITypeInfo> slotsOf(IDispatch* object)
{
    ComPtr<ITypeInfo> described;
    if (FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, described.put()))) return {};
    return baseOf(described.get(), static_cast<UINT>(-1));
}

// Every member and parameter name the interface declares, and the ones it inherits.
void namesOf(ITypeInfo* info, std::set<std::wstring>& members, std::set<std::wstring>& parameters)
{
    for (const Function& f : functions(info, true)) {
        ASSERT_TRUE(f.desc && !f.names.empty());
        for (size_t k = 0; k < f.names.size(); ++k) (k == 0 ? members : parameters).insert(f.names[k]);
    }
}

std::vector<std::wstring> spellings(const std::wstring& name)
{
    std::wstring lower = name, upper = name, swapped = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return std::towlower(c); });
    std::transform(upper.begin(), upper.end(), upper.begin(), [](wchar_t c) { return std::towupper(c); });
    std::transform(swapped.begin(), swapped.end(), swapped.begin(),
                   [](wchar_t c) { return std::iswupper(c) ? std::towlower(c) : std::towupper(c); });
    return {name, lower, upper, swapped};
}

void expectSame(IDispatch* object, ITypeInfo* info, const std::vector<std::wstring>& names)
{
    std::wstring shown;
    for (const std::wstring& n : names) shown += L"[" + n + L"]";
    const Answer mine = ofObject(object, list(names));
    const Answer platform = ofTypeInfo(info, list(names));
    EXPECT_TRUE(mine == platform) << testing::PrintToString(shown) << ": " << describe(mine) << " vs "
                                  << describe(platform);
}

}  // namespace

TEST(DispatchNames, EveryNameIsAnsweredAsTheTypeInformationAnswersIt)
{
    Apartment apartment;
    for (const wchar_t* progId : progIds) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(progId)));
        ComPtr<IDispatch> object = create(progId);
        ASSERT_TRUE(object);
        ComPtr<ITypeInfo> info = slotsOf(object.get());
        ASSERT_TRUE(info);
        std::set<std::wstring> members, parameters;
        namesOf(info.get(), members, parameters);
        ASSERT_TRUE(members.count(L"Invoke"));
        // Names of no parameter: a property's value (unnamed here), misspellings, nothing.
        parameters.insert({L"rhs", L"result", L"NoSuchArgument", L"CallingForm_", L""});
        std::vector<std::wstring> strangers = {
            L"NoSuchMember",        L"HHTopicI",       L"HHTopicIDX",  L"_HHTopicID",     L"",
            L"HHTopicID ",          L"HH-TopicID",     L"HH'TopicID",
            L"HHTopicID\u00AD",                         // a soft hyphen, which the platform ignores
            L"HHTop\u0130cID",      L"HHTop\u0131cID",  // dotted capital and dotless small i
            L"\uFF28\uFF28TopicID",                     // full-width letters
            L"HHTopicID\u200B",     L"\u00E9",         L"CallingForm", L"_clsKvHlpfHtmlA"};
        for (const std::wstring& member : members) {
            for (const std::wstring& spelled : spellings(member)) expectSame(object.get(), info.get(), {spelled});
            for (const std::wstring& parameter : parameters) {
                for (const std::wstring& spelled : spellings(parameter))
                    expectSame(object.get(), info.get(), {member, spelled});
                expectSame(object.get(), info.get(), {spellings(member)[1], parameter, L"NoSuchArgument", parameter});
            }
            expectSame(object.get(), info.get(), {member, L"HHTopicID\u00AD"});
        }
        for (const std::wstring& stranger : strangers) {
            expectSame(object.get(), info.get(), {stranger});
            expectSame(object.get(), info.get(), {stranger, L"CallingForm", L"result"});
            expectSame(object.get(), info.get(), {L"HHVerifyMinConfig", stranger, L"MinIEVersion"});
        }
    }
}

TEST(DispatchNames, HostileCallersGetAnAnswerAndNoCrash)
{
    Apartment apartment;
    ComPtr<IDispatch> html = create(L"Morvel10.clsKvHlpfHtmlA");
    ASSERT_TRUE(html);
    LPOLESTR topic = const_cast<LPOLESTR>(L"HHTopicID");
    DISPID id = Unwritten;

    EXPECT_EQ(html->GetIDsOfNames(IID_NULL, nullptr, 1, LOCALE_USER_DEFAULT, &id), E_POINTER);
    EXPECT_EQ(html->GetIDsOfNames(IID_NULL, &topic, 1, LOCALE_USER_DEFAULT, nullptr), E_POINTER);
    EXPECT_EQ(html->GetIDsOfNames(IID_IDispatch, &topic, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNINTERFACE);
    // No names find no member, and nothing is written.
    EXPECT_EQ(html->GetIDsOfNames(IID_NULL, &topic, 0, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, Unwritten);

    // A null name is a name nothing has, wherever it stands, in the table's path and in
    // the platform's (the soft hyphen takes that one).
    struct Case {
        std::vector<const wchar_t*> names;
        HRESULT hr;
        std::vector<DISPID> ids;
    };
    const Case cases[] = {
        {{nullptr}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
        {{nullptr, L"rhs", L"HHTopicID"}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN, DISPID_UNKNOWN, DISPID_UNKNOWN}},
        {{L"HHTopicID", nullptr}, DISP_E_UNKNOWNNAME, {0x6803001D, DISPID_UNKNOWN}},
        {{L"hhverifyminconfig", nullptr, L"minieversion"}, DISP_E_UNKNOWNNAME, {0x6003002E, DISPID_UNKNOWN, 1}},
        {{L"HHTopicID\u00AD", nullptr}, DISP_E_UNKNOWNNAME, {0x6803001D, DISPID_UNKNOWN}},
        {{L"HHVerifyMinConfig", L"MinHHVersion\u00AD", nullptr}, DISP_E_UNKNOWNNAME, {0x6003002E, 0, DISPID_UNKNOWN}},
        {{L"HH-TopicID", nullptr}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN, DISPID_UNKNOWN}},
    };
    for (const Case& c : cases) {
        std::vector<LPOLESTR> names;
        for (const wchar_t* n : c.names) names.push_back(const_cast<LPOLESTR>(n));
        const Answer a = ofObject(html.get(), names);
        std::vector<DISPID> expected = c.ids;
        expected.push_back(Unwritten);  // nothing beyond the count is written
        EXPECT_EQ(a.hr, c.hr) << names.size();
        EXPECT_EQ(a.ids, expected) << names.size();
    }
}
