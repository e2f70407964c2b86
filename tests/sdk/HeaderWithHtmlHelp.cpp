// Beside the platform's HTML Help header, which declares the three navigation-tab constants
// too: included first, as the public header asks, both sets are usable.
#include <windows.h>
#include <htmlhelp.h>

#include <Morvel10.h>

static_assert(HHWIN_NAVTAB_LEFT == 1 && Morvel10_HHWIN_NAVTAB_LEFT == 1, "both navigation-tab constants");
HHWIN_NAVTAB_ position = Morvel10_HHWIN_NAVTAB_BOTTOM;
