// tlbfinish: turns the type library widl makes from library/Morvel10.idl into the one we
// publish. widl cannot describe enumeration constants and writes type infos in declaration
// order (enumerations first, because members use them), so this reads widl's library and
// writes a copy with the platform's own writer, CreateTypeLib2:
//   - each interface followed by the coclass it is the default of, then the enumerations;
//   - every enumeration constant described by its own name;
//   - a dual interface flagged oleautomation and dispatchable as a whole;
//   - the help of the reference manual: the library names the compiled help file, and
//     every class, interface, member and enumeration carries its page's context id and
//     a one-sentence description, from the table tools/typelibhelp.py writes from docs/.
// Everything else is copied as it is.
//
//   tlbfinish <in.tlb> <out.tlb> <help table>    write the finished library
//   tlbfinish --dump <file.tlb>                  print a library in a stable text form, for diffs
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <io.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "comkit/Handles.h"
#include "comkit/TypeDescription.h"

namespace {

struct Failure {
    std::wstring what;
    HRESULT hr;
};

void check(HRESULT hr, const std::wstring& what)
{
    if (FAILED(hr)) throw Failure{what, hr};
}

// A fault in the sources rather than in a call: said as it is, without a result code.
struct Refusal {
    std::wstring what;
};

using morvel::Bstr;
using morvel::ComPtr;

// The kit's owners of type descriptions, failing as every step of this tool fails: a block
// that cannot be read ends the run.
template <class Owner>
struct Described : Owner {
    template <class Source, class... Args>
    explicit Described(Source* source, Args... args)
    {
        check(this->read(source, args...), L"reading a type description");
    }
};
using TypeAttr = Described<morvel::TypeAttr>;
using FuncDesc = Described<morvel::FuncDesc>;
using VarDesc = Described<morvel::VarDesc>;
using LibAttr = Described<morvel::LibAttr>;

// A documentation text as the writer takes it: the empty text for none.
LPOLESTR text(const Bstr& b) { return b.get() ? b.get() : const_cast<LPOLESTR>(L""); }

template <class U, class T>
ComPtr<U> query(const ComPtr<T>& object)
{
    ComPtr<U> out = object.template as<U>();
    if (!out) check(E_NOINTERFACE, L"QueryInterface");
    return out;
}

struct Doc {
    Bstr name, text, helpFile;
    DWORD context = 0;
};

// For a type info `id` is a member id (MEMBERID_NIL: the type); for a library, -1 or an index.
template <class Owner>
Doc documentation(Owner* owner, LONG id)
{
    Doc doc;
    check(owner->GetDocumentation(id, doc.name.put(), doc.text.put(), &doc.context, doc.helpFile.put()),
          L"GetDocumentation");
    return doc;
}

// The function and parameter names GetNames gives for a member id, in a caller-owned array.
class Names {
public:
    Names(ITypeInfo* info, MEMBERID id, UINT max) : names_(max, nullptr)
    {
        check(info->GetNames(id, names_.data(), max, &count_), L"GetNames");
    }
    Names(const Names&) = delete;
    Names& operator=(const Names&) = delete;
    ~Names()
    {
        for (BSTR s : names_) SysFreeString(s);
    }
    UINT size() const { return count_; }
    const wchar_t* operator[](UINT i) const { return i < count_ && names_[i] ? names_[i] : L"-"; }
    LPOLESTR* data() { return names_.data(); }

private:
    std::vector<BSTR> names_;
    UINT count_ = 0;
};

ComPtr<ITypeInfo> refTypeInfo(ITypeInfo* from, HREFTYPE href)
{
    ComPtr<ITypeInfo> info;
    check(from->GetRefTypeInfo(href, info.put()), L"GetRefTypeInfo");
    return info;
}

ComPtr<ITypeInfo> typeInfoAt(ITypeLib* lib, UINT index)
{
    ComPtr<ITypeInfo> info;
    check(lib->GetTypeInfo(index, info.put()), L"GetTypeInfo");
    return info;
}

bool isDual(ITypeInfo* info)
{
    TypeAttr attr(info);
    return attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
}

// A dual interface is read through its vtable half: there the functions have their real
// signatures and slots, which is what CreateTypeInfo(TKIND_INTERFACE) takes back.
ComPtr<ITypeInfo> bodyOf(ITypeInfo* info)
{
    if (!isDual(info)) return ComPtr<ITypeInfo>::addRef(info);
    HREFTYPE href = 0;
    check(info->GetRefTypeOfImplType(UINT(-1), &href), L"GetRefTypeOfImplType(-1)");
    return refTypeInfo(info, href);
}

struct Location {
    bool inLibrary;  // in `lib` rather than an imported library
    UINT index;
};

Location locate(ITypeLib* lib, ITypeInfo* info)
{
    ComPtr<ITypeLib> container;
    UINT index = 0;
    check(info->GetContainingTypeLib(container.put(), &index), L"GetContainingTypeLib");
    return {IsEqualGUID(LibAttr(container.get())->guid, LibAttr(lib)->guid) != 0, index};
}

// Published order: every coclass preceded by its default interface, in coclass order;
// then interfaces no coclass claims, then enumerations, then anything else; each group
// in declaration order.
std::vector<UINT> publishedOrder(ITypeLib* lib)
{
    const UINT count = lib->GetTypeInfoCount();
    std::vector<TYPEKIND> kinds;
    for (UINT i = 0; i < count; ++i) kinds.push_back(TypeAttr(typeInfoAt(lib, i).get())->typekind);
    std::vector<UINT> order;
    std::vector<bool> placed(count, false);
    auto place = [&](UINT i) {
        if (!placed[i]) {
            placed[i] = true;
            order.push_back(i);
        }
    };

    for (UINT i = 0; i < count; ++i) {
        if (kinds[i] != TKIND_COCLASS) continue;
        ComPtr<ITypeInfo> coclass = typeInfoAt(lib, i);
        const UINT implemented = TypeAttr(coclass.get())->cImplTypes;
        for (UINT j = 0; j < implemented; ++j) {
            INT flags = 0;
            HREFTYPE href = 0;
            check(coclass->GetImplTypeFlags(j, &flags), L"GetImplTypeFlags");
            if ((flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) != IMPLTYPEFLAG_FDEFAULT) continue;
            check(coclass->GetRefTypeOfImplType(j, &href), L"GetRefTypeOfImplType");
            const Location target = locate(lib, refTypeInfo(coclass.get(), href).get());
            if (target.inLibrary) place(target.index);
        }
        place(i);
    }
    for (UINT i = 0; i < count; ++i)
        if (kinds[i] == TKIND_INTERFACE || kinds[i] == TKIND_DISPATCH) place(i);
    for (UINT i = 0; i < count; ++i)
        if (kinds[i] == TKIND_ENUM) place(i);
    for (UINT i = 0; i < count; ++i) place(i);
    return order;
}

using File = std::unique_ptr<FILE, decltype(&fclose)>;

std::vector<unsigned char> readFile(const std::wstring& path)
{
    std::vector<unsigned char> bytes;
    File in(_wfopen(path.c_str(), L"rb"), &fclose);
    unsigned char chunk[4096];
    for (size_t n; in && (n = fread(chunk, 1, sizeof chunk, in.get())) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    if (!in || ferror(in.get())) throw Failure{L"reading " + path, E_FAIL};
    return bytes;
}

// The reference manual's help, as tools/typelibhelp.py writes it from docs/: UTF-8, one
// tab-separated record a line, "#" lines being comments:
//   helpfile  <name>.chm  <opening page>
//   page      <page>      <context id>  <description>
// for every page of the manual (pages named by their path in docs/, "X/index.md").
class ManualHelp {
public:
    struct Page {
        DWORD context = 0;
        std::wstring text;
    };

    explicit ManualHelp(const std::wstring& path) : path_(path)
    {
        const std::vector<unsigned char> bytes = readFile(path);
        const char* data = reinterpret_cast<const char*>(bytes.data());
        const int size = bytes.empty()
                             ? 0
                             : MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, int(bytes.size()), nullptr, 0);
        if (!bytes.empty() && size <= 0) throw Refusal{path + L" is not UTF-8"};
        std::wstring text(size_t(size), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, data, int(bytes.size()), text.data(), size);
        size_t number = 0;
        for (size_t at = 0; at < text.size();) {
            const size_t end = std::min(text.find(L'\n', at), text.size());
            const std::vector<std::wstring> fields = split(text.substr(at, end - at));
            at = end + 1;
            ++number;
            if (fields[0].empty() || fields[0][0] == L'#') continue;
            wchar_t* rest = nullptr;
            const DWORD context = fields.size() == 4 ? wcstoul(fields[2].c_str(), &rest, 10) : 0;
            if (fields.size() == 3 && fields[0] == L"helpfile") {
                helpFile_ = fields[1];
                opening_ = fields[2];
            } else if (fields[0] == L"page" && context != 0 && *rest == 0) {
                pages_[fields[1]] = {context, fields[3]};
            } else {
                throw Refusal{path + L":" + std::to_wstring(number) + L": not a record of the manual's help"};
            }
        }
        if (helpFile_.empty()) throw Refusal{path + L" names no help file"};
    }

    const std::wstring& helpFile() const { return helpFile_; }
    const Page& opening() const { return page(opening_, L"the library"); }

    // The page that describes `what` (a type or member, named in the refusal).
    const Page& page(const std::wstring& rel, const std::wstring& what) const
    {
        const auto found = pages_.find(rel);
        if (found == pages_.end())
            throw Refusal{L"no page of the manual describes " + what + L": " + rel + L" is not in " + path_};
        return found->second;
    }

private:
    static std::vector<std::wstring> split(const std::wstring& line)
    {
        std::vector<std::wstring> fields;
        for (size_t from = 0;;) {
            const size_t tab = line.find(L'\t', from);
            fields.push_back(line.substr(from, tab == std::wstring::npos ? tab : tab - from));
            if (tab == std::wstring::npos) return fields;
            from = tab + 1;
        }
    }

    std::wstring path_, helpFile_, opening_;
    std::map<std::wstring, Page> pages_;
};

// Where the manual describes a type and its members, as pages of docs/: a class and its
// interface _X on X/index.md and the members of _X each on X/<member>.md; an enumeration
// on enums/<name>.md, which describes its constants too. Other kinds have no page and
// keep what widl wrote.
struct Pages {
    std::wstring type;    // empty: no page
    std::wstring folder;  // of the members' own pages; empty: they share the type's page

