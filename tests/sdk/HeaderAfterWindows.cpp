// The public header as a C++ client includes it: after <windows.h>, in strict C++.
#include <windows.h>

#include <Morvel10.h>

#include <type_traits>

// The platform's WinHelp macros are back after the header, as the platform defines them.
#if !defined(HELP_QUIT) || HELP_QUIT != 0x0002 || HELP_FINDER != 0x000b || HELP_TCARD != 0x8000
#error "the platform's WinHelp macros were not restored"
#endif

// Beneath them the enumeration holds the published constants, typed as the enumeration.
#pragma push_macro("HELP_FINDER")
#pragma push_macro("HELP_SETINDEX")
#undef HELP_FINDER
#undef HELP_SETINDEX
static_assert(std::is_same<decltype(HELP_FINDER), WinHelpCmdHlpfConstants>::value, "enumeration constant");
static_assert(HELP_FINDER == 0x000B && HELP_SETINDEX == 5 && HELP_CMD == 0x0102, "published values");
#pragma pop_macro("HELP_SETINDEX")
#pragma pop_macro("HELP_FINDER")
static_assert(std::is_same<decltype(HELP_FINDER), decltype(0x000b)>::value, "the platform's macro again");

static_assert(HH_TEXT_POPUP == 4 && HH_1_3 == 24 && IE_5_0C == 270 && HHWIN_NAVTAB_BOTTOM == 2, "other enumerations");
static_assert(sizeof(WinHelpCmdHlpfConstants) == 4, "32-bit enumeration");

// The interfaces and their identifiers, as a vtable client uses them.
HRESULT quit(_clsKvHlpfHlpA* winHelp, LONG* result)
{
    LONG window = 0;
    WinHelpCmdHlpfConstants command = static_cast<WinHelpCmdHlpfConstants>(HELP_QUIT);
    return winHelp->WinHelpHlpf(&window, &command, result);
}
const IID& htmlHelpInterface = __uuidof(_clsKvHlpfHtmlA);
