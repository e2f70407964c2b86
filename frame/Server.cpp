// The four exported entry points of every server DLL of the project, over the DLL's own
// class table; the module's entry point is in ServerModule.cpp.

#include <windows.h>

#include "ClassFactory.h"
#include "ClassTable.h"
#include "Module.h"
#include "Registration.h"

using namespace morvel;

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** factory)
{
    return getClassObject(classTable().classes, clsid, iid, factory);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    if (!module::canUnload() || !module::releaseTypeLibrary()) return S_FALSE;
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return registerServer(classTable()); }
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return unregisterServer(classTable()); }