    std::wstring member(const std::wstring& name) const { return folder.empty() ? type : folder + name + L".md"; }
};

Pages pagesOf(TYPEKIND kind, const std::wstring& name)
{
    switch (kind) {
    case TKIND_COCLASS: return {name + L"/index.md", L""};
    case TKIND_INTERFACE:
    case TKIND_DISPATCH: {
        const std::wstring owner = name.size() > 1 && name[0] == L'_' ? name.substr(1) : name;
        return {owner + L"/index.md", owner + L"/"};
    }
    case TKIND_ENUM: return {L"enums/" + name + L".md", L""};
    default: return {};
    }
}

// Two things Wine's writer gets wrong are mended in the saved file; offsets are the MSFT
// file layout.
//  - It records every reference into another library by GUID. An alias has none (stdole2's
//    IPictureDisp is an alias of Picture), and such a reference loads back as the first
//    GUID-less type over there: stdole2's GUID record. Those references are rewritten to
//    the by-index form widl writes.
//  - Each function and variable record keeps the memory a reader needs for its
//    description, counted with the writing process's own structure sizes. A finisher of the other width
//    than the library's is corrected to the library's sizes, so that the x86 library comes
//    out the same whichever finisher wrote it.
void mendSavedLibrary(const std::wstring& path, const std::map<HREFTYPE, UINT>& aliases, WORD targetPointer)
{
    const bool otherWidth = targetPointer != sizeof(void*);
    if (aliases.empty() && !otherWidth) return;
    std::vector<unsigned char> bytes = readFile(path);
    auto at = [&](size_t offset, size_t size) {
        if (offset + size > bytes.size()) throw Failure{L"reading the saved library's layout", E_FAIL};
        return bytes.data() + offset;
    };
    auto get = [&](size_t offset) {
        uint32_t v;
        std::memcpy(&v, at(offset, 4), 4);
        return v;
    };
    auto put = [&](size_t offset, uint32_t v) { std::memcpy(at(offset, 4), &v, 4); };
    auto get16 = [&](size_t offset) {
        int16_t v;
        std::memcpy(&v, at(offset, 2), 2);
        return v;
    };
    auto put16 = [&](size_t offset, int16_t v) { std::memcpy(at(offset, 2), &v, 2); };
    constexpr uint32_t byGuid = 0x10000;  // the reference's third word is a GUID offset, not an index

    const size_t segments = 0x54 + ((get(0x14) & 0x100) ? 4 : 0) + 4 * size_t(get(0x20));
    const uint32_t imports = get(segments + 1 * 16), guids = get(segments + 5 * 16);
    for (auto [href, index] : aliases) {
        const size_t entry = imports + (href & ~3u);
        GUID guid;
        if (!(get(entry) & byGuid)) continue;  // a writer that gets this right
        std::memcpy(&guid, at(guids + get(entry + 8), sizeof guid), sizeof guid);
        if (!IsEqualGUID(guid, GUID_NULL)) continue;
        put(entry, get(entry) & ~byGuid);
        put(entry + 8, index);
    }

    if (otherWidth) {
        // The sizes the writer counts, for x86 and x64: FUNCDESC 52/88, ELEMDESC 16/32,
        // PARAMDESCEX 24/32 (each parameter with a default), VARDESC 36/64 and VARIANT
        // 16/24 (each constant). Pointer levels count a fixed 8 bytes in both.
        const bool x64 = targetPointer == 8;
        const int funcDelta = (x64 ? 88 : 52) - int(sizeof(FUNCDESC));
        const int elemDelta = (x64 ? 32 : 16) - int(sizeof(ELEMDESC));
        const int defaultDelta = (x64 ? 32 : 24) - int(sizeof(PARAMDESCEX));
        const int varDelta = (x64 ? 64 : 36) - int(sizeof(VARDESC));
        const int constDelta = (x64 ? 24 : 16) - int(sizeof(VARIANT));
        const size_t typeInfos = get(segments), typeInfoBytes = 0x64, paramInfoBytes = 12;
        for (uint32_t t = 0; t < get(0x20); ++t) {
            const size_t info = typeInfos + t * typeInfoBytes;
            const uint32_t elements = get(info + 0x18);  // functions low, variables high
            size_t record = get(info + 4) + 4;           // past the block's total size
            for (uint32_t f = 0; f < (elements & 0xFFFF); ++f) {
                const size_t size = get(record) & 0xFFFF;
                const int16_t params = get16(record + 20);
                int delta = funcDelta + params * elemDelta;
                for (int16_t p = 0; p < params; ++p) {
                    const size_t param = record + size - size_t(params - p) * paramInfoBytes;
                    if (get(param + 8) & PARAMFLAG_FHASDEFAULT) delta += defaultDelta;
                }
                put16(record + 14, int16_t(get16(record + 14) + delta));
                record += size;
            }
            for (uint32_t v = 0; v < (elements >> 16); ++v) {
                const size_t size = get(record) & 0xFFFF;
                const int delta = varDelta + (get16(record + 12) == VAR_CONST ? constDelta : 0);
                put16(record + 14, int16_t(get16(record + 14) + delta));
                record += size;
            }
        }
    }

    File out(_wfopen(path.c_str(), L"wb"), &fclose);
    if (!out || fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size() || fclose(out.release()) != 0)
        throw Failure{L"rewriting " + path, E_FAIL};
}

class Finisher {
public:
    Finisher(ITypeLib* source, const std::wstring& path, const ManualHelp& help)
        : source_(source), path_(path), help_(help)
    {
        LibAttr attr(source);
        Doc doc = documentation(source, -1);
        // The platform's reader reports vtable offsets and alignments in this process's
        // pointer size, whatever the library's system kind; the writer takes them as given.
        // So a finisher of one width can write a library for the other, they are converted.
        targetPointer_ = attr->syskind == SYS_WIN64 ? 8 : 4;
        check(CreateTypeLib2(attr->syskind, path.c_str(), target_.put()), L"CreateTypeLib2");
        check(target_->SetName(text(doc.name)), L"SetName");
        check(target_->SetGuid(attr->guid), L"SetGuid");
        check(target_->SetLcid(attr->lcid), L"SetLcid");
        check(target_->SetVersion(attr->wMajorVerNum, attr->wMinorVerNum), L"SetVersion");
        check(target_->SetLibFlags(attr->wLibFlags), L"SetLibFlags");
        // The library keeps its own description (the name references dialogs list); F1 on
        // it opens the manual's opening page.
        if (doc.text.length() != 0) check(target_->SetDocString(text(doc.text)), L"SetDocString");
        check(target_->SetHelpFileName(const_cast<LPOLESTR>(help.helpFile().c_str())), L"SetHelpFileName");
        check(target_->SetHelpContext(help.opening().context), L"SetHelpContext");
    }

