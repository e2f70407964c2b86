#include "DispatchTable.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "Conversions.h"
#include "ErrorInfo.h"
#include "TypeDescription.h"

namespace morvel {
namespace {

// The automation type behind a by-reference parameter (VT_VARIANT for a VARIANT*), or
// VT_EMPTY when the parameter is not passed by reference (an interface pointer, a value).
VARTYPE byRefTarget(ITypeInfo* info, const TYPEDESC& type)
{
    if (type.vt != VT_PTR || !type.lptdesc) return VT_EMPTY;
    const TYPEDESC& target = *type.lptdesc;
    switch (target.vt) {
    case VT_I2:
    case VT_I4:
    case VT_BSTR:
    case VT_BOOL:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_UI1:
    case VT_VARIANT: return target.vt;
    case VT_USERDEFINED: {
        ComPtr<ITypeInfo> ref;
        if (FAILED(info->GetRefTypeInfo(target.hreftype, ref.put()))) return VT_EMPTY;
        TypeAttr attr;
        if (FAILED(attr.read(ref.get()))) return VT_EMPTY;
        return attr->typekind == TKIND_ENUM ? VT_I4 : VT_EMPTY;
    }
    default: return VT_EMPTY;
    }
}

// The name a class publishes its errors under: the interface's name without the leading
// underscore of a class's default interface.
std::u16string className(ITypeInfo* info)
{
    Bstr name;
    if (FAILED(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr))) return {};
    std::u16string out = fromBstrOrEmpty(name.get());
    if (!out.empty() && out.front() == u'_') out.erase(0, 1);
    return out;
}

// Member names are identifiers: ASCII letters, digits and underscores. For such names the
// library's locale ignores nothing and folds only the letters, so ASCII case folding is
// the whole comparison.
bool isIdentifierChar(wchar_t c) noexcept
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_';
}

bool isIdentifier(std::wstring_view name) noexcept
{
    return !name.empty() && std::all_of(name.begin(), name.end(), isIdentifierChar);
}

wchar_t folded(wchar_t c) noexcept { return c >= L'a' && c <= L'z' ? wchar_t(c - L'a' + L'A') : c; }

std::wstring folded(std::wstring_view name)
{
    std::wstring out(name);
    for (wchar_t& c : out) c = folded(c);
    return out;
}

// Orders a name as asked against a folded one, folding the asked name as it goes.
int compareFolded(std::wstring_view asked, std::wstring_view held) noexcept
{
    const size_t n = std::min(asked.size(), held.size());
    for (size_t i = 0; i < n; ++i) {
        const wchar_t a = folded(asked[i]);
        if (a != held[i]) return a < held[i] ? -1 : 1;
    }
    return asked.size() < held.size() ? -1 : asked.size() > held.size() ? 1 : 0;
}

