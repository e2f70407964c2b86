// The help an object browser finds in the type library embedded in Morvel10.dll: the
// reference manual as the help file, and for every type and member a description and the
// context id of its manual page.

#include <gtest/gtest.h>

#include <string>

#include "Morvel10.h"
#include "docs/ContextIds.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/TypeLibraryWalk.h"

using namespace comtest;

namespace {

struct Help {
    std::wstring name, text, file;
    DWORD context = 0;
};

template <class Owner>
Help help(Owner* owner, LONG id)
{
    Bstr name, text, file;
    Help out;
    EXPECT_EQ(owner->GetDocumentation(id, name.put(), text.put(), &out.context, file.put()), S_OK);
    for (auto [from, to] : {std::pair{&name, &out.name}, {&text, &out.text}, {&file, &out.file}})
        if (from->get()) *to = from->get();
    return out;
}

void expectDescribed(ITypeInfo* info, MEMBERID id, const std::wstring& owner)
{
    const Help h = help(info, id);
    EXPECT_FALSE(h.text.empty()) << "description of " << testing::PrintToString(owner + L"." + h.name);
    EXPECT_NE(h.context, 0u) << "context id of " << testing::PrintToString(owner + L"." + h.name);
}

}  // namespace

TEST(TypeLibraryHelp, EveryTypeAndMemberOpensItsManualPage)
{
    Apartment apartment;
    const TypeLibraryWalk walk(env(L"MORVEL_DLL"));
    ASSERT_TRUE(walk.library);
    const Help lib = help(walk.library.get(), -1);
    EXPECT_EQ(lib.file.substr(lib.file.find_last_of(L'\\') + 1), L"Morvel10.chm");
    EXPECT_EQ(lib.text, L"Morvel10.1.0");

    for (const TypeEntry& type : walk.types) {
        ASSERT_TRUE(type.info);
        expectDescribed(type.info.get(), MEMBERID_NIL, type.name);
        // A dual interface's own members are those of its vtable half.
        const ComPtr<ITypeInfo> body = vtableHalf(type.info.get());
        for (const Function& f : functions(body.get())) {
            ASSERT_TRUE(f.desc);
            expectDescribed(body.get(), f.desc->memid, type.name);
        }
        for (const Constant& v : constants(body.get())) {
            ASSERT_FALSE(v.name.empty());
            expectDescribed(body.get(), v.id, type.name);
        }
    }

    // F1 on a member in an object browser, which reads the dispatch half.
    ComPtr<ITypeInfo> html;
    ASSERT_EQ(walk.library->GetTypeInfoOfGuid(IID__clsKvHlpfHtmlA, html.put()), S_OK);
    LPOLESTR member = const_cast<LPOLESTR>(L"HHDisplayTopicID");
    MEMBERID id = 0;
    ASSERT_EQ(html->GetIDsOfNames(&member, 1, &id), S_OK);
    const Help topic = help(html.get(), id);
    EXPECT_EQ(topic.context, DWORD(IDH_clsKvHlpfHtmlA_HHDisplayTopicID));
    EXPECT_EQ(topic.text.rfind(L"Opens the help file at the topic whose context id is HHTopicID", 0), 0u) << topic.text;
}