    void run()
    {
        // Every type info exists before any is filled, so references between them (a
        // coclass to its interface, a member to an enumeration) resolve in any order.
        const std::vector<UINT> order = publishedOrder(source_);
        created_.resize(order.size());
        for (UINT index : order) {
            ComPtr<ITypeInfo> info = typeInfoAt(source_, index);
            const TYPEKIND kind = isDual(info.get()) ? TKIND_INTERFACE : TypeAttr(info.get())->typekind;
            Doc doc = documentation(info.get(), MEMBERID_NIL);
            check(target_->CreateTypeInfo(text(doc.name), kind, created_[index].put()),
                  L"CreateTypeInfo " + std::wstring(text(doc.name)));
        }
        for (UINT index : order) fill(index);
        check(target_->SaveAllChanges(), L"SaveAllChanges");
        target_.reset();
        mendSavedLibrary(path_, aliases_, targetPointer_);
    }

private:
    void fill(UINT index)
    {
        ComPtr<ITypeInfo> info = typeInfoAt(source_, index);
        ComPtr<ITypeInfo> body = bodyOf(info.get());
        ICreateTypeInfo* out = created_[index].get();
        TypeAttr attr(info.get());
        TypeAttr bodyAttr(body.get());
        Doc doc = documentation(info.get(), MEMBERID_NIL);
        const std::wstring name = text(doc.name);
        const Pages pages = pagesOf(attr->typekind, name);
        const ManualHelp::Page help = describe(pages.type, name, doc);

        check(out->SetGuid(attr->guid), L"SetGuid " + name);
        check(out->SetVersion(attr->wMajorVerNum, attr->wMinorVerNum), L"SetVersion " + name);
        if (!help.text.empty())
            check(out->SetDocString(const_cast<LPOLESTR>(help.text.c_str())), L"SetDocString " + name);
        if (help.context) check(out->SetHelpContext(help.context), L"SetHelpContext " + name);
        check(out->SetAlignment(std::min<WORD>(bodyAttr->cbAlignment, targetPointer_)), L"SetAlignment " + name);
        for (UINT j = 0; j < bodyAttr->cImplTypes; ++j) {
            HREFTYPE href = 0;
            INT flags = 0;
            check(body->GetRefTypeOfImplType(j, &href), L"GetRefTypeOfImplType " + name);
            check(body->GetImplTypeFlags(j, &flags), L"GetImplTypeFlags " + name);
            check(out->AddImplType(j, remap(body.get(), out, href)), L"AddImplType " + name);
            if (flags) check(out->SetImplTypeFlags(j, flags), L"SetImplTypeFlags " + name);
        }
        // A dual interface is an automation interface as a whole, whichever half widl
        // flagged. Wine: flags go on after the implemented types; set before them, the
        // first coclass came out dispatchable.
        UINT flags = attr->wTypeFlags | bodyAttr->wTypeFlags;
        if (isDual(info.get())) flags |= TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
        check(out->SetTypeFlags(flags), L"SetTypeFlags " + name);
        if (bodyAttr->typekind == TKIND_ALIAS) {
            TYPEDESC alias = copyType(body.get(), out, bodyAttr->tdescAlias);
            check(out->SetTypeDescAlias(&alias), L"SetTypeDescAlias " + name);
        }
        std::map<MEMBERID, UINT> firstAccessor;  // memid -> ordinary parameters of its first function
        for (UINT i = 0; i < bodyAttr->cFuncs; ++i) copyFunc(body.get(), out, i, name, pages, firstAccessor);
        for (UINT i = 0; i < bodyAttr->cVars; ++i)
            copyVar(body.get(), out, i, name, pages, bodyAttr->typekind == TKIND_ENUM);
        check(out->LayOut(), L"LayOut " + name);
    }

