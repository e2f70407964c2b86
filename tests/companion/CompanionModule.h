#pragma once
// The late-bound base every class of the stand-in companion shares. The module's own
// pieces (entry points, class factory, registration, object counts) are the COM-server kit's,
// compiled in here too over the companion's class table (CompanionModule.cpp).

#include <windows.h>
#include <oaidl.h>

#include "comkit/ErrorInfo.h"
#include "comkit/NameTableDispatch.h"
#include "comkit/ServerModule.h"
#include "comkit/UnknownImpl.h"

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
        return morvel::idsOfNamesFromTable(iid, names, count, ids, [](const wchar_t* name) -> DISPID {
            for (const MemberName& m : Derived::members)
                if (morvel::sameMemberName(name, m.name)) return m.id;
            return DISPID_UNKNOWN;
        });
    }
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT* argError) override
    {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (!params) return E_INVALIDARG;
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        if (params->cNamedArgs) return DISP_E_NONAMEDARGS;
        if (result) VariantInit(result);
        return morvel::guardStatus([&] { return static_cast<Derived*>(this)->call(member, *params, argError); });
    }
};

}  // namespace ostrel
