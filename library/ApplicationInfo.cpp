#include "ApplicationInfo.h"

#include <string>
#include <vector>

#include "comkit/ClassTable.h"
#include "comkit/Conversions.h"
#include "comkit/Module.h"
#include "comkit/PropertyObject.h"

namespace morvel {
namespace {

// The module's version block, or an empty one when it cannot be read.
std::vector<BYTE> versionBlock(const std::wstring& file)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};
    return block;
}

// The string table named by the block's first translation entry ("040904B0" for ours).
std::wstring stringTablePrefix(std::vector<BYTE>& block)
{
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT length = 0;
    wchar_t prefix[64] = L"\\StringFileInfo\\040904B0\\";
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) &&
        length >= sizeof(Translation))
        wsprintfW(prefix, L"\\StringFileInfo\\%04X%04X\\", translations->language, translations->codePage);
    return prefix;
}

std::wstring versionText(std::vector<BYTE>& block, const std::wstring& prefix, const wchar_t* name)
{
    if (block.empty()) return {};
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring key = prefix + name;
    if (!VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
    // The length counts the terminating NUL when there is one.
    std::wstring text(value, length);
    if (const auto nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
    return text;
}

}  // namespace

ComPtr<IDispatch> createApplicationInfo()
{
    const std::wstring file = module::path();
    const size_t slash = file.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : file.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';  // a drive root keeps its backslash
    std::wstring exeName = slash == std::wstring::npos ? file : file.substr(slash + 1);
    if (const size_t dot = exeName.find_last_of(L'.'); dot != std::wstring::npos) exeName.resize(dot);

    std::vector<BYTE> block = file.empty() ? std::vector<BYTE>() : versionBlock(file);
    WORD major = 0, minor = 0, revision = 0;
    if (!block.empty()) {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
            length >= sizeof(VS_FIXEDFILEINFO)) {
            major = HIWORD(fixed->dwFileVersionMS);
            minor = LOWORD(fixed->dwFileVersionMS);
            revision = LOWORD(fixed->dwFileVersionLS);
        }
    }
    const std::wstring prefix = block.empty() ? std::wstring() : stringTablePrefix(block);

    NamedValues values;
    values.emplace_back(L"Title", variantOfText(classTable().library));
    values.emplace_back(L"EXEName", variantOfText(exeName));
    values.emplace_back(L"Path", variantOfText(folder));
    values.emplace_back(L"Major", variantOfShort(static_cast<SHORT>(major)));
    values.emplace_back(L"Minor", variantOfShort(static_cast<SHORT>(minor)));
    values.emplace_back(L"Revision", variantOfShort(static_cast<SHORT>(revision)));
    for (const wchar_t* name :
         {L"Comments", L"CompanyName", L"FileDescription", L"LegalCopyright", L"LegalTrademarks", L"ProductName"})
        values.emplace_back(name, variantOfText(versionText(block, prefix, name)));
    return createPropertyObject(std::move(values));
}

}  // namespace morvel
