// The type library embedded in Morvel10.dll, inspected member by member against the
// published surface: names, dispatch ids, invoke kinds, arguments, flags, enumerations and
// the order of the type infos.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Morvel10.h"
#include "docs/ContextIds.h"
#include "tests/support/ComTestSupport.h"
#include "tests/support/TypeLibraryWalk.h"

using namespace comtest;

namespace {

struct Member {
    const wchar_t* interfaceName;
    const wchar_t* signature;  // kind name id (params) -> result
};

const Member expectedMembers[] = {
    {L"_clsKvMorvel10A", L"get GetProStdProperties 0x68030004 () -> object"},
    {L"_clsKvMorvel10A", L"get GetProResStrings 0x68030003 (lResId:int32&) -> string"},
    {L"_clsKvMorvel10A", L"get GetProResPicture 0x68030002 (lResId:int32&, lRestype:int32&) -> IPictureDisp"},
    {L"_clsKvMorvel10A", L"get GetProResData 0x68030001 (lResId:int32&, vRestype:variant&) -> variant"},
    {L"_clsKvMorvel10A", L"func About 0x60030005 () -> int32"},
    {L"_clsKvMorvel10A", L"get BuddyObjectGlobal 0x68030000 () -> object"},
    {L"_clsKvMorvel10A", L"putref BuddyObjectGlobal 0x68030000 (=object)"},
    {L"_clsKvHlpfHtmlA", L"get frm 0x40030000 () -> object"},
    {L"_clsKvHlpfHtmlA", L"putref frm 0x40030000 (=object)"},
    {L"_clsKvHlpfHtmlA", L"get Hwnd 0x40030001 () -> int32"},
    {L"_clsKvHlpfHtmlA", L"put Hwnd 0x40030001 (=int32)"},
    {L"_clsKvHlpfHtmlA", L"get lpPrevWndFunc 0x40030002 () -> int32"},
    {L"_clsKvHlpfHtmlA", L"put lpPrevWndFunc 0x40030002 (=int32)"},
    {L"_clsKvHlpfHtmlA", L"func HHDisplayTopicURL 0x60030020 (CallingForm:int32&?)"},
    {L"_clsKvHlpfHtmlA", L"func HHDisplayTopicID 0x60030021 (CallingForm:int32&?)"},
    {L"_clsKvHlpfHtmlA", L"func HHDisplaySearch 0x60030022 (CallingForm:int32&?)"},
    {L"_clsKvHlpfHtmlA", L"func HHDisplayKeyword 0x60030023 (CallingForm:int32&?)"},
    {L"_clsKvHlpfHtmlA", L"func HHDisplayIndex 0x60030024 (CallingForm:int32&?)"},
    {L"_clsKvHlpfHtmlA", L"func HHDisplayContents 0x60030025 (CallingForm:int32&?)"},
    {L"_clsKvHlpfHtmlA", L"func HHDisplayALink 0x60030026 (CallingForm:int32&?)"},
    {L"_clsKvHlpfHtmlA", L"func HHRegister 0x60030027 (FileToRegister:string&)"},
    {L"_clsKvHlpfHtmlA", L"func HHUnRegister 0x60030028 (FileToUnRegister:string&)"},
    {L"_clsKvHlpfHtmlA", L"func HHCheckRegistry 0x60030029 (FileToCheck:string&) -> variant"},
    {L"_clsKvHlpfHtmlA", L"func HHClose 0x6003002a ()"},
    {L"_clsKvHlpfHtmlA", L"func HHSetHelpFile 0x6003002b (intSelHelpFile:int16) -> string"},
    {L"_clsKvHlpfHtmlA", L"func HHDisplayPopup 0x6003002c (CallingForm:int32&)"},
    {L"_clsKvHlpfHtmlA", L"func HHInvokeWhatsThisHelp 0x6003002d (CallingForm:int32&)"},
    {L"_clsKvHlpfHtmlA",
     L"func HHVerifyMinConfig 0x6003002e (MinHHVersion:HHVersion&, MinIEVersion:IEVersion&) -> Boolean"},
    {L"_clsKvHlpfHtmlA", L"func EnsureFileExists 0x60030032 (FileToFind:string&) -> Boolean"},
    {L"_clsKvHlpfHtmlA", L"func GetKeyInfo 0x60030034 (key_name:string, indent:int16) -> Boolean"},
    {L"_clsKvHlpfHtmlA", L"func GetWindowsVersion 0x6003003c () -> int32"},
    {L"_clsKvHlpfHtmlA", L"put HHWindow 0x6803001f (=string)"},
    {L"_clsKvHlpfHtmlA", L"get HHWindow 0x6803001f () -> string"},
    {L"_clsKvHlpfHtmlA", L"put HHTopicURL 0x6803001e (=string)"},
    {L"_clsKvHlpfHtmlA", L"get HHTopicURL 0x6803001e () -> string"},
    {L"_clsKvHlpfHtmlA", L"put HHTopicID 0x6803001d (=int32)"},
    {L"_clsKvHlpfHtmlA", L"get HHTopicID 0x6803001d () -> int32"},
    {L"_clsKvHlpfHtmlA", L"put HHMsgTitle 0x6803001c (=string)"},
    {L"_clsKvHlpfHtmlA", L"get HHMsgTitle 0x6803001c () -> string"},
    {L"_clsKvHlpfHtmlA", L"put HHMsgText 0x6803001b (=string)"},
    {L"_clsKvHlpfHtmlA", L"get HHMsgText 0x6803001b () -> string"},
    {L"_clsKvHlpfHtmlA", L"put HHKeyword 0x6803001a (=string)"},
    {L"_clsKvHlpfHtmlA", L"get HHKeyword 0x6803001a () -> string"},
    {L"_clsKvHlpfHtmlA", L"put HHDefaultURL 0x68030019 (=string)"},
    {L"_clsKvHlpfHtmlA", L"get HHDefaultURL 0x68030019 () -> string"},
    {L"_clsKvHlpfHtmlA", L"put HHALink 0x68030018 (=string)"},
    {L"_clsKvHlpfHtmlA", L"get HHALink 0x68030018 () -> string"},
    {L"_clsKvHlpfHtmlA", L"put CHMFile 0x68030017 (=string)"},
    {L"_clsKvHlpfHtmlA", L"get CHMFile 0x68030017 () -> string"},
    {L"_clsKvHlpfHtmlA", L"put HHShowOnTop 0x68030016 (=Boolean)"},
    {L"_clsKvHlpfHtmlA", L"get HHShowOnTop 0x68030016 () -> Boolean"},
    {L"_clsKvHlpfHtmlA", L"get HHRegFileName 0x68030015 () -> string"},
    {L"_clsKvHlpfHtmlA", L"get HHRegFilePath 0x68030014 () -> string"},
    {L"_clsKvHlpfHtmlA", L"get HHRegFileExists 0x68030013 () -> Boolean"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupFile 0x68030012 (=string)"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupID 0x68030011 (=int32)"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupText 0x68030010 (=string)"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupType 0x6803000f (=PopupType)"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupTextColor 0x6803000e (=int32)"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupBackColor 0x6803000d (=int32)"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupCustomTextColor 0x6803000c (=int32)"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupCustomBackColor 0x6803000b (=int32)"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupCustomColors 0x6803000a (=Boolean)"},
    {L"_clsKvHlpfHtmlA", L"get HHPopupCustomColors 0x6803000a () -> Boolean"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupTextFont 0x68030009 (=string)"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupTextSize 0x68030008 (=string)"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupTextBold 0x68030007 (=Boolean)"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupTextItalic 0x68030006 (=Boolean)"},
    {L"_clsKvHlpfHtmlA", L"put HHPopupTextUnderline 0x68030005 (=Boolean)"},
    {L"_clsKvHlpfHtmlA", L"get HHInstalled 0x68030004 () -> Boolean"},
    {L"_clsKvHlpfHtmlA", L"get HHVersion 0x68030003 () -> string"},
    {L"_clsKvHlpfHtmlA", L"get IEVersion 0x68030002 () -> string"},
    {L"_clsKvHlpfHtmlA", L"get HHFriendlyName 0x68030001 () -> string"},
    {L"_clsKvHlpfHtmlA", L"get IEFriendlyName 0x68030000 () -> string"},
    {L"_clsKvHlpfHlpA", L"get FileName 0x68030001 () -> string"},
    {L"_clsKvHlpfHlpA", L"put FileName 0x68030001 (=string)"},
    {L"_clsKvHlpfHlpA", L"get AnyData 0x68030000 () -> variant"},
    {L"_clsKvHlpfHlpA", L"put AnyData 0x68030000 (=variant)"},
    {L"_clsKvHlpfHlpA", L"func GetMenuContextHelpIdHlpf 0x60030003 (lMenuHandle:int32&) -> int32"},
    {L"_clsKvHlpfHlpA", L"func GetWindowContextHelpIdHlpf 0x60030004 (lWindowHandle:int32&) -> int32"},
    {L"_clsKvHlpfHlpA", L"func SetMenuContextHelpIdHlpf 0x60030005 (lMenuHandle:int32&, lslFlags:int32&) -> int32"},
    {L"_clsKvHlpfHlpA", L"func SetWindowContextHelpIdHlpf 0x60030006 (lWindowHandle:int32&, lslFlags:int32&) -> int32"},
    {L"_clsKvHlpfHlpA",
     L"func WinHelpHlpf 0x60030007 (lWindowHandle:int32&, lHelpCommand:WinHelpCmdHlpfConstants&) -> int32"},
};

const wchar_t* expectedOrder[] = {
    L"_clsKvMorvel10A", L"clsKvMorvel10A",     L"_clsKvHlpfHtmlA",   L"clsKvHlpfHtmlA",      L"_clsKvHlpfHlpA",
    L"clsKvHlpfHlpA",   L"_clsKvHlpfGeneralA", L"clsKvHlpfGeneralA", L"_clsKvHlpfAdvancedA", L"clsKvHlpfAdvancedA",
    L"PopupType",       L"HHVersion",          L"IEVersion",         L"HHWIN_NAVTAB_",       L"WinHelpCmdHlpfConstants",
};

struct EnumConstant {
    const wchar_t* enumName;
    const wchar_t* name;
    LONG value;
};

const EnumConstant expectedConstants[] = {
    {L"PopupType", L"HH_CHM_POPUP", 1},
    {L"PopupType", L"HH_RESOURCE_POPUP", 2},
    {L"PopupType", L"HH_TEXT_POPUP", 4},
    {L"HHVersion", L"HH_1_0", 16},
    {L"HHVersion", L"HH_1_1", 17},
    {L"HHVersion", L"HH_1_1A", 18},
    {L"HHVersion", L"HH_1_1B", 19},
    {L"HHVersion", L"HH_1_2", 20},
    {L"HHVersion", L"HH_1_21", 21},
    {L"HHVersion", L"HH_1_21A", 22},
    {L"HHVersion", L"HH_1_22", 23},
    {L"HHVersion", L"HH_1_3", 24},
    {L"IEVersion", L"IE_3_0", 256},
    {L"IEVersion", L"IE_3_0_OSR2", 257},
    {L"IEVersion", L"IE_3_01", 258},
    {L"IEVersion", L"IE_3_02", 259},
    {L"IEVersion", L"IE_4_0_PP2", 260},
    {L"IEVersion", L"IE_4_0", 261},
    {L"IEVersion", L"IE_4_01", 262},
    {L"IEVersion", L"IE_4_01_SP1", 263},
    {L"IEVersion", L"IE_4_01_SP2", 264},
    {L"IEVersion", L"IE_5_0_Beta1", 265},
    {L"IEVersion", L"IE_5_0_Beta2", 266},
    {L"IEVersion", L"IE_5_0", 267},
    {L"IEVersion", L"IE_5_0A", 268},
    {L"IEVersion", L"IE_5_0B", 269},
    {L"IEVersion", L"IE_5_0C", 270},
    {L"HHWIN_NAVTAB_", L"HHWIN_NAVTAB_TOP", 0},
    {L"HHWIN_NAVTAB_", L"HHWIN_NAVTAB_LEFT", 1},
    {L"HHWIN_NAVTAB_", L"HHWIN_NAVTAB_BOTTOM", 2},
    {L"WinHelpCmdHlpfConstants", L"HELP_CMD", 0x0102},
    {L"WinHelpCmdHlpfConstants", L"HELP_CONTENTS", 0x0003},
    {L"WinHelpCmdHlpfConstants", L"HELP_CONTEXT", 0x0001},
    {L"WinHelpCmdHlpfConstants", L"HELP_CONTEXTMENU", 0x000A},
    {L"WinHelpCmdHlpfConstants", L"HELP_CONTEXTPOPUP", 0x0008},
    {L"WinHelpCmdHlpfConstants", L"HELP_FORCEFILE", 0x0009},
    {L"WinHelpCmdHlpfConstants", L"HELP_FINDER", 0x000B},
    {L"WinHelpCmdHlpfConstants", L"HELP_HELPONHELP", 0x0004},
    {L"WinHelpCmdHlpfConstants", L"HELP_INDEX", 0x0003},
    {L"WinHelpCmdHlpfConstants", L"HELP_KEY", 0x0101},
    {L"WinHelpCmdHlpfConstants", L"HELP_MULTIKEY", 0x0201},
    {L"WinHelpCmdHlpfConstants", L"HELP_PARTIALKEY", 0x0105},
    {L"WinHelpCmdHlpfConstants", L"HELP_QUIT", 0x0002},
    {L"WinHelpCmdHlpfConstants", L"HELP_SETCONTENTS", 0x0005},
    {L"WinHelpCmdHlpfConstants", L"HELP_SETINDEX", 0x0005},
    {L"WinHelpCmdHlpfConstants", L"HELP_SETPOPUP_POS", 0x000D},
    {L"WinHelpCmdHlpfConstants", L"HELP_SETWINPOS", 0x0203},
    {L"WinHelpCmdHlpfConstants", L"HELP_TCARD", 0x8000},
    {L"WinHelpCmdHlpfConstants", L"HELP_WM_HELP", 0x000C},
};

std::wstring render(ITypeInfo* info, const TYPEDESC& t)
{
    switch (t.vt) {
    case VT_I2: return L"int16";
    case VT_I4: return L"int32";
    case VT_BSTR: return L"string";
    case VT_BOOL: return L"Boolean";
    case VT_VARIANT: return L"variant";
    case VT_DISPATCH: return L"object";
    case VT_PTR: return render(info, *t.lptdesc);
    case VT_USERDEFINED: {
        ComPtr<ITypeInfo> ref;
        if (FAILED(info->GetRefTypeInfo(t.hreftype, ref.put()))) return L"?";
        return nameOf(ref.get());
    }
    default: return L"vt" + std::to_wstring(t.vt);
    }
}

std::wstring signature(ITypeInfo* info, const Function& function)
{
    const FUNCDESC* f = function.desc.get();
    std::wstring kind = f->invkind == INVOKE_PROPERTYGET      ? L"get"
                        : f->invkind == INVOKE_PROPERTYPUT    ? L"put"
                        : f->invkind == INVOKE_PROPERTYPUTREF ? L"putref"
                                                              : L"func";
    wchar_t id[16];
    swprintf(id, 16, L"0x%08lx", static_cast<unsigned long>(f->memid));
    std::wstring params, result;
    for (SHORT i = 0; i < f->cParams; ++i) {
        const ELEMDESC& e = f->lprgelemdescParam[i];
        const USHORT flags = e.paramdesc.wParamFlags;
        if (flags & PARAMFLAG_FRETVAL) {
            result = L" -> " + render(info, *e.tdesc.lptdesc);
            continue;
        }
        if (!params.empty()) params += L", ";
        if (f->invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) {
            params += L"=" + render(info, e.tdesc);
            continue;
        }
        const bool byRef = e.tdesc.vt == VT_PTR;
        params += (i + 1u < function.names.size() ? function.names[i + 1] : L"?") + L":" + render(info, e.tdesc) +
                  (byRef ? L"&" : L"") + ((flags & PARAMFLAG_FOPT) ? L"?" : L"");
    }
    return kind + L" " + function.name() + L" " + id + L" (" + params + L")" + result;
}

struct TypeLibrary : ::testing::Test {
    void SetUp() override
    {
        ASSERT_FALSE(env(L"MORVEL_DLL").empty());
        ASSERT_TRUE(walk.library);
    }
    Apartment apartment;
    const TypeLibraryWalk walk{env(L"MORVEL_DLL")};
};

}  // namespace

TEST_F(TypeLibrary, AttributesAndOrderOfTypeInfos)
{
    morvel::LibAttr attr;
    ASSERT_EQ(attr.read(walk.library.get()), S_OK);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_EQ(attr->lcid, 0x0409u);
    EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    Bstr name;
    walk.library->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr);
    EXPECT_STREQ(name.get(), L"Morvel10");

