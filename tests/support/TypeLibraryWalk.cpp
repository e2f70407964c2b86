#include "TypeLibraryWalk.h"

namespace comtest {

using morvel::Bstr;
using morvel::ComPtr;

ComPtr<ITypeLib> typeLibraryOf(const std::wstring& file)
{
    ComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(file.c_str(), REGKIND_NONE, library.put()))) return {};
    return library;
}

std::wstring nameOf(ITypeInfo* info, MEMBERID member)
{
    Bstr name;
    info->GetDocumentation(member, name.put(), nullptr, nullptr, nullptr);
    return name.get() ? name.get() : L"";
}

SHORT Function::declared() const
{
    SHORT count = 0;
    for (SHORT p = 0; p < desc->cParams; ++p)
        if (!(desc->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FRETVAL)) ++count;
    return count;
}

TypeLibraryWalk::TypeLibraryWalk(const std::wstring& file) : library(typeLibraryOf(file))
{
    for (UINT i = 0; library && i < library->GetTypeInfoCount(); ++i) {
        TypeEntry entry;
        if (SUCCEEDED(library->GetTypeInfo(i, entry.info.put()))) {
            entry.attr.read(entry.info.get());
            entry.name = nameOf(entry.info.get());
        }
        types.push_back(std::move(entry));
    }
}

std::vector<const TypeEntry*> TypeLibraryWalk::ofKind(TYPEKIND kind) const
{
    std::vector<const TypeEntry*> out;
    for (const TypeEntry& t : types)
        if (t.attr && t.attr->typekind == kind) out.push_back(&t);
    return out;
}

const TypeEntry* TypeLibraryWalk::named(const std::wstring& name) const
{
    for (const TypeEntry& t : types)
        if (t.name == name) return &t;
    return nullptr;
}

std::vector<Function> functions(ITypeInfo* info, bool inherited)
{
    std::vector<Function> out;
    morvel::TypeAttr attr;
    if (!info || FAILED(attr.read(info))) return out;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        Function f;
        if (SUCCEEDED(f.desc.read(info, i))) {
            BSTR names[32] = {};
            UINT count = 0;
            if (SUCCEEDED(info->GetNames(f.desc->memid, names, 32, &count)))
                for (UINT k = 0; k < count; ++k) {
                    f.names.push_back(names[k] ? names[k] : L"");
                    SysFreeString(names[k]);
                }
        }
        out.push_back(std::move(f));
    }
    for (UINT i = 0; inherited && i < attr->cImplTypes; ++i)
        for (Function& f : functions(baseOf(info, i).get(), true)) out.push_back(std::move(f));
    return out;
}

std::vector<Constant> constants(ITypeInfo* info)
{
    std::vector<Constant> out;
    morvel::TypeAttr attr;
    if (FAILED(attr.read(info))) return out;
    for (UINT i = 0; i < attr->cVars; ++i) {
        morvel::VarDesc var;
        Constant c;
        Bstr name, description;
        morvel::Variant value;
        if (SUCCEEDED(var.read(info, i)) &&
            SUCCEEDED(info->GetDocumentation(var->memid, name.put(), description.put(), nullptr, nullptr)))
            c = {var->memid, name.get() ? name.get() : L"", description.get() ? description.get() : L""};
        if (var && var->varkind == VAR_CONST && SUCCEEDED(VariantChangeType(value.get(), var->lpvarValue, 0, VT_I4)))
            c.value = V_I4(value.get());
        out.push_back(std::move(c));
    }
    return out;
}

ComPtr<ITypeInfo> baseOf(ITypeInfo* info, UINT index)
{
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> base;
    if (FAILED(info->GetRefTypeOfImplType(index, &ref)) || FAILED(info->GetRefTypeInfo(ref, base.put()))) return {};
    return base;
}

ComPtr<ITypeInfo> vtableHalf(ITypeInfo* info)
{
    if (ComPtr<ITypeInfo> vtable = baseOf(info, static_cast<UINT>(-1))) return vtable;
    return ComPtr<ITypeInfo>::addRef(info);
}

ComPtr<ITypeInfo> defaultInterface(ITypeInfo* coclass)
{
    const ComPtr<ITypeInfo> itf = baseOf(coclass, 0);
    return itf ? vtableHalf(itf.get()) : ComPtr<ITypeInfo>();
}

}  // namespace comtest
