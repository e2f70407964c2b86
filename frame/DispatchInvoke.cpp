#include "DispatchInvoke.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "ByRefWriteBack.h"
#include "Conversions.h"
#include "ErrorInfo.h"
#include "Handles.h"
#include "TypeDescription.h"
#include "VariantCoercion.h"

namespace morvel {
namespace {

// The automation type behind a by-reference parameter (VT_VARIANT for a VARIANT*), or
// VT_EMPTY when the parameter is not passed by reference (an interface pointer, a value).
VARTYPE byRefTarget(ITypeInfo* info, const TYPEDESC& type)
{
    if (type.vt != VT_PTR || !type.lptdesc) return VT_EMPTY;
    const TYPEDESC& target = *type.lptdesc;
    switch (target.vt) {
    case VT_I2: case VT_I4: case VT_BSTR: case VT_BOOL: case VT_R4: case VT_R8:
    case VT_CY: case VT_DATE: case VT_UI1: case VT_VARIANT:
        return target.vt;
    case VT_USERDEFINED: {
        ComPtr<ITypeInfo> ref;
        if (FAILED(info->GetRefTypeInfo(target.hreftype, ref.put()))) return VT_EMPTY;
        TypeAttr attr;
        if (FAILED(attr.read(ref.get()))) return VT_EMPTY;
        return attr->typekind == TKIND_ENUM ? VT_I4 : VT_EMPTY;
    }
    default:
        return VT_EMPTY;
    }
}

// Named arguments must name parameters the member has, each once; standard dispatch would
// otherwise quietly ignore a name it cannot place, or hand one parameter two values. The
// property-put value is the one name beyond the parameters. A parameter named twice gets the
// answer the platform's own dispatch gives it (measured under Wine): the count is wrong.
HRESULT checkNamedArguments(const DispatchTable::Member& func, WORD flags, const DISPPARAMS& params)
{
    const SHORT declared = func.declared;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    std::vector<bool> named(static_cast<std::size_t>(std::max<SHORT>(declared, 0)) + 1);  // the last: the put value
    for (UINT i = 0; i < params.cNamedArgs; ++i) {
        const DISPID id = params.rgdispidNamedArgs[i];
        std::size_t slot = named.size() - 1;
        if (!put || id != DISPID_PROPERTYPUT) {
            if (declared == 0 || (put && declared == 1)) return DISP_E_NONAMEDARGS;
            if (id < 0 || id >= declared) return DISP_E_PARAMNOTFOUND;
            slot = static_cast<std::size_t>(id);
        }
        if (named[slot]) return DISP_E_BADPARAMCOUNT;
        named[slot] = true;
    }
    return S_OK;
}

// The parameter an argument goes to: named arguments come first in rgvarg, the positional
// ones follow, last first. -1 when it goes to none.
int parameterOf(const DispatchTable::Member& func, const DISPPARAMS& params, UINT k)
{
    if (k >= params.cNamedArgs) return static_cast<int>(params.cArgs - 1 - k);
    const DISPID id = params.rgdispidNamedArgs[k];
    if (id == DISPID_PROPERTYPUT) return func.parameters - 1;  // a put's value is its last parameter
    return id >= 0 && id < func.parameters ? static_cast<int>(id) : -1;
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

// Gives a host the error as it expects it from a member: through EXCEPINFO with
// DISP_E_EXCEPTION when it passed one, else as the error's own HRESULT with the thread's
// error information.
HRESULT raise(AutomationError error, const DispatchTable& table, const DispatchTable::Member& func,
              EXCEPINFO* exception) noexcept
{
    return guardStatus([&] {
        error.setSourceIfEmpty(func.source);
        if (!exception) return setAutomationError(error, table.iid());
        auto wide = [](const std::u16string& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); };
        Bstr source(wide(error.source()));
        Bstr description(wide(error.description()));
        if (!source.get() || !description.get()) return E_OUTOFMEMORY;
        *exception = EXCEPINFO{};
        exception->scode = automationHresult(error.number());
        exception->bstrSource = source.detach();
        exception->bstrDescription = description.detach();
        return DISP_E_EXCEPTION;
    });
}

// The platform reports a member's failure without error information (a bare E_POINTER,
// say) as DISP_E_EXCEPTION with an empty EXCEPINFO; a host then shows an error without a
// source or text. What is missing is filled in from the status code and the member.
void completeException(const DispatchTable::Member& func, EXCEPINFO& exception) noexcept
{
    if (exception.pfnDeferredFillIn) {
        auto fill = exception.pfnDeferredFillIn;
        exception.pfnDeferredFillIn = nullptr;
        fill(&exception);
    }
    const bool hasSource = SysStringLen(exception.bstrSource) > 0;
    const bool hasDescription = SysStringLen(exception.bstrDescription) > 0;
    if (exception.wCode == 0 && SUCCEEDED(exception.scode)) exception.scode = E_FAIL;
    if (hasSource && hasDescription) return;
    try {
        const HRESULT code = exception.wCode ? automationHresult(exception.wCode) : exception.scode;
        const AutomationError error = errorFromHresult(code);
        auto replace = [](BSTR& target, const std::u16string& value) {
            Bstr fresh(reinterpret_cast<const wchar_t*>(value.c_str()));
            if (!fresh.get()) return;
            SysFreeString(target);
            target = fresh.detach();
        };
        if (!hasSource) replace(exception.bstrSource, func.source);
        if (!hasDescription) replace(exception.bstrDescription, error.description());
    } catch (...) {
        // The failure still reaches the host, only without the missing texts.
    }
}

// A by-reference argument whose address is null: the member would read or write through
// it (standard dispatch hands it on unchecked), so it is refused before the call.
bool nullReference(const VARIANT& arg) noexcept
{
    return (V_VT(&arg) & VT_BYREF) && !V_BYREF(&arg);
}

struct ByRefCoercion {
    UINT argIndex;          // position in rgvarg
    VARIANT original;       // the caller's VT_BYREF|VT_VARIANT argument, restored afterwards
    Variant temporary;      // the coerced value the member reads and writes
    Variant before;         // the coerced value as the member received it
    bool byValue;           // the caller passed a value: nothing is written back
};

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
            Member m{desc->memid, static_cast<WORD>(desc->invkind), desc->cParams, 0, {}, {}, false,
                     desc->cParamsOpt == -1, owner};
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
            if (std::any_of(held.begin(), held.end(), [&](const Name& n) { return n.folded == parameterKey; })) continue;
            asked[1] = parameter.data();
            if (info->GetIDsOfNames(asked, 2, ids) == S_OK) held.push_back(Name{parameterKey, ids[1]});
        }
    }
    std::sort(names_.begin(), names_.end(), [](const MemberName& a, const MemberName& b) { return a.folded < b.folded; });
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

