#pragma once
// IDispatch and ISupportErrorInfo, on top of UnknownImpl, for every published class.
// `Itf` is the class's dual interface as widl declares it; dispatch goes through that
// interface's type information from the module's own type library.

#include <windows.h>
#include <oaidl.h>

#include <atomic>

#include "DispatchInvoke.h"
#include "Handles.h"
#include "Module.h"
#include "UnknownImpl.h"

namespace morvel {

template <class Derived, class Itf>
class ComObject : public UnknownImpl<module::ObjectCount, Itf, ISupportErrorInfo> {
public:
    // Creation entry of the class table: a new object per request.
    static HRESULT create(REFIID iid, void** object) noexcept { return createInstance<Derived>(iid, object); }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return module::typeInfo(__uuidof(Itf), info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        if (!names || !ids) return E_POINTER;
        // The platform's lookup would read a first name and write its id even when the
        // caller sent none; no names find no member.
        if (count == 0) return DISP_E_UNKNOWNNAME;
        const DispatchTable* table = nullptr;
        if (HRESULT hr = dispatchTable(table); FAILED(hr)) return hr;
        return table->idsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override
    {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        const DispatchTable* table = nullptr;
        if (HRESULT hr = dispatchTable(table); FAILED(hr)) return hr;
        return invokeThroughTypeInfo(*table, static_cast<Itf*>(this), member, flags, params, result, exception,
                                     argError);
    }

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override { return iid == __uuidof(Itf) ? S_OK : S_FALSE; }

private:
    // The interface's table, asked of the module once per object rather than on every
    // call (the module's cache takes a lock and a map lookup). Two threads that race here
    // store the same pointer.
    HRESULT dispatchTable(const DispatchTable*& table) noexcept
    {
        table = dispatch_.load(std::memory_order_acquire);
        if (table) return S_OK;
        if (HRESULT hr = module::dispatchTable(__uuidof(Itf), table); FAILED(hr)) return hr;
        dispatch_.store(table, std::memory_order_release);
        return S_OK;
    }

    std::atomic<const DispatchTable*> dispatch_{nullptr};
};

}  // namespace morvel
