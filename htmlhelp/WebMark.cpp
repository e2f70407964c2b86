#include "WebMark.h"

#include <string_view>

#include "../portable/Utf8.h"

namespace morvel::htmlhelp {

namespace {

constexpr long ERROR_INVALID_NAME_ = 123;  // a file system without streams (FAT) refuses the name

// Well-formed UTF-8: lead bytes with their continuations, no overlong two-byte forms.
bool isUtf8(const std::vector<std::uint8_t>& bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t b = bytes[i];
        const std::size_t length = b < 0x80                  ? 1
                                   : (b >= 0xC2 && b < 0xE0) ? 2
                                   : (b >= 0xE0 && b < 0xF0) ? 3
                                   : (b >= 0xF0 && b < 0xF5) ? 4
                                                             : 0;
        if (length == 0 || i + length > bytes.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((bytes[i + k] & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

std::u16string decoded(const std::vector<std::uint8_t>& bytes, HtmlHelpPort& port)
{
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        std::u16string text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) text += char16_t(bytes[i] | bytes[i + 1] << 8);
        return text;
    }
    const bool bom = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    if (bom || isUtf8(bytes)) return fromUtf8(std::string(bytes.begin() + (bom ? 3 : 0), bytes.end()));
    return port.FromAnsi(std::string(bytes.begin(), bytes.end()));
}

std::u16string_view trimmed(std::u16string_view text)
{
    const auto first = text.find_first_not_of(u" \t");
    if (first == std::u16string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
}

bool sameAscii(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

std::optional<std::uint32_t> number(std::u16string_view text)
{
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + std::uint64_t(c - u'0');
    }
    if (value > 0xFFFFFFFFu) return std::nullopt;
    return std::uint32_t(value);
}

}  // namespace

std::u16string WebMark::streamOf(const std::u16string& file) { return file + u":Zone.Identifier"; }

std::u16string WebMark::powerShellLiteral(const std::u16string& text)
{
    std::u16string literal = u"'";
    for (char16_t c : text) literal += c == u'\'' ? std::u16string(u"''") : std::u16string(1, c);
    return literal + u"'";
}

WebMark WebMark::parse(const std::vector<std::uint8_t>& bytes, HtmlHelpPort& port)
{
    WebMark mark;
    mark.text = decoded(bytes, port);
    // Keys count before any section and in [ZoneTransfer]; other sections are someone else's.
    bool inZoneTransfer = true;
    const std::u16string_view all = mark.text;
    for (std::size_t start = 0; start < all.size();) {
        std::size_t end = all.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos) end = all.size();
        const std::u16string_view line = trimmed(all.substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        if (line.front() == u'[') {
            inZoneTransfer = sameAscii(line, u"[ZoneTransfer]");
            continue;
        }
        const auto equals = line.find(u'=');
        if (!inZoneTransfer || equals == std::u16string_view::npos) continue;
        const std::u16string_view key = trimmed(line.substr(0, equals));
        const std::u16string_view value = trimmed(line.substr(equals + 1));
        if (sameAscii(key, u"ZoneId"))
            mark.zoneId = number(value);
        else if (sameAscii(key, u"ReferrerUrl"))
            mark.referrerUrl = value.substr(0, MaxValueLength);
        else if (sameAscii(key, u"HostUrl"))
            mark.hostUrl = value.substr(0, MaxValueLength);
    }
    return mark;
}

std::optional<WebMark> WebMark::read(HtmlHelpPort& port, const std::u16string& file, long& status)
{
    std::vector<std::uint8_t> bytes;
    status = port.ReadFile(streamOf(file), MaxBytes, bytes);
    if (status == ERROR_FILE_NOT_FOUND_ || status == ERROR_PATH_NOT_FOUND_ || status == ERROR_INVALID_NAME_)
        return std::nullopt;
    if (status != ERROR_SUCCESS_) return WebMark{};
    return parse(bytes, port);
}

}  // namespace morvel::htmlhelp
