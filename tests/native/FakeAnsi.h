#pragma once
// The fakes' ANSI code page and the UTF-8 the fakes keep their names in.
//
// Latin1 holds exactly the first 256 code points, one byte each. Like a real code page it
// also maps some characters it lacks to others by best fit (the fullwidth forms of ASCII,
// U+FF01..U+FF5E, become the ASCII letters they look like), and every other character
// becomes the default character '?'. Code that converts without checking is therefore
// caught twice over: it turns names into question marks, and it finds "guide2.chm" for
// "ｇｕｉｄｅ２.chm". Utf8 is the system setting that makes UTF-8 the ANSI code page, a
// multibyte one in which a character takes up to four bytes.

#include <optional>
#include <string>

#include "portable/PlatformText.h"

namespace morvel {

enum class FakeCodePage { Latin1, Utf8 };

inline std::string utf8(const std::u16string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | c >> 18);
            out += char(0x80 | (c >> 12 & 0x3F));
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

inline std::u16string fromUtf8(const std::string& text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        const int length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        char32_t c = length == 1 ? b : b & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + k < text.size(); ++k) c = c << 6 | (text[i + k] & 0x3F);
        i += length;
        if (c >= 0x10000) {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

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
    for (char c : bytes) text += char16_t(static_cast<unsigned char>(c));
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