    ASSERT_EQ(walk.types.size(), std::size(expectedOrder));
    for (UINT i = 0; i < walk.types.size(); ++i) {
        ASSERT_TRUE(walk.types[i].attr);
        EXPECT_EQ(walk.types[i].name, expectedOrder[i]) << "type info " << i;
    }
}

TEST_F(TypeLibrary, InterfacesAreDualAndListTheirMembersInSlotOrder)
{
    for (const wchar_t* itf :
         {L"_clsKvMorvel10A", L"_clsKvHlpfHtmlA", L"_clsKvHlpfHlpA", L"_clsKvHlpfGeneralA", L"_clsKvHlpfAdvancedA"}) {
        SCOPED_TRACE(testing::Message() << itf);
        const TypeEntry* dispatchHalf = walk.named(itf);
        ASSERT_TRUE(dispatchHalf && dispatchHalf->attr);
        EXPECT_EQ(dispatchHalf->attr->typekind, TKIND_DISPATCH);
        // The file keeps one flags word for both halves; the platform reports the
        // automation-compatible flag on the vtable half only.
        const WORD wanted = TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
        EXPECT_EQ(dispatchHalf->attr->wTypeFlags & wanted, wanted) << std::hex << dispatchHalf->attr->wTypeFlags;

        const ComPtr<ITypeInfo> vtable = baseOf(dispatchHalf->info.get(), static_cast<UINT>(-1));
        ASSERT_TRUE(vtable);
        morvel::TypeAttr attr;
        ASSERT_EQ(attr.read(vtable.get()), S_OK);
        EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
        EXPECT_EQ(attr->wTypeFlags & (wanted | TYPEFLAG_FOLEAUTOMATION), wanted | TYPEFLAG_FOLEAUTOMATION)
            << std::hex << attr->wTypeFlags;
        EXPECT_EQ(attr->cbSizeVft, 7 * sizeof(void*) + attr->cFuncs * sizeof(void*));

        // It derives from IDispatch.
        const ComPtr<ITypeInfo> base = baseOf(vtable.get());
        ASSERT_TRUE(base);
        EXPECT_EQ(nameOf(base.get()), L"IDispatch");

        std::vector<std::wstring> expected, actual;
        for (const Member& m : expectedMembers)
            if (std::wstring(m.interfaceName) == itf) expected.push_back(m.signature);
        const std::vector<Function> slots = functions(vtable.get());
        for (size_t i = 0; i < slots.size(); ++i) {
            ASSERT_TRUE(slots[i].desc && !slots[i].names.empty());
            actual.push_back(signature(vtable.get(), slots[i]));
            EXPECT_EQ(slots[i].desc->oVft, static_cast<SHORT>((7 + i) * sizeof(void*))) << "slot of " << actual.back();
        }
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]) << "slot " << i + 1;
    }
}

