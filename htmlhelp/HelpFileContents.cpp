#include "HelpFileContents.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

namespace morvel::htmlhelp {

namespace {

char16_t foldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; }

bool equalNoCase(const std::u16string& a, const std::u16string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char16_t x, char16_t y) { return foldAscii(x) == foldAscii(y); });
}

bool startsWithNoCase(const std::u16string& text, const std::u16string& prefix)
{
    return text.size() >= prefix.size() && equalNoCase(text.substr(0, prefix.size()), prefix);
}

std::u16string folded(std::u16string text)
{
    for (char16_t& c : text) c = foldAscii(c);
    return text;
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
    static const std::pair<const char*, char> entities[] = {{"&amp;", '&'},  {"&lt;", '<'},   {"&gt;", '>'},
                                                            {"&quot;", '"'}, {"&#39;", '\''}, {"&apos;", '\''}};
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

const ContextMap::Entry* ContextMap::find(std::uint32_t id) const
{
    const auto it = std::find_if(entries.begin(), entries.end(), [id](const Entry& e) { return e.id == id; });
    return it == entries.end() ? nullptr : &*it;
}

HelpFileContents::HelpFileContents(HtmlHelpPort& port, std::u16string file, std::vector<std::u16string> streams,
                                   ReadingBudget budget)
    : port_(&port), file_(std::move(file)), streams_(std::move(streams)), budget_(budget),
      deadline_(std::chrono::steady_clock::now() + budget.time)
{
    std::size_t names = 0;
    for (const std::u16string& stream : streams_) names += 2 * (stream.size() + 16);
    spend(2 * names);  // the names, and the index kept of them
}

std::optional<HelpFileContents> HelpFileContents::open(HtmlHelpPort& port, const std::u16string& file, long& status,
                                                       ReadingBudget budget)
{
    std::vector<std::u16string> streams;
    status = port.ListCompiledHelp(file, streams);
    if (status != 0) return std::nullopt;
    return HelpFileContents(port, file, std::move(streams), budget);
}

void HelpFileContents::spend(std::size_t bytes)
{
    spent_ += bytes;
    if (spent_ > budget_.bytes || std::chrono::steady_clock::now() > deadline_) throw ContentsTooLarge();
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

// Streams are looked up by name without regard to ASCII letter case, through an index made
// on the first lookup: a map of a million ids may name as many pages.
const std::u16string* HelpFileContents::findStream(const std::u16string& path)
{
    if (folded_.empty() && !streams_.empty()) {
        folded_.reserve(streams_.size());
        for (std::size_t i = 0; i < streams_.size(); ++i) folded_.emplace_back(folded(streams_[i]), i);
        std::sort(folded_.begin(), folded_.end());
    }
    const std::u16string key = folded(path);
    const auto it = std::lower_bound(folded_.begin(), folded_.end(), key,
                                     [](const auto& entry, const std::u16string& k) { return entry.first < k; });
    return it != folded_.end() && it->first == key ? &streams_[it->second] : nullptr;
}

bool HelpFileContents::hasTopic(const std::u16string& url) { return findStream(topicPath(url)) != nullptr; }

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
    spend(data.size());
    return data;
}

// #SYSTEM: a version number, then records of a code, a length and that many bytes.
std::string HelpFileContents::systemRecord(std::uint16_t code)
{
    if (!systemRead_) {
        system_ = read(u"/#SYSTEM");
        systemRead_ = true;
    }
    for (std::size_t at = 4; at + 4 <= system_.size();) {
        const std::uint16_t recordCode = word(system_, at);
        const std::size_t length = word(system_, at + 2);
        at += 4;
        if (length > system_.size() - at) break;
        if (recordCode == code)
            return std::string(system_.begin() + std::ptrdiff_t(at), system_.begin() + std::ptrdiff_t(at + length));
        at += length;
    }
    return {};
}

std::u16string HelpFileContents::systemText(std::uint16_t code)
{
    std::string text = systemRecord(code);
    text.resize(std::min(text.size(), text.find('\0')));
    return port_->FromCodePage(text, codePage());
}

// Record 4 begins with the language the file was compiled for.
std::uint32_t HelpFileContents::codePage()
{
    if (!codePage_) {
        const std::string record = systemRecord(4);
        codePage_ = 0;
        if (record.size() >= 4) {
            const std::vector<std::uint8_t> lcid(record.begin(), record.begin() + 4);
            codePage_ = port_->CodePageOfLocale(dword(lcid, 0));
        }
    }
    return *codePage_;
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

std::optional<ContextMap> HelpFileContents::contextMap()
{
    if (!findStream(u"/#IVB")) return std::nullopt;
    const std::vector<std::uint8_t> ivb = read(u"/#IVB");
    const std::vector<std::uint8_t> strings = read(u"/#STRINGS");
    const std::uint32_t page = codePage();
    ContextMap map;
    if (ivb.size() < 4) return map;
    // The first double word counts the bytes of pairs that follow; trust no more than is there.
    const std::size_t end = 4 + std::min<std::size_t>(dword(ivb, 0), ivb.size() - 4);
    const std::size_t pairs = (end - 4) / 8;
    spend(pairs * sizeof(ContextMap::Entry));
    map.entries.reserve(pairs);
    std::unordered_map<std::uint32_t, std::size_t> topicAt;  // offset into #STRINGS -> topic
    for (std::size_t at = 4; at + 8 <= end; at += 8) {
        const std::uint32_t offset = dword(ivb, at + 4);
        const auto [known, fresh] = topicAt.try_emplace(offset, map.topics.size());
        if (fresh) {
            std::u16string topic;
            if (offset < strings.size()) {
                const auto first = strings.begin() + std::ptrdiff_t(offset);
                const auto last = first + std::ptrdiff_t(std::min(strings.size() - offset, MaxTopicLength));
                topic = port_->FromCodePage(std::string(first, std::find(first, last, std::uint8_t{0})), page);
            }
            spend(2 * topic.size() + 64);
            map.topics.push_back(std::move(topic));
        }
        map.entries.push_back({dword(ivb, at), known->second});
    }
    return map;
}

std::optional<std::vector<std::u16string>> HelpFileContents::indexKeywords()
{
    const std::u16string index = indexFile();
    if (index.empty() || !findStream(index)) return std::nullopt;
    const std::vector<std::uint8_t> data = read(index);
    std::vector<std::u16string> keywords = sitemapKeywords(std::string(data.begin(), data.end()), *port_, codePage());
    std::size_t held = 0;
    for (const std::u16string& keyword : keywords) held += 2 * keyword.size() + 32;
    spend(held);
    return keywords;
}

std::uint32_t HelpFileContents::codePageOfCharset(std::string charset)
{
    charset = lower(std::move(charset));
    static const std::pair<const char*, std::uint32_t> named[] = {
        {"utf-8", 65001},      {"us-ascii", 1252},    {"iso-8859-1", 1252},    {"latin1", 1252},  {"iso-8859-2", 28592},
        {"iso-8859-5", 28595}, {"iso-8859-7", 28597}, {"iso-8859-9", 28599},   {"koi8-r", 20866}, {"shift_jis", 932},
        {"shift-jis", 932},    {"x-sjis", 932},       {"euc-jp", 20932},       {"gb2312", 936},   {"gbk", 936},
        {"big5", 950},         {"euc-kr", 949},       {"ks_c_5601-1987", 949}, {"tis-620", 874}};
    for (const auto& [name, page] : named)
        if (charset == name) return page;
    // "windows-1251", "cp1251", "x-cp1251"
    for (const char* prefix : {"windows-", "x-cp", "cp"}) {
        const std::string p(prefix);
        if (charset.rfind(p, 0) != 0 || charset.size() == p.size() || charset.size() > p.size() + 5) continue;
        const std::string digits = charset.substr(p.size());
        if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::uint32_t(std::stoul(digits));
    }
    return 0;
}

namespace {

// The charset a sitemap's head declares (<meta ... content="text/html; charset=...">).
std::uint32_t declaredCodePage(const std::string& sitemap)
{
    const std::string head = lower(sitemap.substr(0, 65536));
    const std::size_t at = head.find("charset=");
    if (at == std::string::npos) return 0;
    std::size_t first = at + 8;
    while (first < head.size() && (head[first] == '"' || head[first] == '\'' || head[first] == ' ')) ++first;
    std::size_t last = first;
    while (last < head.size() && last - first < 32 &&
           (std::isalnum(static_cast<unsigned char>(head[last])) || head[last] == '-' || head[last] == '_'))
        ++last;
    return HelpFileContents::codePageOfCharset(head.substr(first, last - first));
}

}  // namespace

// Each <object> of a sitemap is one entry; its first "Name" parameter is the keyword (the
// Names after it title the entry's topics).
std::vector<std::u16string> HelpFileContents::sitemapKeywords(const std::string& sitemap, HtmlHelpPort& port,
                                                              std::uint32_t codePage)
{
    if (const std::uint32_t declared = declaredCodePage(sitemap)) codePage = declared;
    std::vector<std::u16string> keywords;
    bool haveName = true;  // outside an object nothing counts
    for (std::size_t at = sitemap.find('<'); at != std::string::npos; at = sitemap.find('<', at + 1)) {
        const std::size_t close = sitemap.find('>', at);
        if (close == std::string::npos) break;
        const std::string tag = sitemap.substr(at, close - at);
        const std::string lowerTag = lower(tag);
        if (lowerTag.rfind("<object", 0) == 0) {
            haveName = false;
        } else if (lowerTag.rfind("<param", 0) == 0 && !haveName) {
            const auto name = attribute(tag, lowerTag, "name");
            if (name && lower(*name) == "name") {
                if (const auto value = attribute(tag, lowerTag, "value")) {
                    keywords.push_back(port.FromCodePage(value->substr(0, MaxTopicLength), codePage));
                    haveName = true;
                }
            }
        }
        at = close;
    }
    return keywords;
}

}  // namespace morvel::htmlhelp
