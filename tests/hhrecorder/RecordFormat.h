#pragma once
// How the recording engine writes what it receives, one line per call, and how the tests
// spell what they expect. Shared so both sides quote texts the same way.
//
//   owner=0x00001234 file="C:\\Help\\Demo.chm>Main" command=0x0003 data=fts{cbStruct=32 ...}
//   entry=HtmlHelpW owner=0x00001234 file="C:\\Hilfe\\\u65E5.chm" command=0x0000 data="caf\u00E9.htm"
//
// An HtmlHelpA line is the bare fields; an HtmlHelpW line starts with its entry point. A
// text is written in double quotes with \\ and \"; an ANSI text writes a byte outside
// printable ASCII as \xHH, a wide text a UTF-16 unit outside it as \uXXXX. A null pointer
// is written null.

#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>

namespace hhrecord {

// Either form, by its character type: a byte of ANSI text, or a UTF-16 unit of wide text.
template <class Char>
std::string quoteUnits(const Char* text)
{
    if (!text) return "null";
    std::string out = "\"";
    for (; *text; ++text) {
        const auto unit = static_cast<std::make_unsigned_t<Char>>(*text);
        if (unit == '\\' || unit == '"') {
            out += '\\';
            out += char(unit);
        } else if (unit < 0x20 || unit >= 0x7F) {
            char spelled[8];
            std::snprintf(spelled, sizeof spelled, sizeof(Char) == 1 ? "\\x%02X" : "\\u%04X",
                          static_cast<unsigned>(unit));
            out += spelled;
        } else {
            out += char(unit);
        }
    }
    return out + "\"";
}

inline std::string quote(const char* text) { return quoteUnits(text); }
inline std::string quote(const wchar_t* text) { return quoteUnits(text); }

inline std::string quote(const std::string& text) { return quote(text.c_str()); }

inline std::string hex(std::uint32_t value, int digits = 8)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
    return text;
}

// A pointer-sized handle: eight digits while it fits in 32 bits, all sixteen otherwise, so
// a log shows how a 32-bit value was widened on x64.
inline std::string handle(std::uint64_t value)
{
    if (value <= 0xFFFFFFFFu) return hex(static_cast<std::uint32_t>(value));
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace hhrecord
