#include "LibraryResources.h"

#include <olectl.h>

#include <cstring>
#include <new>

#include "comkit/ErrorInfo.h"
#include "comkit/Module.h"
#include "comkit/VariantCoercion.h"

namespace morvel {
namespace {

bool isResourceNumber(std::int32_t id) { return id > 0 && id <= 0xFFFF; }

struct ResourceBytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

ResourceBytes findResource(LPCWSTR name, LPCWSTR type)
{
    const HMODULE module = module::instance();
    HRSRC found = FindResourceW(module, name, type);
    if (!found) throw errors::resourceNotFound();
    HGLOBAL loaded = LoadResource(module, found);  // a module's resources need no freeing
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) throw errors::resourceNotFound();
    return {static_cast<const BYTE*>(data), SizeofResource(module, found)};
}

}  // namespace

std::u16string loadResString(std::int32_t id)
{
    if (id < 0 || id > 0xFFFF) throw errors::resourceNotFound();
    // Strings live in blocks of sixteen, each a length followed by that many characters.
    const ResourceBytes block = findResource(MAKEINTRESOURCEW((id >> 4) + 1), MAKEINTRESOURCEW(6) /* RT_STRING */);
    const auto* p = reinterpret_cast<const char16_t*>(block.data);
    const char16_t* end = p + block.size / sizeof(char16_t);
    for (int i = 0; i < (id & 15); ++i) {
        if (p >= end) throw errors::resourceNotFound();
        p += 1 + *p;
    }
    if (p >= end || *p == 0 || end - (p + 1) < *p) throw errors::resourceNotFound();
    return std::u16string(p + 1, *p);
}

ComPtr<IPictureDisp> loadResPicture(std::int32_t id, std::int16_t kind)
{
    static constexpr UINT imageTypes[] = {IMAGE_BITMAP, IMAGE_ICON, IMAGE_CURSOR};
    if (kind < 0 || kind > 2) throw errors::invalidProcedureCall();
    if (!isResourceNumber(id)) throw errors::resourceNotFound();
    UniqueImage image(LoadImageW(module::instance(), MAKEINTRESOURCEW(id), imageTypes[kind], 0, 0, LR_DEFAULTCOLOR),
                      imageTypes[kind]);
    if (!image) throw errors::resourceNotFound();

    PICTDESC description{};
    description.cbSizeofstruct = sizeof(description);
    if (kind == 0) {
        description.picType = PICTYPE_BITMAP;
        description.bmp.hbitmap = static_cast<HBITMAP>(image.get());
    } else {
        // A cursor is an icon as far as the picture object is concerned.
        description.picType = PICTYPE_ICON;
        description.icon.hicon = static_cast<HICON>(image.get());
    }
    ComPtr<IPictureDisp> picture;
    if (HRESULT hr = OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.putVoid()); FAILED(hr))
        throw errorFromHresult(hr);
    image.release();  // the picture owns the handle now
    return picture;
}

Variant loadResData(std::int32_t id, const VARIANT& type)
{
    Variant plain;
    if (HRESULT hr = copyByValue(plain.get(), type); FAILED(hr)) throw errorFromHresult(hr);

    std::wstring typeName;
    LPCWSTR typeArgument = nullptr;
    if (V_VT(plain.get()) == VT_BSTR) {
        BSTR text = V_BSTR(plain.get());
        typeName.assign(text ? text : L"", SysStringLen(text));
        // A name with an embedded NUL would be cut short by the platform: it names nothing.
        if (typeName.empty() || typeName.find(L'\0') != std::wstring::npos) throw errors::resourceNotFound();
        typeArgument = typeName.c_str();
    } else {
        const std::int32_t number = coerceToInt32(*plain.get());
        if (!isResourceNumber(number)) throw errors::resourceNotFound();
        typeArgument = MAKEINTRESOURCEW(number);
    }
    if (!isResourceNumber(id)) throw errors::resourceNotFound();
    const ResourceBytes bytes = findResource(MAKEINTRESOURCEW(id), typeArgument);

    Variant result;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, bytes.size);
    if (!array) throw errors::outOfMemory();
    V_VT(result.get()) = VT_ARRAY | VT_UI1;
    V_ARRAY(result.get()) = array;  // owned by `result` from here on
    if (bytes.size) {
        void* target = nullptr;
        if (HRESULT hr = SafeArrayAccessData(array, &target); FAILED(hr)) throw errorFromHresult(hr);
        std::memcpy(target, bytes.data, bytes.size);
        if (HRESULT hr = SafeArrayUnaccessData(array); FAILED(hr)) throw errorFromHresult(hr);
    }
    return result;
}

}  // namespace morvel
