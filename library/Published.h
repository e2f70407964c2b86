#pragma once
// The published interfaces: the build's public header, generated from Morvel10.idl. It is
// the header the SDK gives to clients, so the library is built against what they see; it
// sets the platform's WinHelp macros aside while it declares the enumeration constants of
// the same names and restores them after (cmake/PublicHeader.cmake).

#include "Morvel10.h"
