#include "CallLog.h"

#include <memory>
#include <vector>

#include "CompanionModule.h"
#include "comkit/Handles.h"

namespace ostrel {
namespace {

using morvel::Variant;

// The properties worth telling about, for the two kinds of object the library passes.
constexpr const wchar_t* knownProperties[] = {L"Title",  L"Major",       L"Minor",    L"Revision",    L"Number",
                                              L"Source", L"Description", L"HelpFile", L"HelpContext", L"LastDllError"};

bool readProperty(IDispatch* object, const wchar_t* name, Variant& out)
{
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXCEPINFO exception{};
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, out.put(),
                                      &exception, nullptr);
    const morvel::ExceptionTexts texts(exception);
    return SUCCEEDED(hr);
}

std::wstring asText(const VARIANT* value)
{
    Variant text;
    if (FAILED(VariantChangeTypeEx(text.get(), const_cast<VARIANT*>(value), LOCALE_INVARIANT, 0, VT_BSTR))) return {};
    BSTR b = V_BSTR(text.get());
    return std::wstring(b ? b : L"", SysStringLen(b));
}

std::wstring escaped(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n')
            out += L"\\n";
        else if (c == L'\r')
            out += L"\\r";
        else
            out += c;
    }
    return out;
}

std::wstring quoted(const std::wstring& text) { return L"\"" + escaped(text) + L"\""; }

std::wstring describe(const VARIANT* argument)
{
    const VARTYPE type = V_VT(argument);
    wchar_t header[16];
    wsprintfW(header, L"%04x ", type);
    const VARTYPE base = type & ~VT_BYREF;
    std::wstring out = header;
    if (base == VT_DISPATCH || base == VT_UNKNOWN) {
        IDispatch* object = objectOf(argument);
        if (!object) return out + L"Nothing";
        out += L"{";
        bool first = true;
        for (const wchar_t* name : knownProperties) {
            Variant value;
            if (!readProperty(object, name, value)) continue;
            if (!first) out += L";";
            first = false;
            out += name;
            out += L"=";
            out += V_VT(value.get()) == VT_BSTR ? quoted(asText(value.get())) : asText(value.get());
        }
        return out + L"}";
    }
    if (base == VT_ERROR) {
        Variant plain;
        if (FAILED(VariantCopyInd(plain.get(), const_cast<VARIANT*>(argument)))) return out + L"?";
        wchar_t code[16];
        wsprintfW(code, L"%08lx", static_cast<unsigned long>(V_ERROR(plain.get())));
        return out + code;
    }
    if (base == VT_BSTR) return out + quoted(textOf(argument));
    Variant plain;
    if (FAILED(VariantCopyInd(plain.get(), const_cast<VARIANT*>(argument)))) return out + L"?";
    return out + escaped(asText(plain.get()));
}

std::string utf8(const std::wstring& text)
{
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr) !=
        n)
        return {};
    return out;
}

}  // namespace

IDispatch* objectOf(const VARIANT* argument) noexcept
{
    if (!argument) return nullptr;
    switch (V_VT(argument)) {
    case VT_DISPATCH: return V_DISPATCH(argument);
    case VT_BYREF | VT_DISPATCH: return V_DISPATCHREF(argument) ? *V_DISPATCHREF(argument) : nullptr;
    default: return nullptr;
    }
}

std::wstring textOf(const VARIANT* argument)
{
    if (!argument) return {};
    Variant plain;
    if (FAILED(VariantCopyInd(plain.get(), const_cast<VARIANT*>(argument)))) return {};
    return asText(plain.get());
}

std::wstring propertyText(IDispatch* object, const wchar_t* name)
{
    Variant value;
    if (!object || !readProperty(object, name, value)) return {};
    return asText(value.get());
}

void logCall(const wchar_t* member, const DISPPARAMS& params)
{
    wchar_t file[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(L"MORVEL_COMPANION_LOG", file, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2) return;

    std::wstring line = member;
    for (UINT i = 0; i < params.cArgs; ++i) line += L" | " + describe(argumentAt(params, i));
    line += L"\r\n";
    const std::string bytes = utf8(line);

    HANDLE opened = CreateFileW(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return;
    std::unique_ptr<void, decltype(&CloseHandle)> log(opened, &CloseHandle);
    // One write per line, so lines of calls from two processes never interleave.
    DWORD written = 0;
    WriteFile(log.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace ostrel
