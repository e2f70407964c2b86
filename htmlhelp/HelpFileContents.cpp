#include "HelpFileContents.h"

#include <algorithm>

namespace morvel::htmlhelp {

namespace {

char16_t foldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; }

bool equalNoCase(const std::u16string& a, const std::u16string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return foldAscii(x) == foldAscii(y); });
}

bool startsWithNoCase(const std::u16string& text, const std::u16string& prefix)
{
    return text.size() >= prefix.size() && equalNoCase(text.substr(0, prefix.size()), prefix);
}

std::uint32_t dword(const std::vector<std::uint8_t>& data, std::size_t at)
{
    return std::uint32_t(data[at]) | std::uint32_t(data[at + 1]) << 8 | std::uint32_t(data[at + 2]) << 16 |
           std::uint32_t(data[at + 3]) << 24;
}

std::uint16_t word(const std::vector<std::uint8_t>& data, std::size_t at)
{
    return std::uint16_t(data[at] | data[at + 1] << 8);
}

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

// The few entities a sitemap writer puts into a value.
std::string decodeEntities(const std::string& text)
{
    static const std::pair<const char*, char> entities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text[i] == '&') {
            for (const auto& [name, c] : entities) {
                const std::string entity(name);
                if (text.compare(i, entity.size(), entity) == 0) {
                    out += c;
                    i += entity.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

// The value of attribute `name` inside one tag's text, or nullopt.
std::optional<std::string> attribute(const std::string& tag, const std::string& lowerTag, const std::string& name)
{
    for (std::size_t at = lowerTag.find(name); at != std::string::npos; at = lowerTag.find(name, at + 1)) {
        // A whole attribute name: preceded by a blank, followed by "=" after optional blanks.
        if (at == 0 || (lowerTag[at - 1] != ' ' && lowerTag[at - 1] != '\t' && lowerTag[at - 1] != '\n' &&
                        lowerTag[at - 1] != '\r'))
            continue;
        std::size_t i = at + name.size();
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t')) ++i;
        if (i >= tag.size() || tag[i] != '=') continue;
        ++i;
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t')) ++i;
        if (i >= tag.size()) return std::string();
        if (tag[i] == '"' || tag[i] == '\'') {
            const char quote = tag[i];
            const std::size_t end = tag.find(quote, i + 1);
            return decodeEntities(tag.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1));
        }
        const std::size_t end = tag.find_first_of(" \t\r\n>", i);
        return decodeEntities(tag.substr(i, end == std::string::npos ? std::string::npos : end - i));
    }
    return std::nullopt;
}

}  // namespace

std::optional<HelpFileContents> HelpFileContents::open(HtmlHelpPort& port, const std::u16string& file, long& status)
{
    std::vector<std::u16string> streams;
    status = port.ListCompiledHelp(file, streams);
    if (status != 0) return std::nullopt;
    return HelpFileContents(port, file, std::move(streams));
}

std::u16string HelpFileContents::topicPath(const std::u16string& url)
{
    std::u16string path = url;
    // "file.chm::/page.htm" and the protocol forms name the page after the "::".
    const auto separator = path.find(u"::");
    if (separator != std::u16string::npos) path.erase(0, separator + 2);
    // An anchor or a query is no part of the page's name.
    const auto anchor = path.find_first_of(u"#?");
    if (anchor != std::u16string::npos) path.resize(anchor);
    std::replace(path.begin(), path.end(), u'\\', u'/');
    if (path.empty() || path.front() != u'/') path.insert(path.begin(), u'/');
    return path;
}

const std::u16string* HelpFileContents::findStream(const std::u16string& path) const
{
    for (const std::u16string& stream : streams_)
        if (equalNoCase(stream, path)) return &stream;
    return nullptr;
}

bool HelpFileContents::hasTopic(const std::u16string& url) const { return findStream(topicPath(url)) != nullptr; }

bool HelpFileContents::hasBinaryIndex() const
{
    return std::any_of(streams_.begin(), streams_.end(),
                       [](const std::u16string& s) { return startsWithNoCase(s, u"/$WWKeywordLinks/"); });
}

std::vector<std::uint8_t> HelpFileContents::read(const std::u16string& stream)
{
    const std::u16string* stored = findStream(stream);
    if (!stored) return {};
    std::vector<std::uint8_t> data;
    if (port_->ReadCompiledHelpStream(file_, *stored, data) != 0) return {};
    return data;
}

// #SYSTEM: a version number, then records of a code, a length and that many bytes.
std::u16string HelpFileContents::systemText(std::uint16_t code)
{
    const std::vector<std::uint8_t> data = read(u"/#SYSTEM");
    for (std::size_t at = 4; at + 4 <= data.size();) {
        const std::uint16_t recordCode = word(data, at);
        const std::size_t length = word(data, at + 2);
        at += 4;
        if (length > data.size() - at) break;
        if (recordCode == code) {
            std::string text(data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + length));
            text.resize(std::min(text.size(), text.find('\0')));
            return port_->FromAnsi(text);
        }
        at += length;
    }
    return {};
}

