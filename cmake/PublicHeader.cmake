# Writes the public C and C++ header of the library from widl's header of Morvel10.idl.
#   cmake -DWIDL_HEADER=<widl -h output> -DOUTPUT=<Morvel10.h> -P PublicHeader.cmake
#
# widl's header alone does not compile after <windows.h>: the WinHelp command constants of
# the published enumeration share their names with the platform's macros (HELP_CONTEXT,
# HELP_QUIT, ...). The public header is widl's text wrapped in a guard that sets every macro
# named like an enumeration constant aside while the enumerations are declared and restores
# it afterwards. The names come from widl's own enumerations, so the IDL stays the one source.
if(NOT WIDL_HEADER OR NOT OUTPUT)
    message(FATAL_ERROR "PublicHeader.cmake: WIDL_HEADER and OUTPUT are required")
endif()
file(READ "${WIDL_HEADER}" body)

string(REGEX MATCHALL "typedef enum [A-Za-z_0-9]+ {[^}]*}" enums "${body}")
set(names)
foreach(enum IN LISTS enums)
    string(REGEX MATCHALL "\n +[A-Za-z_][A-Za-z_0-9]* =" found "${enum}")
    foreach(entry IN LISTS found)
        string(REGEX REPLACE "[\n =]" "" entry "${entry}")
        list(APPEND names "${entry}")
    endforeach()
endforeach()
list(REMOVE_DUPLICATES names)
if(NOT names MATCHES "HELP_QUIT")
    message(FATAL_ERROR "PublicHeader.cmake: no enumeration constants found in ${WIDL_HEADER}")
endif()

set(set_aside "")
set(restore "")
foreach(name IN LISTS names)
    string(APPEND set_aside "#pragma push_macro(\"${name}\")\n#undef ${name}\n")
    string(APPEND restore "#pragma pop_macro(\"${name}\")\n")
endforeach()

set(text [=[/* Morvel10.h: the C and C++ interface of Morvel10.dll, generated from Morvel10.idl.
 *
 * Include it after <windows.h>, or alone: it includes <windows.h> and <ole2.h> itself
 * (COM_NO_WINDOWS_H does not apply).
 * Link a vtable client with Morvel10_i.c (the library's GUIDs) and ole32, oleaut32, uuid.
 *
 * WinHelp command names. The constants of the enumeration WinHelpCmdHlpfConstants share
 * their names with the platform's macros of <winuser.h> (HELP_CONTEXT, HELP_QUIT, ...),
 * whose values are the same. This header sets every such macro aside while it declares the
 * enumerations and restores it afterwards: after the header, HELP_QUIT and the others are
 * the platform's macros again (integers, usable in #if), and a value of the enumeration's
 * type is written with a conversion:
 *     WinHelpCmdHlpfConstants command = (WinHelpCmdHlpfConstants)HELP_QUIT;
 * HELP_CMD has no platform macro (the platform calls it HELP_COMMAND): it is the
 * enumeration constant itself.
 *
 * <htmlhelp.h> declares HHWIN_NAVTAB_TOP, HHWIN_NAVTAB_LEFT and HHWIN_NAVTAB_BOTTOM as
 * constants of its own, with the same values. To use both headers, include <htmlhelp.h>
 * first: this header then names its three constants Morvel10_HHWIN_NAVTAB_TOP and so on,
 * and the short names stay <htmlhelp.h>'s. Included the other way round, they collide.
 */
#ifndef MORVEL10_PUBLIC_HEADER
#define MORVEL10_PUBLIC_HEADER

/* The platform's macros are defined first, so that they can be set aside below. */
#include <windows.h>
#include <ole2.h>

]=])
string(APPEND text "${set_aside}")
string(APPEND text [=[
#ifdef __HTMLHELP_H__
#define HHWIN_NAVTAB_TOP Morvel10_HHWIN_NAVTAB_TOP
#define HHWIN_NAVTAB_LEFT Morvel10_HHWIN_NAVTAB_LEFT
#define HHWIN_NAVTAB_BOTTOM Morvel10_HHWIN_NAVTAB_BOTTOM
#endif

/* --- widl's header of Morvel10.idl ----------------------------------------------------- */
]=])
string(APPEND text "${body}")
string(APPEND text [=[
/* --- end of widl's header --------------------------------------------------------------- */

]=])
string(APPEND text "${restore}")
string(APPEND text "\n#endif /* MORVEL10_PUBLIC_HEADER */\n")

# Rewrite only on change, so that what includes the header is not rebuilt for nothing.
set(old "")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
    file(WRITE "${OUTPUT}" "${text}")
endif()
