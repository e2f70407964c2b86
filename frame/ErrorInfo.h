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
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
}

// A NULL out-pointer from the caller: `require` throws it inside a guarded body and the
// guard answers E_POINTER without touching the thread's error information.
struct NullOutPointer {};

template <class T>
T* require(T* out)
{
    if (!out) throw NullOutPointer{};
    return out;
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
        return setAutomationError(AutomationError(errors::OutOfMemory, u"Out of memory", source), iid);
    } catch (...) {
        return setAutomationError(AutomationError(51, u"Internal error", source), iid);
    }
}

}  // namespace morvel
