#include "ContextIdAudit.h"

#include <algorithm>
#include <cctype>

namespace morvel::helpdoctor {

namespace {

std::string trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool isName(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_' || c == '.' || c == '-';
    });
}

// Decimal or 0x hex, up to 32 bits; a trailing "L" or "U" as C headers write them.
std::optional<std::uint32_t> parseNumber(std::string text)
{
    while (!text.empty() && (text.back() == 'L' || text.back() == 'l' || text.back() == 'U' || text.back() == 'u'))
        text.pop_back();
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.erase(0, 2);
    }
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * std::uint64_t(base) + std::uint64_t(digit);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return std::uint32_t(value);
}

}  // namespace

ContextIdList parseContextIds(const std::string& text)
{
    ContextIdList list;
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = trim(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (lineNumber == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);  // a UTF-8 mark
        if (line.empty() || line[0] == ';' || line.rfind("//", 0) == 0 || line[0] == '[') continue;
        const auto comment = line.find("//");
        if (comment != std::string::npos) line = trim(line.substr(0, comment));
        // A header's other directives (#pragma once, include guards) carry no id.
        if (line[0] == '#' && line.rfind("#define", 0) != 0) continue;

        std::string name, value;
        if (line.rfind("#define", 0) == 0) {
            const std::string rest = trim(line.substr(7));
            const auto gap = rest.find_first_of(" \t");
            if (gap != std::string::npos) {
                name = rest.substr(0, gap);
                value = trim(rest.substr(gap));
            }
        } else if (const auto equals = line.find('='); equals != std::string::npos) {
            name = trim(line.substr(0, equals));
            value = trim(line.substr(equals + 1));
        }
        const auto id = parseNumber(value);
        if (!isName(name) || !id) {
            list.badLines.push_back(lineNumber);
            continue;
        }
        list.ids.push_back({name, *id, lineNumber});
    }
    return list;
}

AuditResult auditContextIds(htmlhelp::HtmlHelpPort& port, const std::u16string& file, const ContextIdList& ids)
{
    AuditResult result;
    auto chm = htmlhelp::HelpFileContents::open(port, file, result.status);
    if (!chm) return result;
    result.opened = true;
    try {
        auto map = chm->contextMap();
        result.hasMap = map.has_value();
        if (!map) {
            result.missing = ids.ids;
            return result;
        }
        result.map = std::move(*map);
        result.mapped = result.map.entries.size();
        std::vector<std::uint32_t> mapped;
        mapped.reserve(result.mapped);
        for (const auto& entry : result.map.entries) mapped.push_back(entry.id);
        std::sort(mapped.begin(), mapped.end());
        for (const ContextId& id : ids.ids)
            if (!std::binary_search(mapped.begin(), mapped.end(), id.id)) result.missing.push_back(id);
        // Each distinct topic is looked up once, however many ids point at it.
        std::vector<char> present(result.map.topics.size());
        for (std::size_t i = 0; i < present.size(); ++i) present[i] = chm->hasTopic(result.map.topics[i]);
        for (const auto& entry : result.map.entries)
            if (!present[entry.topic]) result.broken.push_back(entry);
    } catch (const htmlhelp::ContentsTooLarge&) {
        result.tooLarge = true;
    }
    return result;
}

}  // namespace morvel::helpdoctor
