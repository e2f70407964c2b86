#pragma once
// The library object: application information, the library's own resources, the About
// box and the per-thread object slot.

#include "comkit/ComObject.h"
#include "library/Published.h"

namespace morvel {

class clsKvMorvel10A final : public ComObject<clsKvMorvel10A, _clsKvMorvel10A> {
public:
    STDMETHODIMP get_GetProStdProperties(IDispatch** result) override;
    STDMETHODIMP get_GetProResStrings(LONG* lResId, BSTR* result) override;
    STDMETHODIMP get_GetProResPicture(LONG* lResId, LONG* lRestype, IPictureDisp** result) override;
    STDMETHODIMP get_GetProResData(LONG* lResId, VARIANT* vRestype, VARIANT* result) override;
    STDMETHODIMP About(LONG* result) override;
    STDMETHODIMP get_BuddyObjectGlobal(IDispatch** result) override;
    STDMETHODIMP putref_BuddyObjectGlobal(IDispatch* rhs) override;
};

}  // namespace morvel
