// The reference manual against the type library it documents: every class, member and
// enumeration constant the library publishes has its page (a member's with an example), every
// page is in the contents and the index and has a context id, and the compiled help file
// holds every page.
// Reads the embedded type library of build/<arch>/Morvel10.dll and the project that
// helpbuild wrote into build/<arch>/manual/project.

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "comkit/Handles.h"
#include "tests/support/Environment.h"
#include "tests/support/TypeLibraryWalk.h"

// The platform's reader of compiled help files (itss.dll), which no SDK header here declares.
// Declared outside the anonymous namespace: for a class of internal linkage that nothing in
// this file implements, the compiler may assume no object exists and drop the calls.
struct IITStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};
constexpr IID IID_ITStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

namespace {

using namespace comtest;
using morvel::ComPtr;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> capture(const std::string& text, const std::regex& pattern)
{
    std::vector<std::string> out;
    for (std::sregex_iterator m(text.begin(), text.end(), pattern), end; m != end; ++m) out.push_back((*m)[1]);
    return out;
}

// The help project as the generator wrote it.
struct Project {
    std::set<std::string> files;                         // [FILES], pages only
    std::map<std::string, std::string> aliases;          // [ALIAS] id name -> page
    std::map<std::string, long> map;                     // [MAP] id name -> number
    std::set<std::string> contents;                      // pages the contents tree opens
    std::map<std::string, std::set<std::string>> index;  // page -> its index keywords