TEST_F(TypeLibrary, OptionalWindowArgumentsDefaultToZero)
{
    const TypeEntry* dispatchHalf = walk.named(L"_clsKvHlpfHtmlA");
    ASSERT_TRUE(dispatchHalf);
    int optional = 0;
    for (const Function& f : functions(vtableHalf(dispatchHalf->info.get()).get())) {
        ASSERT_TRUE(f.desc);
        if (f.desc->cParams >= 1 && (f.desc->lprgelemdescParam[0].paramdesc.wParamFlags & PARAMFLAG_FOPT)) {
            ++optional;
            const PARAMDESC& p = f.desc->lprgelemdescParam[0].paramdesc;
            ASSERT_TRUE(p.wParamFlags & PARAMFLAG_FHASDEFAULT);
            Variant value;
            ASSERT_EQ(VariantChangeType(value.get(), &p.pparamdescex->varDefaultValue, 0, VT_I4), S_OK);
            EXPECT_EQ(V_I4(value.get()), 0);
        }
    }
    EXPECT_EQ(optional, 7);  // the seven display commands
}

TEST_F(TypeLibrary, ClassesAreCreatableWithTheirDefaultInterface)
{
    for (int i = 0; i < 10; i += 2) {
        const TypeEntry* coclass = walk.named(expectedOrder[i + 1]);
        ASSERT_TRUE(coclass && coclass->attr);
        EXPECT_EQ(coclass->attr->typekind, TKIND_COCLASS);
        EXPECT_TRUE(coclass->attr->wTypeFlags & TYPEFLAG_FCANCREATE);
        EXPECT_EQ(coclass->attr->cImplTypes, 1);
        INT flags = 0;
        ASSERT_EQ(coclass->info->GetImplTypeFlags(0, &flags), S_OK);
        EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
        const ComPtr<ITypeInfo> itf = baseOf(coclass->info.get());
        ASSERT_TRUE(itf);
        EXPECT_EQ(nameOf(itf.get()), expectedOrder[i]);
    }
}

