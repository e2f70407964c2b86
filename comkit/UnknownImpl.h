#pragma once
// The one IUnknown of every object the library (and its companion stand-in) hands out:
// reference counting, and QueryInterface answering IUnknown and each listed interface
// (IDispatch too for the dual ones). `Counter` says how the object counts towards its
// module's DllCanUnloadNow: a type with static created() and destroyed().

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <type_traits>
#include <utility>

#include "ErrorInfo.h"

namespace morvel {

template <class Counter, class First, class... Rest>
class UnknownImpl : public First, public Rest... {
public:
    UnknownImpl(const UnknownImpl&) = delete;
    UnknownImpl& operator=(const UnknownImpl&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        // The first interface stands for the object's identity.
        if (iid == IID_IUnknown)
            *object = static_cast<First*>(this);
        else if (!(answer<First>(iid, object) || (answer<Rest>(iid, object) || ...)))
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    UnknownImpl() noexcept { Counter::created(); }
    virtual ~UnknownImpl() { Counter::destroyed(); }

private:
    template <class Itf>
    bool answer(REFIID iid, void** object) noexcept
    {
        if (iid != __uuidof(Itf) && !(std::is_base_of_v<IDispatch, Itf> && iid == IID_IDispatch)) return false;
        *object = static_cast<Itf*>(this);
        return true;
    }

    std::atomic<ULONG> references_{0};
};

// A late-bound object without type information: hosts find its members by name only.
template <class Counter>
class UntypedDispatch : public UnknownImpl<Counter, IDispatch> {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (!info) return E_POINTER;
        *info = nullptr;
        return DISP_E_BADINDEX;
    }
};

// Makes a `T` and hands out the interface asked for; the object dies again when it has
// none of that kind.
template <class T, class... Args>
HRESULT createInstance(REFIID iid, void** object, Args&&... args) noexcept
{
    if (!object) return E_POINTER;
    *object = nullptr;
    // A constructor may allocate what the object owns; its failure ends here, as a status.
    T* fresh = nullptr;
    if (HRESULT hr = guardStatus([&] {
            fresh = new T(std::forward<Args>(args)...);
            return S_OK;
        });
        FAILED(hr))
        return hr;
    fresh->AddRef();
    const HRESULT hr = fresh->QueryInterface(iid, object);
    fresh->Release();
    return hr;
}

}  // namespace morvel