    // Parameters that carry a name of their own: not a property's new value, not the retval.
    static UINT ordinaryParams(const FUNCDESC& f)
    {
        const bool put = f.invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);
        const bool retval = f.cParams && (f.lprgelemdescParam[f.cParams - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL);
        return UINT(f.cParams) - ((put || retval) && f.cParams ? 1 : 0);
    }

    // What a type or member says and where its help is: its manual page's, or what widl
    // wrote when it has no page.
    ManualHelp::Page describe(const std::wstring& page, const std::wstring& what, const Doc& widl) const
    {
        if (page.empty()) return {widl.context, text(widl.text)};
        return help_.page(page, what);
    }

    void copyFunc(ITypeInfo* from, ICreateTypeInfo* out, UINT i, const std::wstring& owner, const Pages& pages,
                  std::map<MEMBERID, UINT>& firstAccessor)
    {
        FuncDesc source(from, i);
        FUNCDESC func = *source;
        func.oVft = static_cast<SHORT>(source->oVft / SHORT(sizeof(void*)) * targetPointer_);
        std::vector<ELEMDESC> params(source->lprgelemdescParam, source->lprgelemdescParam + source->cParams);
        for (ELEMDESC& p : params) p.tdesc = copyType(from, out, p.tdesc);
        func.lprgelemdescParam = params.empty() ? nullptr : params.data();
        func.elemdescFunc.tdesc = copyType(from, out, source->elemdescFunc.tdesc);
        Names names(from, source->memid, UINT(source->cParams) + 1);
        const std::wstring where = owner + L"." + names[0];
        check(out->AddFuncDesc(i, &func), L"AddFuncDesc " + where);

        // GetNames answers by member id, so a property's later accessors see the first
        // one's parameter names: they take only the ordinary parameters both have. A put's
        // new value is never named (SetFuncAndParamNames refuses it).
        const UINT ordinary = ordinaryParams(*source);
        const auto [first, isFirst] = firstAccessor.try_emplace(source->memid, ordinary);
        UINT count = isFirst ? names.size() : 1 + std::min(ordinary, first->second);
        if (source->invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF))
            count = std::min(count, UINT(source->cParams));
        check(out->SetFuncAndParamNames(i, names.data(), count), L"SetFuncAndParamNames " + where);