TEST_F(TypeLibrary, EnumerationsCarryTheirValuesAndTheirOwnNamesAsDescriptions)
{
    size_t next = 0;
    for (const wchar_t* e : {L"PopupType", L"HHVersion", L"IEVersion", L"HHWIN_NAVTAB_", L"WinHelpCmdHlpfConstants"}) {
        const TypeEntry* t = walk.named(e);
        ASSERT_TRUE(t && t->attr) << e;
        EXPECT_EQ(t->attr->typekind, TKIND_ENUM);
        for (const Constant& c : constants(t->info.get())) {
            ASSERT_LT(next, std::size(expectedConstants));
            const EnumConstant& want = expectedConstants[next++];
            EXPECT_STREQ(want.enumName, e);
            EXPECT_EQ(c.name, want.name);
            EXPECT_EQ(c.description, want.name) << "description of " << want.name;
            EXPECT_EQ(c.value, want.value) << want.name;
        }
    }
    EXPECT_EQ(next, std::size(expectedConstants));
}

// The help an object browser finds: the reference manual as the help file, and for every
// type and member a description and the context id of its manual page.
namespace {

struct Help {
    std::wstring name, text, file;
    DWORD context = 0;
};

template <class Owner>
Help help(Owner* owner, LONG id)
{
    Bstr name, text, file;
    Help out;
    EXPECT_EQ(owner->GetDocumentation(id, name.put(), text.put(), &out.context, file.put()), S_OK);
    for (auto [from, to] : {std::pair{&name, &out.name}, {&text, &out.text}, {&file, &out.file}})
        if (from->get()) *to = from->get();
    return out;
}

void expectDescribed(ITypeInfo* info, MEMBERID id, const std::wstring& owner)
{
    const Help h = help(info, id);
    EXPECT_FALSE(h.text.empty()) << "description of " << testing::PrintToString(owner + L"." + h.name);
    EXPECT_NE(h.context, 0u) << "context id of " << testing::PrintToString(owner + L"." + h.name);
}

}  // namespace

