#pragma once
// How the recording engine writes what it receives, one line per HtmlHelpA call, and how
// the tests spell what they expect. Shared so both sides quote texts the same way.
//
//   owner=0x00001234 file="C:\\Help\\Demo.chm>Main" command=0x0003 data=fts{cbStruct=32 ...}
//
// A text is written in double quotes with \\, \" and \xHH for bytes outside printable
// ASCII; a null pointer is written null.

#include <cstdint>
#include <cstdio>
#include <string>

namespace hhrecord {

inline std::string quote(const char* text)
{
    if (!text) return "null";
    std::string out = "\"";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == '\\' || *p == '"') {
            out += '\\';
            out += char(*p);
        } else if (*p < 0x20 || *p >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", *p);
            out += hex;
        } else {
            out += char(*p);
        }
    }
    return out + "\"";
}

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
