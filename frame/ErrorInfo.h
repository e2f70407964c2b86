#pragma once
// The COM boundary: every published member runs its body through `guard`, which turns a
// caught AutomationError into 0x800A0000 | number with IErrorInfo (source, description),
// and lets no other exception escape either.

#include <windows.h>
#include <oaidl.h>

#include <new>
#include <string>

#include "AutomationError.h"

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

// The error of a body that failed without an AutomationError of its own. Building it needs
// memory too; when even that fails the plain status code is the answer.
inline HRESULT lastResort(std::int32_t number, const char16_t* description, const char16_t* source, REFIID iid,
                          HRESULT plain) noexcept
{
    try {
        return setAutomationError(AutomationError(number, description, source), iid);
    } catch (...) {
        return plain;
    }
}

template <class Body>
HRESULT guard(REFIID iid, const char16_t* source, Body&& body) noexcept
{
    try {
        SetErrorInfo(0, nullptr);
        body();
        return S_OK;
    } catch (const NullOutPointer&) {
        return E_POINTER;
    } catch (AutomationError& error) {
        try {
            error.setSourceIfEmpty(source);
        } catch (...) {
        }
        return setAutomationError(error, iid);
    } catch (const std::bad_alloc&) {
        return lastResort(errors::OutOfMemory, u"Out of memory", source, iid, E_OUTOFMEMORY);
    } catch (...) {
        return lastResort(51, u"Internal error", source, iid, E_UNEXPECTED);
    }
}

}  // namespace morvel
