#pragma once
// The COM boundary: every published member runs its body through `guard`, which turns a
// caught AutomationError into 0x800A0000 | number with IErrorInfo (source, description),
// and lets no other exception escape either.

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "portable/AutomationError.h"

namespace morvel {

// Publishes the error as the thread's error information and returns its HRESULT.
HRESULT setAutomationError(const AutomationError& error, REFIID iid) noexcept;

inline HRESULT automationHresult(std::int32_t number) noexcept
{
    // A negative number is a status code the runtime has no number of its own for; it
    // travels unchanged, as the host's Err.Number shows it.
    if (number < 0) return static_cast<HRESULT>(number);
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
}

// The run-time error a failed platform or automation call stands for: the runtime's own
// number where it has one (type mismatch, overflow, out of memory, a control error), or
// else the status code itself with the description "Automation error". An exception
// reported through EXCEPINFO keeps its number, source and description.
AutomationError errorFromHresult(HRESULT hr, const EXCEPINFO* exception = nullptr);

// A NULL out-pointer from the caller: `require` throws it inside a guarded body and the
// guard answers E_POINTER without touching the thread's error information.
struct NullOutPointer {};

template <class T>
T* require(T* out)
{
    if (!out) throw NullOutPointer{};
    return out;
}

// Where an automation member's error is published besides its HRESULT.
struct ErrorTarget {
    const IID& iid;
    const char16_t* source;  // "class.member"; given to errors that bring none of their own
};

// The one map from an exception to what a COM caller gets back; call it only while a
// catch block handles the exception. An AutomationError gives 0x800A0000 | number, running
// out of memory the runtime's error 7, anything else the internal error 51; with a target
// the error is also published as the thread's IErrorInfo. Without one (server entry
// points, class factories, the plumbing of IDispatch) the status code alone is the answer:
// E_OUTOFMEMORY, E_UNEXPECTED, or the automation HRESULT. A NULL out-pointer is E_POINTER
// either way.
HRESULT hresultOfCaughtException(const ErrorTarget* target = nullptr) noexcept;

// Runs the body of a published member: S_OK, or the failure as the map above publishes it.
template <class Body>
HRESULT guard(REFIID iid, const char16_t* source, Body&& body) noexcept
{
    try {
        SetErrorInfo(0, nullptr);
        body();
        return S_OK;
    } catch (...) {
        const ErrorTarget target{iid, source};
        return hresultOfCaughtException(&target);
    }
}

// Runs the body of an entry point that answers with a status code and no error information:
// the body's own HRESULT, or the status of what it threw.
template <class Body>
HRESULT guardStatus(Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return hresultOfCaughtException();
    }
}

}  // namespace morvel
