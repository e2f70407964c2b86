// The public header first, then <windows.h>, and the header a second time.
#include <Morvel10.h>
#include <windows.h>
#include <Morvel10.h>

#if HELP_CONTEXT != 0x0001 || HELP_WM_HELP != 0x000c
#error "the platform's WinHelp macros were not restored"
#endif
static_assert(HHWIN_NAVTAB_TOP == 0, "the navigation-tab constants keep their names");
