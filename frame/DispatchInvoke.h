#pragma once
// Late-bound calls for all classes: IDispatch through the interface's type information,
// made friendlier to script hosts than standard dispatch. A script that passes a variable
// to a by-reference typed parameter sends VT_BYREF|VT_VARIANT, which standard dispatch
// refuses with a type mismatch; here such an argument is coerced into a temporary of the
// parameter's type, passed by reference, and the result written back into the variable.

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

namespace morvel {

// What a late-bound call needs to know about each member of one interface, read once from
// its type information: walking the function descriptions on every call costs far more
// than the call itself. Immutable once built, so threads share it without locking.
class DispatchTable {
public:
    struct Member {
        DISPID id;
        WORD invokeKinds;             // INVOKE_* of this function description
        SHORT parameters;             // cParams, the return value included
        SHORT declared;               // the parameters a caller names (all but the return value)
        std::vector<bool> optional;   // per parameter: PARAMFLAG_FOPT
        std::vector<VARTYPE> byRef;   // per parameter: the by-reference target, VT_EMPTY if none
        bool anyByRef;                // whether any parameter has a by-reference target
        bool vararg;                  // takes any number of trailing arguments
        std::u16string source;        // "class.member", the source of the errors it raises
    };

    // Reads every function description of `info` (the vtable half of a dual interface).
    static HRESULT build(ITypeInfo* info, std::shared_ptr<const DispatchTable>& table) noexcept;

    // The first member, in the order of the type information, with this id and one of the
    // invocation kinds in `flags`; null when there is none.
    const Member* find(DISPID id, WORD flags) const noexcept;

    const IID& iid() const noexcept { return iid_; }

private:
    std::vector<Member> members_;  // sorted by id; members of one id keep their order
    IID iid_{};                    // the interface the errors are published for
};

HRESULT invokeThroughTypeInfo(ITypeInfo* vtableInfo, const DispatchTable& table, IUnknown* instance,
                              DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO* exception, UINT* argError) noexcept;

}  // namespace morvel
