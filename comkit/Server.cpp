// The exported entry points of every server DLL of the project, over the DLL's own
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

// regsvr32 /n /i:user registers for the calling user alone (no administrator needed), and
// regsvr32 /u /n /i:user undoes it. No other command line is defined: E_INVALIDARG, with
// nothing written.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine)
{
    if (!commandLine || _wcsicmp(commandLine, L"user") != 0) return E_INVALIDARG;
    return install ? registerServer(classTable(), RegistrationScope::user)
                   : unregisterServer(classTable(), RegistrationScope::user);
}
