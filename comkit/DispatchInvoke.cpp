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
bool nullReference(const VARIANT& arg) noexcept { return (V_VT(&arg) & VT_BYREF) && !V_BYREF(&arg); }

struct ByRefCoercion {
    UINT argIndex;      // position in rgvarg
    VARIANT original;   // the caller's VT_BYREF|VT_VARIANT argument, restored afterwards
    Variant temporary;  // the coerced value the member reads and writes
    Variant before;     // the coerced value as the member received it
    bool byValue;       // the caller passed a value: nothing is written back
};

}  // namespace

namespace {

// The member a call means. A script engine that calls a property with arguments as a
// method (JScript's `lib.GetProResStrings(1)` arrives as DISPATCH_METHOD alone) means the
// property's read; `flags` then says so.
const DispatchTable::Member* memberCalled(const DispatchTable& table, DISPID member, WORD& flags) noexcept
{
    const DispatchTable::Member* func = table.find(member, flags);
    if (!func && flags == DISPATCH_METHOD) {
        func = table.find(member, DISPATCH_PROPERTYGET);
        if (func) flags = DISPATCH_PROPERTYGET;
    }
    return func;
}

// The arguments a known member refuses before the call: names it does not have, more
// arguments than it declares, a by-reference argument whose address is null.
HRESULT refusedArguments(const DispatchTable& table, const DispatchTable::Member& func, WORD flags,
                         const DISPPARAMS& params, EXCEPINFO* exception, UINT* argError)
{
    if (params.cNamedArgs > 0) {
        if (HRESULT hr = checkNamedArguments(func, flags, params); FAILED(hr)) return hr;
    }
    // More arguments than the member declares are refused rather than handed on: standard
    // dispatch passes the extra ones of a property get to the default member of the object
    // it returned, without a check for a null object.
    if (!func.vararg && params.cArgs > static_cast<UINT>(func.declared)) return DISP_E_BADPARAMCOUNT;
    for (UINT k = 0; k < params.cArgs; ++k) {
        if (!nullReference(params.rgvarg[k])) continue;
        if (argError) *argError = k;
        return raise(errors::invalidProcedureCall(), table, func, exception);
    }
    return S_OK;
}

// A host that leaves out trailing optional arguments explicitly (VT_ERROR with
// DISP_E_PARAMNOTFOUND, as VBA does) means the same as one that does not send them;
// standard dispatch would refuse the marker with a type mismatch. Drops them from
// `params` and returns how many.
UINT dropMissingOptionals(const DispatchTable::Member& func, DISPPARAMS& params) noexcept
{
    UINT removed = 0;
    while (params.cArgs > 0) {
        const VARIANT& last = params.rgvarg[0];
        const UINT index = params.cArgs - 1;
        const bool optional = index < static_cast<UINT>(func.parameters) && func.optional[index];
        if (!optional || V_VT(&last) != VT_ERROR || V_ERROR(&last) != DISP_E_PARAMNOTFOUND) break;
        ++params.rgvarg;
        --params.cArgs;
        ++removed;
    }
    return removed;
}

// Points each argument of a by-reference typed parameter at a temporary of the parameter's
// type (see ByRefCoercion). On failure the caller's arguments are as they were.
HRESULT coerceByRefArguments(const DispatchTable::Member& func, DISPPARAMS& params, UINT removed,
                             std::vector<ByRefCoercion>& coercions, UINT* argError)
{
    // Reserved once: the arguments point into the temporaries from here on.
    if (HRESULT hr = guardStatus([&] {
            coercions.reserve(params.cArgs);
            return S_OK;
        });
        FAILED(hr))
        return hr;
    auto refuse = [&](UINT k, HRESULT hr) {
        for (auto& done : coercions) params.rgvarg[done.argIndex] = done.original;
        if (hr == E_OUTOFMEMORY) return hr;
        if (argError) *argError = k + removed;
        return DISP_E_TYPEMISMATCH;
    };
    for (UINT k = 0; k < params.cArgs; ++k) {
        const int parameter = parameterOf(func, params, k);
        if (parameter < 0 || parameter >= func.parameters) continue;
        VARIANT& arg = params.rgvarg[k];
        const VARTYPE target = func.byRef[parameter];
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
            if (HRESULT hr = VariantCopy(c.temporary.get(), &arg); FAILED(hr)) return refuse(k, hr);
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
        if (FAILED(hr)) return refuse(k, S_OK);
        V_VT(&arg) = VT_BYREF | target;
        V_BYREF(&arg) = &c.temporary.get()->lVal;  // every listed type starts at the union
    }
    return S_OK;
}

// Restores the caller's arguments and hands back what the member wrote, also when it
// failed afterwards, as a vtable caller sees it. A variable the member only read keeps
// its own value and type ("5" stays a text). The member's own failure is the answer.
HRESULT restoreArguments(DISPPARAMS& params, std::vector<ByRefCoercion>& coercions, HRESULT hr)
{
    for (auto& c : coercions) {
        params.rgvarg[c.argIndex] = c.original;
        if (c.byValue || !rewritten(*c.temporary.get(), *c.before.get())) continue;
        if (HRESULT copied = VariantCopy(V_VARIANTREF(&c.original), c.temporary.get()); FAILED(copied) && SUCCEEDED(hr))
            hr = copied;
    }
    return hr;
}

}  // namespace

HRESULT invokeThroughTypeInfo(const DispatchTable& table, IUnknown* instance, DISPID member, WORD flags,
                              DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argError) noexcept
{
    if (!params) return E_INVALIDARG;
    if (params->cNamedArgs > 0 && !params->rgdispidNamedArgs) return E_INVALIDARG;
    if (params->cNamedArgs > params->cArgs) return E_INVALIDARG;  // a name without its value
    if (params->cArgs > 0 && !params->rgvarg) return E_INVALIDARG;
    const DispatchTable::Member* func = memberCalled(table, member, flags);
    DISPPARAMS trimmed = *params;
    UINT removed = 0;
    std::vector<ByRefCoercion> coercions;
    if (func) {
        if (HRESULT hr = refusedArguments(table, *func, flags, *params, exception, argError); FAILED(hr)) return hr;
        if (params->cNamedArgs == 0) removed = dropMissingOptionals(*func, trimmed);
        // Only a member with a by-reference typed parameter can need a coercion; the others
        // go straight through without allocating.
        if (trimmed.cArgs > 0 && func->anyByRef) {
            if (HRESULT hr = coerceByRefArguments(*func, trimmed, removed, coercions, argError); FAILED(hr)) return hr;
        }
    }
    HRESULT hr = table.typeInfo()->Invoke(instance, member, flags, &trimmed, result, exception, argError);
    if (argError && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND)) *argError += removed;
    if (hr == DISP_E_EXCEPTION && exception && func) completeException(*func, *exception);
    return restoreArguments(trimmed, coercions, hr);
}

}  // namespace morvel
