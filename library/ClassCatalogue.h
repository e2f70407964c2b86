#pragma once
// The classes Morvel10.dll publishes, in the order of the type library, each as
// MORVEL_CLASS(name, factory). It is the one list both the DLL's class table
// (ClassTable.cpp) and the installer's registry fragment (tools/regfragment) are made
// from, so a package registers exactly the classes the DLL serves. The ProgID is the
// library name, a full stop and the class name; the CLSID is CLSID_<name> from the IDL.

#define MORVEL10_LIBRARY L"Morvel10"

#define MORVEL10_CLASSES(MORVEL_CLASS)                                                                                 \
    MORVEL_CLASS(clsKvMorvel10A, clsKvMorvel10A::create)                                                               \
    MORVEL_CLASS(clsKvHlpfHtmlA, htmlhelp::ComHtmlHelp::create)                                                        \
    MORVEL_CLASS(clsKvHlpfHlpA, winhelp::ComWinHelp::create)                                                           \
    MORVEL_CLASS(clsKvHlpfGeneralA, clsKvHlpfGeneralA::create)                                                         \
    MORVEL_CLASS(clsKvHlpfAdvancedA, clsKvHlpfAdvancedA::create)
