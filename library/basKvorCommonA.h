#pragma once
// The glue to the companion framework component Ostrel10, reached only by ProgID and
// late-bound calls by member name: its About box and its error report.

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "portable/AutomationError.h"

namespace morvel::basKvorCommonA {

// Creates a new "Ostrel10.clsKvorErrorHandlerA" and calls its ErrorHandlerMessageKv with
// the eight arguments in this order: the two objects and the texts and numbers by
// reference (0x4009, 0x4009, 0x4008, 0x4008, 0x4003, 0x4008, 0x4003), then a copy of
// `optional` (omitted when null: VT_ERROR with DISP_E_PARAMNOTFOUND). Catches nothing: a
// failure to create the handler, a missing member or the member's own error is thrown.
void ErrorHandlerMessageKv_Pro(IDispatch* application, IDispatch* error, const std::wstring& text3,
                               const std::wstring& source, LONG number5, const std::wstring& text6, LONG number7,
                               const VARIANT* optional = nullptr);

// The report as the library's members make it from inside their error handling: the
// application-information object, an error object made from `error`, an empty text, the
// source text ("class.member"), 0, an empty text, 0 and the omitted eighth argument.
void reportError(const AutomationError& error, const wchar_t* source);

// The About service: creates "Ostrel10.clsKvOstrel10A", takes a second reference, calls
// AppAboutKvor with the application-information object, and drops both references. An
// error of any step is reported with the source "basKvorCommonA.AppAboutKvor_Pro" and the
// service goes on; an error of the report itself is thrown.
void AppAboutKvor_Pro();

}  // namespace morvel::basKvorCommonA
