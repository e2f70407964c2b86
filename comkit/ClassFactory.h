#pragma once
// The class factory handed out by DllGetClassObject: one per request, bound to the
// creation function of one class of the DLL's class table.

#include <windows.h>
#include <unknwn.h>

#include "ClassTable.h"
#include "ServerModule.h"
#include "UnknownImpl.h"

namespace morvel {

class ClassFactory final : public UnknownImpl<module::ObjectCount, IClassFactory> {
public:
    explicit ClassFactory(CreateFunction create) noexcept : create_(create) {}

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(iid, object);
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
    const CreateFunction create_;
};

// DllGetClassObject over the classes of a class table.
inline HRESULT getClassObject(std::span<const ClassEntry> classes, REFCLSID clsid, REFIID iid, void** factory) noexcept
{
    if (!factory) return E_POINTER;
    *factory = nullptr;
    for (const ClassEntry& entry : classes)
        if (IsEqualCLSID(clsid, *entry.clsid)) return createInstance<ClassFactory>(iid, factory, entry.create);
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace morvel
