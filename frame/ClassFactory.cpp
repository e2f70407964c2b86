#include "ClassFactory.h"

#include <atomic>
#include <new>

#include "Module.h"

namespace morvel {
namespace {

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const ClassEntry& entry) noexcept : entry_(entry) { module::objectCreated(); }
    ~ClassFactory() { module::objectDestroyed(); }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
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

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return entry_.create(iid, object);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            module::lock();
        else
            module::unlock();
        return S_OK;
    }

private:
    const ClassEntry& entry_;
    std::atomic<ULONG> references_{0};
};

}  // namespace

HRESULT createClassFactory(const ClassEntry& entry, REFIID iid, void** factory) noexcept
{
    if (!factory) return E_POINTER;
    *factory = nullptr;
    auto* fresh = new (std::nothrow) ClassFactory(entry);
    if (!fresh) return E_OUTOFMEMORY;
    fresh->AddRef();
    HRESULT hr = fresh->QueryInterface(iid, factory);
    fresh->Release();
    return hr;
}

}  // namespace morvel
