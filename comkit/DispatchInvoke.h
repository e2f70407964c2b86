#pragma once
// Late-bound calls for all classes: IDispatch through the interface's type information,
// made friendlier to script hosts than standard dispatch. A script that passes a variable
// to a by-reference typed parameter sends VT_BYREF|VT_VARIANT, which standard dispatch
// refuses with a type mismatch; here such an argument is coerced into a temporary of the
// parameter's type, passed by reference, and the result written back into the variable.

#include <windows.h>
#include <oaidl.h>

#include "DispatchTable.h"

namespace morvel {

HRESULT invokeThroughTypeInfo(const DispatchTable& table, IUnknown* instance, DISPID member, WORD flags,
                              DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argError) noexcept;

}  // namespace morvel
