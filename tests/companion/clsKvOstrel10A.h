#pragma once
// The companion's application class: AppAboutKvor shows the About box of the application
// whose information object it is given.

#include "CompanionModule.h"

namespace ostrel {

class clsKvOstrel10A final : public LateBoundObject<clsKvOstrel10A> {
public:
    static constexpr MemberName members[] = {{L"AppAboutKvor", 1}};
    HRESULT call(DISPID member, const DISPPARAMS& params, UINT* argError);
};

}  // namespace ostrel