HRESULT invokeThroughTypeInfo(const DispatchTable& table, IUnknown* instance, DISPID member, WORD flags,
                              DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argError) noexcept
{
    if (!params) return E_INVALIDARG;
    if (params->cNamedArgs > 0 && !params->rgdispidNamedArgs) return E_INVALIDARG;
    if (params->cNamedArgs > params->cArgs) return E_INVALIDARG;  // a name without its value
    if (params->cArgs > 0 && !params->rgvarg) return E_INVALIDARG;
    std::vector<ByRefCoercion> coercions;
    const DispatchTable::Member* func = table.find(member, flags);
    // A script engine that calls a property with arguments as a method (JScript's
    // `lib.GetProResStrings(1)` arrives as DISPATCH_METHOD alone) means the property's read.
    if (!func && flags == DISPATCH_METHOD) {
        func = table.find(member, DISPATCH_PROPERTYGET);
        if (func) flags = DISPATCH_PROPERTYGET;
    }
    const bool found = func != nullptr;
    if (found && params->cNamedArgs > 0) {
        if (HRESULT hr = checkNamedArguments(*func, flags, *params); FAILED(hr)) return hr;
    }
    // More arguments than the member declares are refused rather than handed on: standard
    // dispatch passes the extra ones of a property get to the default member of the object
    // it returned, without a check for a null object.
    if (found && !func->vararg && params->cArgs > static_cast<UINT>(func->declared)) return DISP_E_BADPARAMCOUNT;
    if (found) {
        for (UINT k = 0; k < params->cArgs; ++k) {
            if (!nullReference(params->rgvarg[k])) continue;
            if (argError) *argError = k;
            return raise(errors::invalidProcedureCall(), table, *func, exception);
        }
    }
    // A host that leaves out trailing optional arguments explicitly (VT_ERROR with
    // DISP_E_PARAMNOTFOUND, as VBA does) means the same as one that does not send them;
    // standard dispatch would refuse the marker with a type mismatch.
    DISPPARAMS trimmed = *params;
    UINT removed = 0;
    const bool positional = params->cNamedArgs == 0;
    if (found && positional) {
        while (trimmed.cArgs > 0) {
            const VARIANT& last = trimmed.rgvarg[0];
            const UINT index = trimmed.cArgs - 1;
            const bool optional = index < static_cast<UINT>(func->parameters) && func->optional[index];
            if (!optional || V_VT(&last) != VT_ERROR || V_ERROR(&last) != DISP_E_PARAMNOTFOUND) break;
            ++trimmed.rgvarg;
            --trimmed.cArgs;
            ++removed;
        }
    }
    params = &trimmed;
    // Only a member with a by-reference typed parameter can need a coercion; the others go
    // straight through without allocating.
    if (found && params->cArgs > 0 && func->anyByRef) {
        // Reserved once: the arguments point into the temporaries from here on.
        if (HRESULT hr = guardStatus([&] {
                coercions.reserve(params->cArgs);
                return S_OK;
            });
            FAILED(hr))
            return hr;
        for (UINT k = 0; k < params->cArgs; ++k) {
            const int parameter = parameterOf(*func, *params, k);
            if (parameter < 0 || parameter >= func->parameters) continue;
            VARIANT& arg = params->rgvarg[k];
            const VARTYPE target = func->byRef[parameter];
            if (target == VT_EMPTY) continue;
            // A value passed to a by-reference parameter: standard dispatch hands the member
            // the caller's own storage, and a member that writes its parameter back would
            // free the caller's text. The member gets a copy; the caller sees no change.
            const bool byValue = !(V_VT(&arg) & VT_BYREF) && V_VT(&arg) != VT_ERROR;
            if (target == VT_VARIANT) {
                // The same for a VARIANT* parameter: the platform's dispatch writes the
                // parameter back over a value argument, freeing the caller's text and
                // leaving a copy the caller never frees. A variable goes through as it is.
                if (!byValue) continue;
                coercions.push_back(ByRefCoercion{k, arg, Variant(), Variant(), true});
                ByRefCoercion& c = coercions.back();
                if (HRESULT hr = VariantCopy(c.temporary.get(), &arg); FAILED(hr)) {
                    for (auto& done : coercions) params->rgvarg[done.argIndex] = done.original;
                    if (hr == E_OUTOFMEMORY) return hr;
                    if (argError) *argError = k + removed;
                    return DISP_E_TYPEMISMATCH;
                }
                V_VT(&arg) = VT_BYREF | VT_VARIANT;
                V_VARIANTREF(&arg) = c.temporary.get();
                continue;
            }
            if (!byValue && (V_VT(&arg) != (VT_BYREF | VT_VARIANT) || !V_VARIANTREF(&arg))) continue;
            coercions.push_back(ByRefCoercion{k, arg, Variant(), Variant(), byValue});
            ByRefCoercion& c = coercions.back();
            // The coercion would follow a reference to nothing inside the caller's variable;
            // the checked copy refuses it, and the argument is then a mismatch like any other.
            Variant plain;
            HRESULT hr = byValue ? VariantCopy(plain.get(), &arg) : copyByValue(plain.get(), arg);
            if (SUCCEEDED(hr)) hr = VariantChangeType(c.temporary.get(), plain.get(), 0, target);
            if (SUCCEEDED(hr)) hr = VariantCopy(c.before.get(), c.temporary.get());
            if (FAILED(hr)) {
                for (auto& done : coercions) params->rgvarg[done.argIndex] = done.original;
                if (argError) *argError = k + removed;
                return DISP_E_TYPEMISMATCH;
            }
            V_VT(&arg) = VT_BYREF | target;
            V_BYREF(&arg) = &c.temporary.get()->lVal;  // every listed type starts at the union
        }
    }
    HRESULT hr = table.typeInfo()->Invoke(instance, member, flags, params, result, exception, argError);
    if (argError && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND)) *argError += removed;
    if (hr == DISP_E_EXCEPTION && exception && found) completeException(*func, *exception);

    // Restore the caller's arguments and hand back what the member wrote, also when it
    // failed afterwards, as a vtable caller sees it. A variable the member only read keeps
    // its own value and type ("5" stays a text). The member's own failure is the answer.
    for (auto& c : coercions) {
        params->rgvarg[c.argIndex] = c.original;
        if (c.byValue || !rewritten(*c.temporary.get(), *c.before.get())) continue;
        if (HRESULT copied = VariantCopy(V_VARIANTREF(&c.original), c.temporary.get()); FAILED(copied) && SUCCEEDED(hr))
            hr = copied;
    }
    return hr;
}

}  // namespace morvel
