#include "AnsiText.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace morvel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide strings are UTF-16");

std::optional<std::string> exactAnsi(const std::u16string& text)
{
    // Every ANSI code page of Windows agrees with ASCII; most texts never need the platform.
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; }))
        return std::string(text.begin(), text.end());
    if (text.size() > INT_MAX) return std::nullopt;

    // UTF-8 has no best fit and no default character to report: the platform refuses both
    // the flag and the pointer for it, and wants to hear that unpaired surrogates fail.
    const UINT codePage = ::GetACP();
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const defaultUsed = utf8 ? nullptr : &usedDefault;

    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(codePage, flags, wide, length, nullptr, 0, nullptr, defaultUsed);
    if (needed <= 0 || usedDefault) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    const int written = ::WideCharToMultiByte(codePage, flags, wide, length, bytes.data(), needed, nullptr,
                                              defaultUsed);
    if (written <= 0 || usedDefault) return std::nullopt;
    bytes.resize(static_cast<std::size_t>(written));

    // Some code pages ignore the no-best-fit request; only bytes that read back as the very
    // text are exact.
    const int back = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), written, nullptr, 0);
    if (back != length) return std::nullopt;
    std::u16string again(static_cast<std::size_t>(back), u'\0');
    const int read = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), written,
                                           reinterpret_cast<wchar_t*>(again.data()), back);
    if (read != length || again != text) return std::nullopt;
    return bytes;
}

}  // namespace morvel
