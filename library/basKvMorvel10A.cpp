#include "basKvMorvel10A.h"

#include <objbase.h>

#include <memory>
#include <new>
#include <utility>

#include "ApplicationInfo.h"
#include "comkit/ThreadPrimitives.h"
#include "comkit/ErrorInfo.h"
#include "comkit/Module.h"
#include "comkit/UnknownImpl.h"

namespace morvel::basKvMorvel10A {
namespace {

struct ThreadData {
    ComPtr<IDispatch> buddy;
    ComPtr<IDispatch> app;
    ULARGE_INTEGER spyCookie{};
};

// A plain pointer: a per-thread destructor would run at thread detach, under the loader
// lock, which is exactly where releasing foreign objects must not happen.
ThreadSlot t_slot;
ThreadData* currentData() noexcept { return static_cast<ThreadData*>(t_slot.get()); }

void endOfApartment() noexcept;

// Watches the thread's CoUninitialize calls. While registered it counts as a live object,
// so the module stays loaded for as long as COM may call it.
class ApartmentSpy final : public UnknownImpl<module::ObjectCount, IInitializeSpy> {
public:
    STDMETHODIMP PreInitialize(DWORD, DWORD) override { return S_OK; }
    STDMETHODIMP PostInitialize(HRESULT result, DWORD, DWORD) override { return result; }
    // The last CoUninitialize of the apartment is announced with a count of 1. The data is
    // released here, while the apartment still exists, because the slot may hold a proxy
    // or a script object that needs it to go away cleanly.
    STDMETHODIMP PreUninitialize(DWORD apartmentReferences) override
    {
        if (apartmentReferences == 1) endOfApartment();  // may release this spy: touch nothing after
        return S_OK;
    }
    STDMETHODIMP PostUninitialize(DWORD) override { return S_OK; }
};

void endOfApartment() noexcept
{
    ThreadData* data = currentData();
    t_slot.set(nullptr);
    if (!data) return;
    // Move the references out first: releasing them runs foreign code, which may well
    // come back and use the slot again (it then starts afresh).
    ComPtr<IDispatch> buddy = std::move(data->buddy);
    ComPtr<IDispatch> app = std::move(data->app);
    const ULARGE_INTEGER cookie = data->spyCookie;
    delete data;
    // A refusal can only mean COM has forgotten the spy already: nothing is left to undo.
    if (FAILED(CoRevokeInitializeSpy(cookie))) return;
}

ThreadData& threadData()
{
    if (ThreadData* current = currentData()) return *current;
    auto data = std::make_unique<ThreadData>();
    auto* spy = new (std::nothrow) ApartmentSpy();
    if (!spy) throw std::bad_alloc();
    // COM keeps its own reference; ours goes at the end of this scope.
    ComPtr<IInitializeSpy> held = ComPtr<IInitializeSpy>::addRef(spy);
    if (HRESULT hr = CoRegisterInitializeSpy(held.get(), &data->spyCookie); FAILED(hr)) throw errorFromHresult(hr);
    ThreadData* created = data.release();
    t_slot.set(created);
    return *created;
}

}  // namespace

ComPtr<IDispatch> BuddyObjectGlobal() noexcept
{
    ThreadData* data = currentData();
    return data ? data->buddy : ComPtr<IDispatch>();
}

void setBuddyObjectGlobal(IDispatch* object)
{
    if (!object && !currentData()) return;  // emptying a slot that was never used
    ComPtr<IDispatch> fresh = ComPtr<IDispatch>::addRef(object);
    ThreadData& data = threadData();
    // The swap leaves the old reference in `fresh`, released only when it goes out of
    // scope: storing the object already held never drops its last reference first.
    std::swap(data.buddy, fresh);
}

ComPtr<IDispatch> App()
{
    ThreadData& data = threadData();
    if (!data.app) data.app = createApplicationInfo();
    return data.app;
}

}  // namespace morvel::basKvMorvel10A