        // Every accessor of a property carries the property's help.
        const std::wstring page = pages.type.empty() ? L"" : pages.member(names[0]);
        const ManualHelp::Page help = describe(page, where, documentation(from, source->memid));
        if (!help.text.empty())
            check(out->SetFuncDocString(i, const_cast<LPOLESTR>(help.text.c_str())), L"SetFuncDocString " + where);
        if (help.context) check(out->SetFuncHelpContext(i, help.context), L"SetFuncHelpContext " + where);
    }

    void copyVar(ITypeInfo* from, ICreateTypeInfo* out, UINT i, const std::wstring& owner, const Pages& pages,
                 bool enumeration)
    {
        VarDesc source(from, i);
        VARDESC var = *source;
        var.elemdescVar.tdesc = copyType(from, out, source->elemdescVar.tdesc);
        Doc doc = documentation(from, source->memid);
        const std::wstring where = owner + L"." + text(doc.name);
        check(out->AddVarDesc(i, &var), L"AddVarDesc " + where);
        check(out->SetVarName(i, text(doc.name)), L"SetVarName " + where);
        // Our constants are described by their own names, which is what object browsers show;
        // their help is their enumeration's page, whose table describes each.
        const ManualHelp::Page help = describe(pages.type.empty() ? L"" : pages.member(text(doc.name)), where, doc);
        const std::wstring said = enumeration ? text(doc.name) : help.text;
        if (!said.empty())
            check(out->SetVarDocString(i, const_cast<LPOLESTR>(said.c_str())), L"SetVarDocString " + where);
        if (help.context) check(out->SetVarHelpContext(i, help.context), L"SetVarHelpContext " + where);
    }

