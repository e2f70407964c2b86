#pragma once
// What the stand-in companion tells about its calls. When the environment variable
// MORVEL_COMPANION_LOG names a file, every call appends one UTF-8 line to it:
//
//   Member | 4009 {Title="Morvel10";Major=1} | 4008 "text" | 4003 0 | 000a 80020004
//
// one field per argument in natural order: the variant type in hex, then the value (an
// object as the late-bound properties it answers, a text in quotes, an error value as its
// code in hex, "Nothing" for an empty object reference). Line breaks in texts are written
// as \n.

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace ostrel {

void logCall(const wchar_t* member, const DISPPARAMS& params);

// A property of `object` read by late binding; empty when the object lacks it.
std::wstring propertyText(IDispatch* object, const wchar_t* name);

// The object behind an argument (by value or by reference), not AddRef'ed; null otherwise.
IDispatch* objectOf(const VARIANT* argument) noexcept;
// The argument as text through the automation coercion; empty when it has none.
std::wstring textOf(const VARIANT* argument);

}  // namespace ostrel
