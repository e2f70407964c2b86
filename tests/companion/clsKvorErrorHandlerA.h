#pragma once
// The companion's error report: ErrorHandlerMessageKv shows a caught error to the user.

#include "CompanionModule.h"

namespace ostrel {

class clsKvorErrorHandlerA final : public LateBoundObject<clsKvorErrorHandlerA> {
public:
    static constexpr MemberName members[] = {{L"ErrorHandlerMessageKv", 1}};
    HRESULT call(DISPID member, const DISPPARAMS& params, UINT* argError);
};

}  // namespace ostrel