    // A type description with every reference re-made for the new library; the nested
    // descriptions stay in types_ for the writer's whole life.
    TYPEDESC copyType(ITypeInfo* from, ICreateTypeInfo* out, const TYPEDESC& type)
    {
        TYPEDESC copy = type;
        if (type.vt == VT_PTR || type.vt == VT_SAFEARRAY)
            copy.lptdesc = &types_.emplace_back(copyType(from, out, *type.lptdesc));
        else if (type.vt == VT_USERDEFINED)
            copy.hreftype = remap(from, out, type.hreftype);
        else if (type.vt == VT_CARRAY)
            throw Failure{L"copying a fixed-size array type (not supported)", E_NOTIMPL};
        return copy;
    }

    // A reference into the source library becomes one to the new type info of the same
    // index; one into another library (IDispatch, IPictureDisp in stdole2) stays as it is.
    HREFTYPE remap(ITypeInfo* from, ICreateTypeInfo* out, HREFTYPE href)
    {
        ComPtr<ITypeInfo> target = refTypeInfo(from, href);
        const Location where = locate(source_, target.get());
        const bool alias = !where.inLibrary && IsEqualGUID(TypeAttr(target.get())->guid, GUID_NULL);
        if (where.inLibrary) target = query<ITypeInfo>(created_.at(where.index));
        HREFTYPE result = 0;
        check(out->AddRefTypeInfo(target.get(), &result), L"AddRefTypeInfo");
        if (alias) aliases_[result] = where.index;
        return result;
    }

    ITypeLib* source_;
    std::wstring path_;
    const ManualHelp& help_;
    WORD targetPointer_ = sizeof(void*);
    ComPtr<ICreateTypeLib2> target_;
    std::vector<ComPtr<ICreateTypeInfo>> created_;
    std::deque<TYPEDESC> types_;
    std::map<HREFTYPE, UINT> aliases_;  // external references to GUID-less types -> their index
};

// --- Dump: one line per library, type, implemented type, member and parameter. ---

std::wstring format(const wchar_t* pattern, ...)
{
    wchar_t buffer[2048];
    va_list args;
    va_start(args, pattern);
    const int length = vswprintf(buffer, std::size(buffer), pattern, args);
    va_end(args);
    return length < 0 ? L"<too long>" : buffer;
}

std::wstring guidText(const GUID& guid)
{
    wchar_t buffer[40];
    return StringFromGUID2(guid, buffer, 40) ? buffer : L"?";
}

std::wstring valueText(const VARIANT& value)
{
    struct Text {
        VARIANT v;
        Text() { VariantInit(&v); }
        ~Text() { VariantClear(&v); }  // holds a BSTR at most; clearing that cannot fail
    } text;
    check(VariantChangeType(&text.v, const_cast<VARIANT*>(&value), 0, VT_BSTR), L"VariantChangeType");
    return format(L"vt%u:%ls", value.vt, V_BSTR(&text.v));
}

