#pragma once
// The walk through a type library that the tests of the library's published surface share:
// each type info with its kind and name, each function with its names and description, each
// constant with its value. Reading never fails the walk: what cannot be read is left empty
// for the test to notice.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "comkit/Handles.h"
#include "comkit/TypeDescription.h"

namespace comtest {

// The type library in `file` (a DLL's embedded one, or a .tlb), read without registering it.
morvel::ComPtr<ITypeLib> typeLibraryOf(const std::wstring& file);

std::wstring nameOf(ITypeInfo* info, MEMBERID member = MEMBERID_NIL);

struct TypeEntry {
    morvel::ComPtr<ITypeInfo> info;
    morvel::TypeAttr attr;  // typekind, flags, guid, counts; empty when unreadable
    std::wstring name;
};

struct Function {
    morvel::FuncDesc desc;            // dispatch id, invoke kind, parameters, flags, slot; empty when unreadable
    std::vector<std::wstring> names;  // the member's, then its parameters' (a put's value has none)
    const std::wstring& name() const { return names.front(); }
    SHORT declared() const;  // the parameters a caller passes: the return value left out
};

struct Constant {  // or any variable; its name empty when unreadable
    MEMBERID id = MEMBERID_NIL;
    std::wstring name;
    std::wstring description;
    LONG value = 0;  // a constant's
};

class TypeLibraryWalk {
public:
    explicit TypeLibraryWalk(const std::wstring& file);
    std::vector<const TypeEntry*> ofKind(TYPEKIND kind) const;
    const TypeEntry* named(const std::wstring& name) const;

    morvel::ComPtr<ITypeLib> library;  // null when the file holds none
    std::vector<TypeEntry> types;      // in the library's order
};

// Every function of `info` in slot order; `inherited` adds those of its bases after them.
std::vector<Function> functions(ITypeInfo* info, bool inherited = false);
std::vector<Constant> constants(ITypeInfo* info);
// The function-table half of a dual interface (the interface itself when it has none), or
// of a class's default interface: the class's own members, in slot order.
morvel::ComPtr<ITypeInfo> vtableHalf(ITypeInfo* info);
morvel::ComPtr<ITypeInfo> defaultInterface(ITypeInfo* coclass);
morvel::ComPtr<ITypeInfo> baseOf(ITypeInfo* info, UINT index = 0);

}  // namespace comtest
