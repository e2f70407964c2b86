//{{NO_DEPENDENCIES}}
// Microsoft Visual C++ generated include file.
// Used by App.rc
//
#ifndef APP_IDS_H
#define APP_IDS_H
#pragma once

#define IDD_ABOUTBOX 100
#define IDH_ORDERS 1000
#define IDH_OCTAL 010u /* octal */
                       /* two
   lines */
#define IDH_SPACED((DWORD)0x10)
#define IDH_CAST (UINT)5
#define IDC_STATIC -1
#define IDH_LONG 0x7FFFFFFFL
#define HELP_MACRO(x) ((x) + 1)

// Next default values for new objects
//
#ifdef APSTUDIO_INVOKED
#ifndef APSTUDIO_READONLY_SYMBOLS
#define _APS_NEXT_RESOURCE_VALUE 101
#define _APS_NEXT_COMMAND_VALUE 40001
#define _APS_NEXT_CONTROL_VALUE 1000
#define _APS_NEXT_SYMED_VALUE 101
#endif
#endif
#endif  // APP_IDS_H
