#include "ErrorInfo.h"

#include <new>

#include "Handles.h"

namespace morvel {

HRESULT setAutomationError(const AutomationError& error, REFIID iid) noexcept
{
    const HRESULT result = automationHresult(error.number());
    // The error information is the best we can add; the failure code goes back either way,
    // so a step that fails only leaves the details unpublished.
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.put()))) return result;
    auto text = [](const std::u16string& t) {
        return const_cast<LPOLESTR>(reinterpret_cast<const wchar_t*>(t.c_str()));
    };
    if (FAILED(create->SetGUID(iid)) || FAILED(create->SetSource(text(error.source()))) ||
        FAILED(create->SetDescription(text(error.description()))))
        return result;
    if (auto info = create.as<IErrorInfo>()) {
        [[maybe_unused]] const HRESULT published = SetErrorInfo(0, info.get());
    }
    return result;
}

namespace {

// The error of a body that failed without an AutomationError of its own. Building it needs
// memory too; when even that fails the plain status code is the answer.
HRESULT publishLastResort(AutomationError (*make)(), const ErrorTarget& target, HRESULT plain) noexcept
{
    try {
        AutomationError error = make();
        if (target.source) error.setSourceIfEmpty(target.source);
        return setAutomationError(error, target.iid);
    } catch (...) {
        return plain;
    }
}

}  // namespace

HRESULT hresultOfCaughtException(const ErrorTarget* target) noexcept
{
    try {
        throw;
    } catch (const NullOutPointer&) {
        return E_POINTER;
    } catch (AutomationError& error) {
        if (!target) return automationHresult(error.number());
        try {
            if (target->source) error.setSourceIfEmpty(target->source);
        } catch (...) {
            // The error still goes out, only without the member's name as its source.
        }
        return setAutomationError(error, target->iid);
    } catch (const std::bad_alloc&) {
        return target ? publishLastResort(&errors::outOfMemory, *target, E_OUTOFMEMORY) : E_OUTOFMEMORY;
    } catch (...) {
        return target ? publishLastResort(&errors::internalError, *target, E_UNEXPECTED) : E_UNEXPECTED;
    }
}

namespace {

std::u16string fromWide(BSTR text)
{
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text)) : std::u16string();
}

}  // namespace

AutomationError errorFromHresult(HRESULT hr, const EXCEPINFO* exception)
{
    if (hr == DISP_E_EXCEPTION && exception) {
        EXCEPINFO filled = *exception;
        // A deferred exception fills itself in on request; the copy keeps the caller's untouched.
        // The fill-in may clear its own pointer, so whether it ran is remembered here.
        const bool deferred = filled.pfnDeferredFillIn != nullptr;
        if (deferred) filled.pfnDeferredFillIn(&filled);
        // Only what the fill-in added is ours; texts already there belong to the caller.
        auto added = [&](BSTR now, BSTR before) { return Bstr::adopt(deferred && now != before ? now : nullptr); };
        const Bstr addedSource = added(filled.bstrSource, exception->bstrSource);
        const Bstr addedDescription = added(filled.bstrDescription, exception->bstrDescription);
        const Bstr addedHelpFile = added(filled.bstrHelpFile, exception->bstrHelpFile);
        const HRESULT code = filled.wCode ? automationHresult(filled.wCode) : filled.scode;
        AutomationError error = errorFromHresult(FAILED(code) ? code : E_FAIL);
        std::u16string description = fromWide(filled.bstrDescription);
        std::u16string source = fromWide(filled.bstrSource);
        return AutomationError(error.number(), description.empty() ? error.description() : std::move(description),
                               std::move(source));
    }
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) {
        const std::int32_t number = HRESULT_CODE(hr);
        switch (number) {
        case errors::Overflow: return errors::overflow();
        case errors::TypeMismatch: return errors::typeMismatch();
        case errors::ObjectNotSet: return errors::objectNotSet();
        case errors::ResourceNotFound: return errors::resourceNotFound();
        case errors::CannotCreateObject: return errors::cannotCreateObject();
        default: return AutomationError(number, u"Application-defined or object-defined error");
        }
    }
    switch (hr) {
    case DISP_E_TYPEMISMATCH: return errors::typeMismatch();
    case DISP_E_OVERFLOW: return errors::overflow();
    case E_OUTOFMEMORY: return errors::outOfMemory();
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND: return errors::objectDoesntSupport();
    case DISP_E_BADPARAMCOUNT: return errors::wrongArgumentCount();
    case DISP_E_PARAMNOTOPTIONAL: return errors::argumentNotOptional();
    case REGDB_E_CLASSNOTREG:
    case CO_E_CLASSSTRING: return errors::cannotCreateObject();
    default: return AutomationError(static_cast<std::int32_t>(hr), u"Automation error");
    }
}

}  // namespace morvel
