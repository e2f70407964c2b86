// The four exported server entry points and the module's entry point.

#include <windows.h>

#include "ClassFactory.h"
#include "ClassTable.h"
#include "Module.h"
#include "Registration.h"

using namespace morvel;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    // Nothing else happens here: no loading, no COM, nothing under the loader lock.
    if (reason == DLL_PROCESS_ATTACH) {
        module::setInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** factory)
{
    if (!factory) return E_POINTER;
    *factory = nullptr;
    for (const ClassEntry& entry : classTable())
        if (IsEqualCLSID(clsid, *entry.clsid)) return createClassFactory(entry, iid, factory);
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    if (!module::canUnload()) return S_FALSE;
    module::releaseTypeLibrary();
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return registerServer(); }
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return unregisterServer(); }
