#include "AnsiText.h"

#include <windows.h>

#include <algorithm>

namespace morvel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide strings are UTF-16");

std::string toAnsi(const std::u16string& text)
{
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string ansi(static_cast<std::size_t>(needed), '\0');
    const int written = ::WideCharToMultiByte(CP_ACP, 0, wide, length, ansi.data(), needed, nullptr, nullptr);
    ansi.resize(static_cast<std::size_t>(std::max(written, 0)));
    return ansi;
}

}  // namespace morvel