std::wstring typeText(ITypeInfo* context, const TYPEDESC& type)
{
    static const wchar_t* const names[] = {
        L"EMPTY", L"NULL",     L"I2",    L"I4",        L"R4",      L"R8",          L"CY",      L"DATE",
        L"BSTR",  L"DISPATCH", L"ERROR", L"BOOL",      L"VARIANT", L"UNKNOWN",     L"DECIMAL", L"15",
        L"I1",    L"UI1",      L"UI2",   L"UI4",       L"I8",      L"UI8",         L"INT",     L"UINT",
        L"VOID",  L"HRESULT",  L"PTR",   L"SAFEARRAY", L"CARRAY",  L"USERDEFINED", L"LPSTR",   L"LPWSTR"};
    if (type.vt == VT_PTR) return typeText(context, *type.lptdesc) + L"*";
    if (type.vt == VT_SAFEARRAY) return L"SAFEARRAY(" + typeText(context, *type.lptdesc) + L")";
    if (type.vt != VT_USERDEFINED) return type.vt < std::size(names) ? names[type.vt] : format(L"vt%u", type.vt);
    ComPtr<ITypeInfo> target = refTypeInfo(context, type.hreftype);
    ComPtr<ITypeLib> lib;
    UINT index = 0;
    check(target->GetContainingTypeLib(lib.put(), &index), L"GetContainingTypeLib");
    return format(L"%ls.%ls", text(documentation(lib.get(), -1).name),
                  text(documentation(target.get(), MEMBERID_NIL).name));
}

std::wstring paramFlagsText(USHORT flags)
{
    static const std::pair<USHORT, const wchar_t*> known[] = {{PARAMFLAG_FIN, L"in"},
                                                              {PARAMFLAG_FOUT, L"out"},
                                                              {PARAMFLAG_FLCID, L"lcid"},
                                                              {PARAMFLAG_FRETVAL, L"retval"},
                                                              {PARAMFLAG_FOPT, L"optional"},
                                                              {PARAMFLAG_FHASDEFAULT, L"hasdefault"},
                                                              {PARAMFLAG_FHASCUSTDATA, L"custdata"}};
    std::wstring text;
    for (auto [bit, name] : known)
        if (flags & bit) text += (text.empty() ? L"" : L",") + std::wstring(name);
    return L"[" + text + L"]";
}

const wchar_t* invokeText(INVOKEKIND kind)
{
    static const wchar_t* const names[] = {L"?", L"func", L"propget", L"?",         L"propput",
                                           L"?", L"?",    L"?",       L"propputref"};
    return UINT(kind) < std::size(names) ? names[kind] : L"?";
}

std::wstring typeLine(ITypeInfo* info)
{
    static const wchar_t* const kinds[] = {L"enum",     L"record",  L"module", L"interface",
                                           L"dispatch", L"coclass", L"alias",  L"union"};
    TypeAttr a(info);
    return format(L"%ls flags=0x%04X guid=%ls version=%u.%u align=%u size=%lu vft=%u",
                  a->typekind < TKIND_MAX ? kinds[a->typekind] : L"?", a->wTypeFlags, guidText(a->guid).c_str(),
                  a->wMajorVerNum, a->wMinorVerNum, a->cbAlignment, a->cbSizeInstance, a->cbSizeVft);
}

void dumpMembers(ITypeInfo* info, const wchar_t* indent, std::wstring& out)
{
    TypeAttr attr(info);
    for (UINT j = 0; j < attr->cImplTypes; ++j) {
        TYPEDESC type{};
        type.vt = VT_USERDEFINED;
        INT flags = 0;
        check(info->GetRefTypeOfImplType(j, &type.hreftype), L"GetRefTypeOfImplType");
        check(info->GetImplTypeFlags(j, &flags), L"GetImplTypeFlags");
        out += format(L"%lsimpl %u %ls flags=0x%X\n", indent, j, typeText(info, type).c_str(), flags);
    }
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FuncDesc f(info, i);
        Names names(info, f->memid, UINT(f->cParams) + 1);
        Doc doc = documentation(info, f->memid);
        out += format(
            L"%lsfunc 0x%08lX %ls %ls returns %ls funckind=%d cc=%d oVft=%d flags=0x%X optional=%d doc=\"%ls\" "
            L"context=%lu\n",
            indent, f->memid, invokeText(f->invkind), names[0], typeText(info, f->elemdescFunc.tdesc).c_str(),
            f->funckind, f->callconv, f->oVft, f->wFuncFlags, f->cParamsOpt, text(doc.text), doc.context);
        for (SHORT p = 0; p < f->cParams; ++p) {
            const ELEMDESC& param = f->lprgelemdescParam[p];
            const USHORT flags = param.paramdesc.wParamFlags;
            out += format(L"%ls  param %ls %ls %ls", indent, names[UINT(p) + 1], paramFlagsText(flags).c_str(),
                          typeText(info, param.tdesc).c_str());
            if ((flags & PARAMFLAG_FHASDEFAULT) && param.paramdesc.pparamdescex)
                out += L" default=" + valueText(param.paramdesc.pparamdescex->varDefaultValue);
            out += L"\n";
        }
    }
    for (UINT i = 0; i < attr->cVars; ++i) {
        VarDesc v(info, i);
        Doc doc = documentation(info, v->memid);
        out += format(L"%lsvar 0x%08lX %ls %ls varkind=%d flags=0x%X value=%ls doc=\"%ls\" context=%lu\n", indent,
                      v->memid, text(doc.name), typeText(info, v->elemdescVar.tdesc).c_str(), v->varkind, v->wVarFlags,
                      v->varkind == VAR_CONST ? valueText(*v->lpvarValue).c_str() : L"-", text(doc.text), doc.context);
    }
}

