#pragma once
// The fakes' ANSI code page and the UTF-8 the fakes keep their names in.
//
// Latin1 holds exactly the first 256 code points, one byte each. Like a real code page it
// also maps some characters it lacks to others by best fit (the fullwidth forms of ASCII,
// U+FF01..U+FF5E, become the ASCII letters they look like), and every other character
// becomes the default character '?'. Code that converts without checking is therefore
// caught twice over: it turns names into question marks, and it finds "guide2.chm" for
// "ｇｕｉｄｅ２.chm". Utf8 is the system setting that makes UTF-8 the ANSI code page, a
// multibyte one in which a character takes up to four bytes. Cyrillic is code page 1251 as
// far as its letters go (А..я, Ё, ё), with ASCII below; other bytes read as U+FFFD.

#include <optional>
#include <string>

#include "portable/PlatformText.h"
#include "portable/Utf8.h"

namespace morvel {

enum class FakeCodePage { Latin1, Utf8, Cyrillic };

// What the platform's conversion makes of text when nobody checks: best fit and the default
// character included. `exact` says whether every character came through as itself.
inline std::string fakeAnsi(const std::u16string& text, FakeCodePage codePage = FakeCodePage::Latin1,
                            bool* exact = nullptr)
{
    bool same = true;
    std::string ansi;
    if (codePage == FakeCodePage::Utf8) {
        ansi = utf8(text);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const bool high = text[i] >= 0xD800 && text[i] < 0xDC00;
            const bool low = text[i] >= 0xDC00 && text[i] < 0xE000;
            if (low || (high && !(i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000))) same = false;
            if (high) ++i;
        }
    } else {
        ansi.reserve(text.size());
        for (char16_t c : text) {
            if (codePage == FakeCodePage::Cyrillic && c >= 0x80) {
                const bool letter = (c >= 0x410 && c < 0x450) || c == 0x401 || c == 0x451;
                same = same && letter;
                ansi += !letter ? '?' : c == 0x401 ? '\xA8' : c == 0x451 ? '\xB8' : char(c - 0x410 + 0xC0);
                continue;
            }
            if (c < 0x100) {
                ansi += char(c);
                continue;
            }
            same = false;
            ansi += c >= 0xFF01 && c <= 0xFF5E ? char(c - 0xFF01 + 0x21) : '?';
        }
    }
    if (exact) *exact = same;
    return ansi;
}

inline std::u16string fakeFromAnsi(const std::string& bytes, FakeCodePage codePage = FakeCodePage::Latin1)
{
    if (codePage == FakeCodePage::Utf8) return fromUtf8(bytes);
    std::u16string text;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (codePage == FakeCodePage::Latin1 || b < 0x80)
            text += char16_t(b);
        else
            text += b >= 0xC0 ? char16_t(0x410 + b - 0xC0) : b == 0xA8 ? u'\u0401' : b == 0xB8 ? u'\u0451' : u'\uFFFD';
    }
    return text;
}

// The exact conversion the ports offer: nothing when any character would change.
inline std::optional<std::string> fakeExactAnsi(const std::u16string& text, FakeCodePage codePage)
{
    bool exact = false;
    std::string ansi = fakeAnsi(text, codePage, &exact);
    if (!exact) return std::nullopt;
    return ansi;
}

// Text an ANSI entry point receives, spelled in the tests as its Latin-1 bytes.
inline PlatformText ansiText(const std::string& bytes) { return PlatformText::ansi(fakeFromAnsi(bytes), bytes); }

}  // namespace morvel