    static Project read()
    {
        Project p;
        std::istringstream hhp(readFile(path("Morvel10.hhp")));
        std::string section, line;
        const std::regex define(R"re(#define\s+(\w+)\s+(\d+)\s*)re");
        while (std::getline(hhp, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            if (line.front() == '[') {
                section = line;
                continue;
            }
            std::smatch m;
            if (section == "[FILES]" && line.ends_with(".htm")) p.files.insert(line);
            if (section == "[ALIAS]" && line.find('=') != std::string::npos)
                p.aliases[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
            if (section == "[MAP]" && std::regex_match(line, m, define)) p.map[m[1]] = std::stol(m[2]);
        }
        const std::regex local(R"re(<param name="Local" value="([^"]*)">)re");
        for (const std::string& page : capture(readFile(path("Morvel10.hhc")), local)) p.contents.insert(page);
        // Each index entry: its keyword first, then a title and a page per target.
        const std::regex entry(R"re(<OBJECT type="text/sitemap">([\s\S]*?)</OBJECT>)re");
        const std::regex name(R"re(<param name="Name" value="([^"]*)">)re");
        for (const std::string& object : capture(readFile(path("Morvel10.hhk")), entry)) {
            const std::vector<std::string> names = capture(object, name);
            if (names.empty()) continue;
            for (const std::string& page : capture(object, local)) p.index[page].insert(names.front());
        }
        return p;
    }

    static std::string path(const std::string& relative) { return buildPath("manual/project/" + relative); }
    static std::string page(const std::string& relative) { return readFile(path(relative)); }
};

const Project& project()
{
    static const Project p = Project::read();
    return p;
}

// What a page must have to count: a file that exists, an entry in the contents, an index
// keyword that begins with `keyword`, and a context id that maps to it.
void expectPublishedPage(const std::string& page, const std::string& idName, const std::string& keyword)
{
    const Project& p = project();
    SCOPED_TRACE(page);
    ASSERT_TRUE(p.files.count(page)) << "no page in the help project";
    EXPECT_FALSE(Project::page(page).empty()) << "the page file is missing or empty";
    EXPECT_TRUE(p.contents.count(page)) << "not in the contents";
    bool indexed = false;
    if (auto it = p.index.find(page); it != p.index.end())
        for (const std::string& k : it->second) indexed = indexed || k.starts_with(keyword);
    EXPECT_TRUE(indexed) << "no index keyword beginning with " << keyword;
    auto alias = p.aliases.find(idName);
    ASSERT_NE(alias, p.aliases.end()) << "no context id " << idName;
    EXPECT_EQ(alias->second, page) << idName << " opens another page";
    EXPECT_TRUE(p.map.count(idName)) << idName << " has no number in [MAP]";
}

// The page's text without markup, so that a name split by <code> still reads whole.
std::string plainText(const std::string& html) { return std::regex_replace(html, std::regex("<[^>]*>"), ""); }

class Manual : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library_.library) << "cannot load the type library of Morvel10.dll";
        ASSERT_FALSE(project().files.empty()) << "no help project in " << Project::path("");
    }
    const TypeLibraryWalk library_{buildPath(L"Morvel10.dll")};
};

TEST_F(Manual, EveryClassAndEveryMemberHasItsPage)
{
    int classes = 0, members = 0;
    for (const TypeEntry* coclass : library_.ofKind(TKIND_COCLASS)) {
        const std::string cls = narrow(coclass->name);
        ++classes;
        expectPublishedPage(cls + "/index.htm", "IDH_" + cls, cls);
        const ComPtr<ITypeInfo> iface = defaultInterface(coclass->info.get());
        ASSERT_TRUE(iface) << cls;
        std::set<std::string> seen;
        for (const Function& func : functions(iface.get())) {
            ASSERT_TRUE(func.desc);
            std::vector<std::string> params;
            for (const std::wstring& name : func.names) params.push_back(narrow(name));
            ASSERT_FALSE(params.empty());
            const std::string member = params.front();
            const std::string page = cls + "/" + member + ".htm";
            if (seen.insert(member).second) {
                ++members;
                expectPublishedPage(page, "IDH_" + cls + "_" + member, member);
                // The page ends its reference part with an "Example" section that holds code.
                const std::string html = Project::page(page);
                const size_t example = html.find("<h2>Example</h2>");
                const size_t next = html.find("<h2>", example == std::string::npos ? 0 : example + 1);
                EXPECT_TRUE(example != std::string::npos &&
                            html.substr(example, next - example).find("<pre><code") != std::string::npos)
                    << page << " has no Example section with code";
            }
            // The page names the member's dispatch id and every argument a caller writes
            // (a property put's value has no name of its own).
            const std::string text = plainText(Project::page(page));
            char id[16];
            std::snprintf(id, sizeof id, "0x%08lX", static_cast<unsigned long>(func.desc->memid));
            EXPECT_NE(text.find(id), std::string::npos) << page << " does not give the dispatch id " << id;
            const bool put = func.desc->invkind == INVOKE_PROPERTYPUT || func.desc->invkind == INVOKE_PROPERTYPUTREF;
            for (size_t k = 1; k < params.size() && !put; ++k) {
                if (k - 1 < static_cast<size_t>(func.desc->cParams) &&
                    (func.desc->lprgelemdescParam[k - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL))
                    continue;  // the result, which the page describes under Returns
                EXPECT_NE(text.find(params[k]), std::string::npos) << page << " does not describe " << params[k];
            }
        }
    }
    EXPECT_EQ(classes, 5);
    EXPECT_EQ(members, 6 + 53 + 7);
}

// Each constant in a table row of its enumeration's page, beside its value.
TEST_F(Manual, EveryEnumerationConstantIsDescribedWithItsValue)
{
    int enumerations = 0;
    for (const TypeEntry* enumeration : library_.ofKind(TKIND_ENUM)) {
        const std::string name = narrow(enumeration->name);
        const std::string page = "enums/" + name + ".htm";
        ++enumerations;
        expectPublishedPage(page, "IDH_enums_" + name, name);
        const std::vector<std::string> rows = capture(Project::page(page), std::regex("<tr>([\\s\\S]*?)</tr>"));
        for (const Constant& c : constants(enumeration->info.get())) {
            const std::string constant = narrow(c.name), value = std::to_string(c.value);
            bool found = false;
            for (const std::string& row : rows)
                found = found || (row.find("<code>" + constant + "</code>") != std::string::npos &&
                                  row.find("<td>" + value + "</td>") != std::string::npos);
            EXPECT_TRUE(found) << page << ": no row with " << constant << " and " << value;
        }
    }
    EXPECT_EQ(enumerations, 5);
}

// The contents, the index, the aliases and the map all speak of the same pages.
TEST_F(Manual, ContentsIndexAndContextIdsAgree)
{
    const Project& p = project();
    for (const std::string& page : p.files) {
        EXPECT_TRUE(p.contents.count(page)) << page << " is not in the contents";
        EXPECT_TRUE(p.index.count(page)) << page << " has no index keyword";
    }
    for (const std::string& page : p.contents) EXPECT_TRUE(p.files.count(page)) << "contents open " << page;
    for (const auto& [page, keywords] : p.index) EXPECT_TRUE(p.files.count(page)) << "index opens " << page;
    std::set<long> numbers;
    for (const auto& [idName, page] : p.aliases) {
        EXPECT_TRUE(p.files.count(page)) << idName << " opens " << page << ", which is not in the project";
        EXPECT_TRUE(p.map.count(idName)) << idName << " has no number";
    }
    for (const auto& [idName, number] : p.map) {
        EXPECT_TRUE(p.aliases.count(idName)) << idName << " opens no page";
        EXPECT_TRUE(numbers.insert(number).second) << number << " is used twice";
    }
    // The header a host includes holds the same ids as the help file.
    const std::regex define(R"re(#define\s+(\w+)\s+(\d+))re");
    std::map<std::string, long> header;
    const std::string text = readFile(buildPath("manual/ContextIds.h"));
    for (std::sregex_iterator m(text.begin(), text.end(), define), end; m != end; ++m)
        header[(*m)[1]] = std::stol((*m)[2]);
    EXPECT_EQ(header, p.map);
}

// Every automation error number the library knows has its row on the errors page.
TEST_F(Manual, EveryErrorNumberIsListed)
{
    const std::string source = readFile(hostPath("MORVEL_SOURCE", "portable/AutomationError.h"));
    const std::vector<std::string> numbers = capture(source,
                                                     std::regex(R"re(inline constexpr std::int32_t \w+ = (\d+);)re"));
    ASSERT_GE(numbers.size(), 10u);
    const std::string errors = Project::page("errors.htm");
    for (const std::string& number : numbers)
        EXPECT_NE(errors.find("<tr><td>" + number + "</td>"), std::string::npos)
            << "error " << number << " is not listed";
}

// The text of every page, markup removed and character references decoded, as a reader
// sees it.
std::string everyPageAsRead()
{
    std::string all;
    for (const std::string& page : project().files) all += plainText(Project::page(page)) + "\n";
    for (const auto& [entity, character] : {std::pair<std::string, std::string>{"&quot;", "\""},
                                            {"&#39;", "'"},
                                            {"&lt;", "<"},
                                            {"&gt;", ">"},
                                            {"&amp;", "&"}})
        for (size_t at; (at = all.find(entity)) != std::string::npos;) all.replace(at, entity.size(), character);
    return all;
}

std::vector<std::string> coreSources(const std::string& folder)
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    const std::string base = hostPath("MORVEL_SOURCE", folder + "/");
    HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        const std::string name = found.cFileName;
        // The platform adapters and COM classes hold no texts a user reads; the diagnosis
        // speaks through helpdoctor, whose page describes its findings rather than quoting them.
        if (name.starts_with("Win32") || name.starts_with("Com") || name.starts_with("HelpDiagnosis") ||
            name.starts_with("BlockedContent"))
            continue;
        if (name.ends_with(".cpp") || name.ends_with(".h")) files.push_back(base + name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
}

// What the help classes show or name to a user (message texts, the caption, registry keys,
// release names, default file names) is quoted in the manual exactly as the code has it.
TEST_F(Manual, EveryTextOfTheHelpClassesIsQuotedExactly)
{
    const std::string manual = everyPageAsRead();
    const std::regex literal(R"re(u"((?:[^"\\]|\\.)*)")re");
    const std::regex caption(R"re(MessageCaption\[\] = "([^"]*)")re");
    int texts = 0;
    for (const char* folder : {"htmlhelp", "winhelp"}) {
        for (const std::string& file : coreSources(folder)) {
            const std::string source = readFile(file);
            std::vector<std::string> found = capture(source, literal);
            for (const std::string& c : capture(source, caption)) found.push_back(c);
            for (std::string text : found) {
                text = std::regex_replace(text, std::regex(R"re(\\(.))re"), "$1");
                if (text.size() < 12 || text.find_first_of(" \\") == std::string::npos) continue;
                ++texts;
                EXPECT_NE(manual.find(text), std::string::npos)
                    << "the manual does not quote \"" << text << "\" (" << file << ")";
            }
        }
    }
    EXPECT_GE(texts, 20);
}

// The compiled help file, opened through the platform's own reader of compiled help
// (itss.dll), holds every page of the project.
constexpr CLSID CLSID_ITStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

TEST_F(Manual, CompiledFileHoldsEveryPage)
{
    ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr));
    {
        ComPtr<IITStorage> reader;
        ASSERT_HRESULT_SUCCEEDED(
            CoCreateInstance(CLSID_ITStorage, nullptr, CLSCTX_INPROC_SERVER, IID_ITStorage, reader.putVoid()));
        const std::wstring chm = buildPath(L"manual/Morvel10.chm");
        ComPtr<IStorage> root;
        ASSERT_HRESULT_SUCCEEDED(
            reader->StgOpenStorage(chm.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, root.put()));
        for (const std::string& page : project().files) {
            // A page is a stream named by its path inside the file; its bytes are the page's.
            const std::wstring name(page.begin(), page.end());
            ComPtr<IStream> stream;
            if (FAILED(root->OpenStream(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put()))) {
                ADD_FAILURE() << page << " is not in Morvel10.chm";
                continue;
            }
            std::string bytes;
            char buffer[4096];
            ULONG read = 0;
            while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0) bytes.append(buffer, read);
            EXPECT_EQ(bytes, Project::page(page)) << page << " differs inside Morvel10.chm";
        }
    }
    CoUninitialize();
}

}  // namespace