TEST(TypeLibraryHelp, EveryTypeAndMemberOpensItsManualPage)
{
    Apartment apartment;
    const TypeLibraryWalk walk(env(L"MORVEL_DLL"));
    ASSERT_TRUE(walk.library);
    const Help lib = help(walk.library.get(), -1);
    EXPECT_EQ(lib.file.substr(lib.file.find_last_of(L'\\') + 1), L"Morvel10.chm");
    EXPECT_EQ(lib.text, L"Morvel10.1.0");

    for (const TypeEntry& type : walk.types) {
        ASSERT_TRUE(type.info);
        expectDescribed(type.info.get(), MEMBERID_NIL, type.name);
        // A dual interface's own members are those of its vtable half.
        const ComPtr<ITypeInfo> body = vtableHalf(type.info.get());
        for (const Function& f : functions(body.get())) {
            ASSERT_TRUE(f.desc);
            expectDescribed(body.get(), f.desc->memid, type.name);
        }
        for (const Constant& v : constants(body.get())) {
            ASSERT_FALSE(v.name.empty());
            expectDescribed(body.get(), v.id, type.name);
        }
    }

    // F1 on a member in an object browser, which reads the dispatch half.
    ComPtr<ITypeInfo> html;
    ASSERT_EQ(walk.library->GetTypeInfoOfGuid(IID__clsKvHlpfHtmlA, html.put()), S_OK);
    LPOLESTR member = const_cast<LPOLESTR>(L"HHDisplayTopicID");
    MEMBERID id = 0;
    ASSERT_EQ(html->GetIDsOfNames(&member, 1, &id), S_OK);
    const Help topic = help(html.get(), id);
    EXPECT_EQ(topic.context, DWORD(IDH_clsKvHlpfHtmlA_HHDisplayTopicID));
    EXPECT_EQ(topic.text.rfind(L"Opens the help file at the topic whose context id is HHTopicID", 0), 0u) << topic.text;
}
