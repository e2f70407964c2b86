#pragma once
// GetIDsOfNames for the late-bound objects without type information (the library's
// property objects, the companion stand-in's classes): each looks its members up in a
// table of its own, in any letter case.

#include <windows.h>
#include <oaidl.h>

namespace morvel {

// Whether a name a host asked for names a member, in any letter case, as late binding
// matches names.
inline bool sameMemberName(const wchar_t* asked, const wchar_t* member) noexcept
{
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, asked, -1, member, -1) == CSTR_EQUAL;
}

// `find(name)` gives a member's id, or DISPID_UNKNOWN. Only the first name is a member; any
// further ones would name arguments, which these members do not take, so they stay
// unknown. No names at all name no member: DISP_E_UNKNOWNNAME, as standard dispatch
// answers it, and nothing is written.
template <class Find>
HRESULT idsOfNamesFromTable(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids, Find&& find) noexcept
{
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids) return E_POINTER;
    if (count == 0) return DISP_E_UNKNOWNNAME;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (!names[0]) return DISP_E_UNKNOWNNAME;
    ids[0] = find(names[0]);
    return ids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

}  // namespace morvel