std::u16string HelpFileContents::defaultTopic() { return systemText(2); }

std::u16string HelpFileContents::indexFile()
{
    std::u16string named = systemText(1);
    if (!named.empty()) return topicPath(named);
    // A file whose #SYSTEM names no index may still carry one.
    for (const std::u16string& stream : streams_)
        if (stream.size() > 4 && equalNoCase(stream.substr(stream.size() - 4), u".hhk")) return stream;
    return {};
}

std::optional<std::vector<HelpFileContents::MapEntry>> HelpFileContents::contextMap()
{
    if (!findStream(u"/#IVB")) return std::nullopt;
    const std::vector<std::uint8_t> ivb = read(u"/#IVB");
    const std::vector<std::uint8_t> strings = read(u"/#STRINGS");
    std::vector<MapEntry> map;
    if (ivb.size() < 4) return map;
    // The first double word counts the bytes of pairs that follow; trust no more than is there.
    const std::size_t end = 4 + std::min<std::size_t>(dword(ivb, 0), ivb.size() - 4);
    for (std::size_t at = 4; at + 8 <= end; at += 8) {
        MapEntry entry;
        entry.id = dword(ivb, at);
        const std::size_t offset = dword(ivb, at + 4);
        if (offset < strings.size()) {
            const auto first = strings.begin() + std::ptrdiff_t(offset);
            entry.topic = port_->FromAnsi(std::string(first, std::find(first, strings.end(), std::uint8_t{0})));
        }
        map.push_back(std::move(entry));
    }
    return map;
}

std::optional<std::vector<std::u16string>> HelpFileContents::indexKeywords()
{
    const std::u16string index = indexFile();
    if (index.empty() || !findStream(index)) return std::nullopt;
    const std::vector<std::uint8_t> data = read(index);
    return sitemapKeywords(std::string(data.begin(), data.end()), *port_);
}

// Each <object> of a sitemap is one entry; its first "Name" parameter is the keyword (the
// Names after it title the entry's topics).
std::vector<std::u16string> HelpFileContents::sitemapKeywords(const std::string& sitemap, HtmlHelpPort& port)
{
    std::vector<std::u16string> keywords;
    const std::string lowered = lower(sitemap);
    bool haveName = true;  // outside an object nothing counts
    for (std::size_t at = lowered.find('<'); at != std::string::npos; at = lowered.find('<', at + 1)) {
        const std::size_t close = lowered.find('>', at);
        if (close == std::string::npos) break;
        const std::string tag = sitemap.substr(at, close - at);
        const std::string lowerTag = lowered.substr(at, close - at);
        if (lowerTag.rfind("<object", 0) == 0) {
            haveName = false;
        } else if (lowerTag.rfind("<param", 0) == 0 && !haveName) {
            const auto name = attribute(tag, lowerTag, "name");
            if (name && lower(*name) == "name") {
                if (const auto value = attribute(tag, lowerTag, "value")) {
                    keywords.push_back(port.FromAnsi(*value));
                    haveName = true;
                }
            }
        }
        at = close;
    }
    return keywords;
}

}  // namespace morvel::htmlhelp
