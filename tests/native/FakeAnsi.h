#pragma once
// The fakes' ANSI code page: it holds exactly the first 256 code points, and every other
// character becomes '?', as the platform's default character would.

#include <string>

namespace morvel {

inline std::string fakeAnsi(const std::u16string& text)
{
    std::string ansi;
    ansi.reserve(text.size());
    for (char16_t c : text) ansi += c < 0x100 ? char(c) : '?';
    return ansi;
}

}  // namespace morvel
