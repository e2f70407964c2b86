#pragma once
// What a compiled help file holds, read through the platform's compiled-help storage: its
// streams (the pages and the system files), the default topic and index file named in
// #SYSTEM, the map of context ids (#IVB: pairs of id and offset into #STRINGS, where the
// topic names lie) and the keywords of its index. The help doctor reads it to tell why a
// topic, an id or a keyword did not show; nothing here changes the file.
//
// The file is hostile: every size it drives is bounded. A topic name is cut at
// MaxTopicLength, each distinct #STRINGS offset is decoded once however many ids point at
// it, and one file's reading has a budget of memory and time (the reading runs inside a
// host, for a debugger's line). Past the budget a reader throws ContentsTooLarge.
//
// Text in the file is decoded in the file's own code page: a sitemap's declared charset,
// else the code page of the language #SYSTEM names, else the system's ANSI code page.

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "HtmlHelpPort.h"

namespace morvel::htmlhelp {

struct ReadingBudget {
    std::size_t bytes = std::size_t(64) << 20;
    std::chrono::milliseconds time{2000};
};

class ContentsTooLarge : public std::runtime_error {
public:
    ContentsTooLarge() : std::runtime_error("the help file is too large or too malformed to check") {}
};

// The map of context ids: its entries in the file's order, and the topic names they point
// at, one per distinct offset into #STRINGS.
struct ContextMap {
    struct Entry {
        std::uint32_t id = 0;
        std::size_t topic = 0;  // index into topics
    };
    std::vector<Entry> entries;
    std::vector<std::u16string> topics;

    const std::u16string& topicOf(const Entry& entry) const { return topics[entry.topic]; }
    // The first entry for the id; null when the map has none.
    const Entry* find(std::uint32_t id) const;
};

class HelpFileContents {
public:
    static constexpr std::size_t MaxTopicLength = 4096;  // characters of one topic name or keyword

    // nullopt when the storage will not open the file (status: the platform's code).
    static std::optional<HelpFileContents> open(HtmlHelpPort& port, const std::u16string& file, long& status,
                                                ReadingBudget budget = {});

    const std::vector<std::u16string>& streams() const { return streams_; }
    // The stream a topic URL names, as a host writes it: "intro.htm", "/intro.htm",
    // "intro.htm#part", "Help.chm::/intro.htm", "mk:@MSITStore:Help.chm::/intro.htm".
    static std::u16string topicPath(const std::u16string& url);
    // Whether the file holds that page (the storage ignores letter case, so do we).
    bool hasTopic(const std::u16string& url);

    // The default topic and the index file #SYSTEM names; empty when it names none.
    std::u16string defaultTopic();
    std::u16string indexFile();
    // The code page the file's text is written in: that of the language #SYSTEM names;
    // 0 (the system's ANSI code page) when it names none the platform knows.
    std::uint32_t codePage();
    // The map of context ids; nullopt when the file has none (no #IVB).
    std::optional<ContextMap> contextMap();
    // The keywords of the sitemap index; nullopt when the file carries no sitemap index
    // (none at all, or only the binary one).
    std::optional<std::vector<std::u16string>> indexKeywords();
    bool hasBinaryIndex() const;

    // The first keywords of each entry of a sitemap index text, decoded in the charset the
    // text declares, else in `codePage` (exposed for the tests).
    static std::vector<std::u16string> sitemapKeywords(const std::string& sitemap, HtmlHelpPort& port,
                                                       std::uint32_t codePage = 0);
    // The code page a charset name stands for ("windows-1251", "utf-8"); 0 when unknown.
    static std::uint32_t codePageOfCharset(std::string charset);

private:
    HelpFileContents(HtmlHelpPort& port, std::u16string file, std::vector<std::u16string> streams,
                     ReadingBudget budget);

    std::vector<std::uint8_t> read(const std::u16string& stream);  // empty when it cannot
    std::string systemRecord(std::uint16_t code);
    std::u16string systemText(std::uint16_t code);
    const std::u16string* findStream(const std::u16string& path);
    // Counts bytes held against the budget, and the time spent; throws past either.
    void spend(std::size_t bytes);

    HtmlHelpPort* port_;
    std::u16string file_;
    std::vector<std::u16string> streams_;
    std::vector<std::pair<std::u16string, std::size_t>> folded_;  // streams_ by folded name, sorted
    std::vector<std::uint8_t> system_;
    bool systemRead_ = false;
    std::optional<std::uint32_t> codePage_;
    ReadingBudget budget_;
    std::size_t spent_ = 0;
    std::chrono::steady_clock::time_point deadline_;
};

}  // namespace morvel::htmlhelp
