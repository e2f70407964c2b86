#pragma once
// The late-bound base every class of the stand-in companion shares. The module's own
// pieces (instance, counts, entry point) are frame/ServerModule.cpp, compiled in here too.

#include <windows.h>
#include <oaidl.h>

#include "frame/ServerModule.h"
#include "frame/UnknownImpl.h"

namespace ostrel {

// The argument at natural position `index` of a call, looked through a script's
// VT_BYREF|VT_VARIANT. Null when the call has fewer arguments.
const VARIANT* argumentAt(const DISPPARAMS& params, UINT index) noexcept;

struct MemberName {
    const wchar_t* name;
    DISPID id;
};

// A name-table IDispatch for a class with a few methods; `Derived` lists its `members` and
// answers `call(id, params, result)`. No type information: late binding only.
template <class Derived>
class LateBoundObject : public morvel::UntypedDispatch<morvel::module::ObjectCount> {
public:
    static HRESULT create(REFIID iid, void** object) noexcept { return morvel::createInstance<Derived>(iid, object); }

    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (!names || !ids) return E_POINTER;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (count == 0 || !names[0]) return DISP_E_UNKNOWNNAME;
        for (const MemberName& m : Derived::members) {
            if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, names[0], -1, m.name, -1) == CSTR_EQUAL) {
                ids[0] = m.id;
                return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;  // no named arguments here
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT* argError) override
    {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (!params) return E_INVALIDARG;
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        if (params->cNamedArgs) return DISP_E_NONAMEDARGS;
        if (result) VariantInit(result);
        try {
            return static_cast<Derived*>(this)->call(member, *params, argError);
        } catch (...) {
            return E_OUTOFMEMORY;  // the only thing the members can throw
        }
    }
};

}  // namespace ostrel
