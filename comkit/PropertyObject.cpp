#include "PropertyObject.h"

#include "NameTableDispatch.h"
#include "ServerModule.h"
#include "UnknownImpl.h"

namespace morvel {
namespace {

class PropertyObject final : public UntypedDispatch<module::ObjectCount> {
public:
    explicit PropertyObject(NamedValues values) noexcept : values_(std::move(values)) {}

    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        return idsOfNamesFromTable(iid, names, count, ids, [&](const wchar_t* name) -> DISPID {
            for (size_t k = 0; k < values_.size(); ++k)
                if (sameMemberName(name, values_[k].first.c_str())) return static_cast<DISPID>(k + 1);
            return DISPID_UNKNOWN;
        });
    }
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override
    {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (member < 1 || static_cast<size_t>(member) > values_.size()) return DISP_E_MEMBERNOTFOUND;
        if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
        if (params && (params->cArgs != 0 || params->cNamedArgs != 0)) return DISP_E_BADPARAMCOUNT;
        if (!result) return S_OK;
        VariantInit(result);
        return VariantCopy(result, const_cast<VARIANT*>(values_[member - 1].second.get()));
    }

private:
    const NamedValues values_;
};

}  // namespace

ComPtr<IDispatch> createPropertyObject(NamedValues values)
{
    auto* fresh = new PropertyObject(std::move(values));
    return ComPtr<IDispatch>::addRef(fresh);
}

}  // namespace morvel