std::wstring dump(ITypeLib* lib)
{
    LibAttr a(lib);
    Doc doc = documentation(lib, -1);
    std::wstring out = format(L"library %ls guid=%ls version=%u.%u lcid=0x%04lX syskind=%d flags=0x%X doc=\"%ls\" "
                              L"helpfile=\"%ls\" context=%lu\n",
                              text(doc.name), guidText(a->guid).c_str(), a->wMajorVerNum, a->wMinorVerNum, a->lcid,
                              a->syskind, a->wLibFlags, text(doc.text), text(doc.helpFile), doc.context);
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info = typeInfoAt(lib, i);
        Doc type = documentation(info.get(), MEMBERID_NIL);
        out += format(L"type %u %ls %ls doc=\"%ls\" context=%lu\n", i, text(type.name), typeLine(info.get()).c_str(),
                      text(type.text), type.context);
        dumpMembers(info.get(), L"  ", out);
        if (!isDual(info.get())) continue;
        ComPtr<ITypeInfo> body = bodyOf(info.get());
        out += L"  vtable half: " + typeLine(body.get()) + L"\n";
        dumpMembers(body.get(), L"    ", out);
    }
    return out;
}

ComPtr<ITypeLib> load(const std::wstring& path)
{
    ComPtr<ITypeLib> lib;
    check(LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.put()), L"LoadTypeLibEx " + path);
    return lib;
}

// The build passes Unix paths ("/tmp/x.tlb"); made absolute they become drive paths.
std::wstring fullPath(const wchar_t* path)
{
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = GetFullPathNameW(path, DWORD(std::size(buffer)), buffer, nullptr);
    if (length == 0 || length >= std::size(buffer))
        throw Failure{L"GetFullPathName " + std::wstring(path), E_INVALIDARG};
    return buffer;
}

bool writeUtf8(FILE* stream, const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(size > 0 ? size : 0), '\0');
    return WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(), size, nullptr, nullptr) ==
               size &&
           fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() && fflush(stream) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const bool dumping = argc == 3 && std::wstring(argv[1]) == L"--dump";
    if (!dumping && argc != 4) {
        writeUtf8(stderr, L"usage: tlbfinish <in.tlb> <out.tlb> <help table>\n       tlbfinish --dump <file.tlb>\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);  // "\n" stays "\n", so dumps diff cleanly on Linux
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(init)) {
        writeUtf8(stderr, format(L"tlbfinish: CoInitializeEx failed: 0x%08lX\n", init));
        return 1;
    }
    int result = 0;
    try {
        if (dumping) {
            if (!writeUtf8(stdout, dump(load(fullPath(argv[2])).get()))) throw Failure{L"writing the dump", E_FAIL};
        } else {
            ComPtr<ITypeLib> source = load(fullPath(argv[1]));
            const std::wstring out = fullPath(argv[2]);
            DeleteFileW(out.c_str());  // a failed run must not leave the last build's library behind
            const ManualHelp help(fullPath(argv[3]));
            Finisher(source.get(), out, help).run();
        }
    } catch (const Failure& failure) {
        writeUtf8(stderr, format(L"tlbfinish: %ls failed: 0x%08lX\n", failure.what.c_str(), failure.hr));
        result = 1;
    } catch (const Refusal& refusal) {
        writeUtf8(stderr, L"tlbfinish: " + refusal.what + L"\n");
        result = 1;
    } catch (const std::exception& e) {
        writeUtf8(stderr, L"tlbfinish: " + std::wstring(e.what(), e.what() + std::strlen(e.what())) + L"\n");
        result = 1;
    }
    CoUninitialize();
    return result;
}
