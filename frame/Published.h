#pragma once
// The published interfaces as widl declares them. The WinHelp command constants of the
// published enumeration share their names with the platform's macros, so the macros are
// set aside while the generated header is read, then restored (their values are equal).

#include <windows.h>
#include <ocidl.h>

#pragma push_macro("HELP_CMD")
#undef HELP_CMD
#pragma push_macro("HELP_CONTENTS")
#undef HELP_CONTENTS
#pragma push_macro("HELP_CONTEXT")
#undef HELP_CONTEXT
#pragma push_macro("HELP_CONTEXTMENU")
#undef HELP_CONTEXTMENU
#pragma push_macro("HELP_CONTEXTPOPUP")
#undef HELP_CONTEXTPOPUP
#pragma push_macro("HELP_FORCEFILE")
#undef HELP_FORCEFILE
#pragma push_macro("HELP_FINDER")
#undef HELP_FINDER
#pragma push_macro("HELP_HELPONHELP")
#undef HELP_HELPONHELP
#pragma push_macro("HELP_INDEX")
#undef HELP_INDEX
#pragma push_macro("HELP_KEY")
#undef HELP_KEY
#pragma push_macro("HELP_MULTIKEY")
#undef HELP_MULTIKEY
#pragma push_macro("HELP_PARTIALKEY")
#undef HELP_PARTIALKEY
#pragma push_macro("HELP_QUIT")
#undef HELP_QUIT
#pragma push_macro("HELP_SETCONTENTS")
#undef HELP_SETCONTENTS
#pragma push_macro("HELP_SETINDEX")
#undef HELP_SETINDEX
#pragma push_macro("HELP_SETPOPUP_POS")
#undef HELP_SETPOPUP_POS
#pragma push_macro("HELP_SETWINPOS")
#undef HELP_SETWINPOS
#pragma push_macro("HELP_TCARD")
#undef HELP_TCARD
#pragma push_macro("HELP_WM_HELP")
#undef HELP_WM_HELP

#include "Morvel10.h"

#pragma pop_macro("HELP_CMD")
#pragma pop_macro("HELP_CONTENTS")
#pragma pop_macro("HELP_CONTEXT")
#pragma pop_macro("HELP_CONTEXTMENU")
#pragma pop_macro("HELP_CONTEXTPOPUP")
#pragma pop_macro("HELP_FORCEFILE")
#pragma pop_macro("HELP_FINDER")
#pragma pop_macro("HELP_HELPONHELP")
#pragma pop_macro("HELP_INDEX")
#pragma pop_macro("HELP_KEY")
#pragma pop_macro("HELP_MULTIKEY")
#pragma pop_macro("HELP_PARTIALKEY")
#pragma pop_macro("HELP_QUIT")
#pragma pop_macro("HELP_SETCONTENTS")
#pragma pop_macro("HELP_SETINDEX")
#pragma pop_macro("HELP_SETPOPUP_POS")
#pragma pop_macro("HELP_SETWINPOS")
#pragma pop_macro("HELP_TCARD")
#pragma pop_macro("HELP_WM_HELP")
