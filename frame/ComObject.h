#pragma once
// One implementation of IUnknown, IDispatch and ISupportErrorInfo for every published
// class. `Itf` is the class's dual interface as widl declares it; dispatch goes through
// that interface's type information from the module's own type library.

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <new>

#include "DispatchInvoke.h"
#include "Handles.h"
#include "Module.h"

namespace morvel {

template <class Derived, class Itf>
class ComObject : public Itf, public ISupportErrorInfo {
public:
    ComObject() noexcept { module::objectCreated(); }
    virtual ~ComObject() { module::objectDestroyed(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // Creation entry of the class table: a new object per request.
    static HRESULT create(REFIID iid, void** object) noexcept
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        Derived* fresh = new (std::nothrow) Derived();
        if (!fresh) return E_OUTOFMEMORY;
        fresh->AddRef();
        HRESULT hr = fresh->QueryInterface(iid, object);
        fresh->Release();
        return hr;
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Itf))
            *object = static_cast<Itf*>(this);
        else if (iid == IID_ISupportErrorInfo)
            *object = static_cast<ISupportErrorInfo*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --references_;
        if (left == 0) delete static_cast<Derived*>(this);
        return left;
    }

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
        ComPtr<ITypeInfo> info;
        if (HRESULT hr = module::typeInfo(__uuidof(Itf), info.put(), true); FAILED(hr)) return hr;
        return info->GetIDsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override
    {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> info;
        if (HRESULT hr = module::typeInfo(__uuidof(Itf), info.put(), true); FAILED(hr)) return hr;
        return invokeThroughTypeInfo(info.get(), static_cast<Itf*>(this), member, flags, params, result,
                                     exception, argError);
    }

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override
    {
        return iid == __uuidof(Itf) ? S_OK : S_FALSE;
    }

private:
    std::atomic<ULONG> references_{0};
};

}  // namespace morvel
