#pragma once
// The members of one interface and the names they answer to, read once from its type
// information, for the late-bound calls of every class (DispatchInvoke.h).

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Handles.h"

namespace morvel {

// What a late-bound call needs to know about each member of one interface, read once from
// its type information: walking the function descriptions on every call costs far more
// than the call itself, and so does the platform's name lookup, which a script host asks
// for on every property it reads. Immutable once built, so threads share it without locking.
class DispatchTable {
public:
    struct Member {
        DISPID id;
        WORD invokeKinds;            // INVOKE_* of this function description
        SHORT parameters;            // cParams, the return value included
        SHORT declared;              // the parameters a caller names (all but the return value)
        std::vector<bool> optional;  // per parameter: PARAMFLAG_FOPT
        std::vector<VARTYPE> byRef;  // per parameter: the by-reference target, VT_EMPTY if none
        bool anyByRef;               // whether any parameter has a by-reference target
        bool vararg;                 // takes any number of trailing arguments
        std::u16string source;       // "class.member", the source of the errors it raises
    };

    // Reads every function description of `info` (the vtable half of a dual interface) and
    // the names it answers to; keeps `info` for the calls themselves.
    static HRESULT build(ITypeInfo* info, std::shared_ptr<const DispatchTable>& table) noexcept;

    // The first member, in the order of the type information, with this id and one of the
    // invocation kinds in `flags`; null when there is none.
    const Member* find(DISPID id, WORD flags) const noexcept;

    // ITypeInfo::GetIDsOfNames of the type information, answered from the names read at
    // build time: the member's id for the first name, the parameter's position for each
    // further one, DISPID_UNKNOWN and DISP_E_UNKNOWNNAME for what is not there (every id
    // when the member is not). `names` and `ids` hold `count` > 0 entries; a null name is
    // a name nothing has. Names are compared in any letter case, as the library's locale
    // (0x0409) compares them: for names of ASCII letters, digits and underscores that is
    // plain ASCII case folding. Any other name goes to the type information itself, whose
    // linguistic comparison ignores some characters (a soft hyphen, say) altogether.
    HRESULT idsOfNames(LPOLESTR* names, UINT count, DISPID* ids) const noexcept;

    const IID& iid() const noexcept { return iid_; }
    ITypeInfo* typeInfo() const noexcept { return info_.get(); }

private:
    struct Name {
        std::wstring folded;  // upper-case ASCII
        DISPID id;
    };
    struct MemberName {
        std::wstring folded;
        DISPID id;
        std::vector<Name> parameters;  // the names the platform places for this member
    };

    void readNames(ITypeInfo* info);
    const MemberName* findName(std::wstring_view asked) const noexcept;
    HRESULT idsFromTypeInfo(LPOLESTR* names, UINT count, DISPID* ids) const noexcept;

    std::vector<Member> members_;    // sorted by id; members of one id keep their order
    std::vector<MemberName> names_;  // sorted by folded name
    bool allNames_ = false;          // every name the platform could place is a candidate held or ruled out
    ComPtr<ITypeInfo> info_;
    IID iid_{};  // the interface the errors are published for
};

}  // namespace morvel