std::wstring wideText(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

// A name the type information could match as a member, with the names of its parameters.
struct NameCandidate {
    std::wstring name;
    std::vector<std::wstring> parameters;
};

// The functions and variables of `info` and, through what it derives from, the inherited
// ones (IDispatch's and IUnknown's), in the order the platform's lookup walks them. False
// when some description could not be read: the list may then miss a name.
bool collectNames(ITypeInfo* info, std::vector<NameCandidate>& out, int depth)
{
    if (depth > 8) return false;  // only a broken library derives this deep
    TypeAttr attr;
    if (FAILED(attr.read(info))) return false;
    bool complete = true;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FuncDesc desc;
        UINT got = 0;
        std::vector<BSTR> raw;
        std::vector<Bstr> names;  // made before the call, so taking the names over cannot fail
        if (SUCCEEDED(desc.read(info, i))) {
            raw.resize(desc->cParams + 1, nullptr);
            names.resize(raw.size());
        }
        if (raw.empty() || FAILED(info->GetNames(desc->memid, raw.data(), static_cast<UINT>(raw.size()), &got)) ||
            got == 0) {
            complete = false;
            continue;
        }
        for (UINT k = 0; k < got && k < names.size(); ++k) names[k] = Bstr::adopt(raw[k]);
        NameCandidate candidate{wideText(names[0].get()), {}};
        for (UINT k = 1; k < got && k < names.size(); ++k) candidate.parameters.push_back(wideText(names[k].get()));
        out.push_back(std::move(candidate));
    }
    for (UINT i = 0; i < attr->cVars; ++i) {
        VARDESC* var = nullptr;
        if (FAILED(info->GetVarDesc(i, &var))) {
            complete = false;
            continue;
        }
        const MEMBERID id = var->memid;
        info->ReleaseVarDesc(var);
        Bstr name;
        if (FAILED(info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr))) {
            complete = false;
            continue;
        }
        out.push_back(NameCandidate{wideText(name.get()), {}});
    }
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> base;
        if (FAILED(info->GetRefTypeOfImplType(i, &ref)) || FAILED(info->GetRefTypeInfo(ref, base.put()))) {
            complete = false;
            continue;
        }
        complete = collectNames(base.get(), out, depth + 1) && complete;
    }
    return complete;
}

}  // namespace

HRESULT DispatchTable::build(ITypeInfo* info, std::shared_ptr<const DispatchTable>& table) noexcept
{
    table.reset();
    TypeAttr attr;
    if (HRESULT hr = attr.read(info); FAILED(hr)) return hr;
    return guardStatus([&] {
        auto built = std::make_shared<DispatchTable>();
        built->iid_ = attr->guid;
        built->info_ = ComPtr<ITypeInfo>::addRef(info);
        const std::u16string owner = className(info);
        built->members_.reserve(attr->cFuncs);
        for (UINT i = 0; i < attr->cFuncs; ++i) {
            FuncDesc desc;
            if (FAILED(desc.read(info, i))) continue;  // as a lookup by walking would skip it
            Member m{desc->memid, static_cast<WORD>(desc->invkind), desc->cParams, 0, {}, {},
                     false,       desc->cParamsOpt == -1,           owner};
            Bstr name;
            if (SUCCEEDED(info->GetDocumentation(desc->memid, name.put(), nullptr, nullptr, nullptr)))
                m.source += u"." + fromBstrOrEmpty(name.get());
            m.optional.resize(desc->cParams);
            m.byRef.resize(desc->cParams);
            for (SHORT p = 0; p < desc->cParams; ++p) {
                const ELEMDESC& param = desc->lprgelemdescParam[p];
                if (!(param.paramdesc.wParamFlags & PARAMFLAG_FRETVAL)) ++m.declared;
                m.optional[p] = param.paramdesc.wParamFlags & PARAMFLAG_FOPT;
                m.byRef[p] = byRefTarget(info, param.tdesc);
                if (m.byRef[p] != VT_EMPTY) m.anyByRef = true;
            }
            built->members_.push_back(std::move(m));
        }
        std::stable_sort(built->members_.begin(), built->members_.end(),
                         [](const Member& a, const Member& b) { return a.id < b.id; });
        built->readNames(info);
        table = std::move(built);
        return S_OK;
    });
}

