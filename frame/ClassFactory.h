#pragma once
// The class factory handed out by DllGetClassObject: one per request, bound to one
// entry of the class table.

#include <windows.h>
#include <unknwn.h>

#include "ClassTable.h"

namespace morvel {

HRESULT createClassFactory(const ClassEntry& entry, REFIID iid, void** factory) noexcept;

}  // namespace morvel
