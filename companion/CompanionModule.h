#pragma once
// The stand-in companion module: its instance, the count of live objects and locks, and
// the late-bound base every class of it shares.

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <new>
#include <span>
#include <string>

namespace ostrel {

namespace module {
HINSTANCE instance() noexcept;
std::wstring path();
void objectCreated() noexcept;
void objectDestroyed() noexcept;
void lock() noexcept;
void unlock() noexcept;
bool canUnload() noexcept;
}  // namespace module

// The argument at natural position `index` of a call, looked through a script's
// VT_BYREF|VT_VARIANT. Null when the call has fewer arguments.
const VARIANT* argumentAt(const DISPPARAMS& params, UINT index) noexcept;

struct MemberName {
    const wchar_t* name;
    DISPID id;
};

// IUnknown and a name-table IDispatch for a class with a few methods; `Derived` lists its
// `members` and answers `call(id, params, result)`. No type information: late binding only.
template <class Derived>
class LateBoundObject : public IDispatch {
public:
    LateBoundObject() noexcept { module::objectCreated(); }
    virtual ~LateBoundObject() { module::objectDestroyed(); }
    LateBoundObject(const LateBoundObject&) = delete;
    LateBoundObject& operator=(const LateBoundObject&) = delete;

    static HRESULT create(REFIID iid, void** object) noexcept
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        auto* fresh = new (std::nothrow) Derived();
        if (!fresh) return E_OUTOFMEMORY;
        fresh->AddRef();
        const HRESULT hr = fresh->QueryInterface(iid, object);
        fresh->Release();
        return hr;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
        *object = static_cast<IDispatch*>(this);
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

private:
    std::atomic<ULONG> references_{0};
};

}  // namespace ostrel
