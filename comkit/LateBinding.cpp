#include "LateBinding.h"

#include <vector>

#include "ErrorInfo.h"

namespace morvel {

ComPtr<IDispatch> createObject(const wchar_t* progId)
{
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(progId, &clsid))) throw errors::cannotCreateObject();
    ComPtr<IDispatch> object;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                        object.putVoid());
    if (hr == E_OUTOFMEMORY) throw errorFromHresult(hr);
    if (FAILED(hr) || !object) throw errors::cannotCreateObject();
    return object;
}

Variant callByName(IDispatch* object, const wchar_t* member, std::span<VARIANT> args)
{
    if (!object) throw errors::objectNotSet();
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
    if (HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); FAILED(hr))
        throw hr == E_OUTOFMEMORY ? errorFromHresult(hr) : errors::objectDoesntSupport();

    std::vector<VARIANT> reversed(args.rbegin(), args.rend());  // bitwise copies: the caller still owns them
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    Variant result;
    EXCEPINFO exception{};
    UINT argError = 0;
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(),
                                      &exception, &argError);
    // The callee allocated these texts for us, whether or not it failed.
    const ExceptionTexts texts(exception);
    if (FAILED(hr)) throw errorFromHresult(hr, &exception);
    return result;
}

}  // namespace morvel