// The names are the platform's own answers: each candidate is asked of the type
// information once, and only what it places is kept, with the id it gives. So the table
// can only repeat the platform, never contradict it; whatever it does not hold is either
// known to be absent (the candidates covered every name) or asked of the platform again.
void DispatchTable::readNames(ITypeInfo* info)
{
    std::vector<NameCandidate> candidates;
    allNames_ = collectNames(info, candidates, 0);
    for (NameCandidate& candidate : candidates) {
        // A name with other characters could equal an identifier under the linguistic
        // comparison; then no miss is certain, and misses are asked of the platform.
        if (!isIdentifier(candidate.name)) {
            allNames_ = false;
            continue;
        }
        LPOLESTR asked[2] = {candidate.name.data(), nullptr};
        DISPID ids[2] = {DISPID_UNKNOWN, DISPID_UNKNOWN};
        if (info->GetIDsOfNames(asked, 1, ids) != S_OK) continue;
        const std::wstring key = folded(candidate.name);
        auto entry = std::find_if(names_.begin(), names_.end(), [&](const MemberName& m) { return m.folded == key; });
        if (entry == names_.end()) entry = names_.insert(names_.end(), MemberName{key, ids[0], {}});
        for (std::wstring& parameter : candidate.parameters) {
            if (!isIdentifier(parameter)) {
                allNames_ = allNames_ && parameter.empty();  // an unnamed parameter matches no name
                continue;
            }
            const std::wstring parameterKey = folded(parameter);
            auto& held = entry->parameters;
            if (std::any_of(held.begin(), held.end(), [&](const Name& n) { return n.folded == parameterKey; }))
                continue;
            asked[1] = parameter.data();
            if (info->GetIDsOfNames(asked, 2, ids) == S_OK) held.push_back(Name{parameterKey, ids[1]});
        }
    }
    std::sort(names_.begin(), names_.end(),
              [](const MemberName& a, const MemberName& b) { return a.folded < b.folded; });
}

const DispatchTable::MemberName* DispatchTable::findName(std::wstring_view asked) const noexcept
{
    auto it = std::lower_bound(names_.begin(), names_.end(), asked,
                               [](const MemberName& m, std::wstring_view a) { return compareFolded(a, m.folded) > 0; });
    return it != names_.end() && compareFolded(asked, it->folded) == 0 ? &*it : nullptr;
}

HRESULT DispatchTable::idsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const noexcept
{
    auto noneKnown = [&] {
        std::fill(ids, ids + count, DISPID_UNKNOWN);
        return DISP_E_UNKNOWNNAME;
    };
    if (!names[0]) return noneKnown();
    for (UINT i = 0; i < count; ++i)
        if (names[i] && !isIdentifier(names[i])) return idsFromTypeInfo(names, count, ids);
    const MemberName* member = findName(names[0]);
    if (!member) return allNames_ ? noneKnown() : idsFromTypeInfo(names, count, ids);
    HRESULT hr = S_OK;
    for (UINT i = 1; i < count; ++i) {
        const Name* parameter = nullptr;
        if (names[i]) {
            for (const Name& p : member->parameters)
                if (compareFolded(names[i], p.folded) == 0) parameter = &p;
            if (!parameter && !allNames_) return idsFromTypeInfo(names, count, ids);
        }
        ids[i] = parameter ? parameter->id : DISPID_UNKNOWN;
        if (!parameter) hr = DISP_E_UNKNOWNNAME;
    }
    ids[0] = member->id;
    return hr;
}

// The platform's own lookup, for names the table cannot answer. A null name is not handed
// on (the platform would read through it): it goes as a name nothing has, and its id is
// DISPID_UNKNOWN.
HRESULT DispatchTable::idsFromTypeInfo(LPOLESTR* names, UINT count, DISPID* ids) const noexcept
{
    return guardStatus([&] {
        static wchar_t nothing[] = L"";
        std::vector<LPOLESTR> asked(names, names + count);
        for (LPOLESTR& name : asked)
            if (!name) name = nothing;
        HRESULT hr = info_->GetIDsOfNames(asked.data(), count, ids);
        for (UINT i = 0; i < count; ++i) {
            if (names[i]) continue;
            ids[i] = DISPID_UNKNOWN;
            hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    });
}

const DispatchTable::Member* DispatchTable::find(DISPID id, WORD flags) const noexcept
{
    auto it = std::lower_bound(members_.begin(), members_.end(), id,
                               [](const Member& m, DISPID wanted) { return m.id < wanted; });
    for (; it != members_.end() && it->id == id; ++it)
        if (it->invokeKinds & flags) return &*it;
    return nullptr;
}

}  // namespace morvel
