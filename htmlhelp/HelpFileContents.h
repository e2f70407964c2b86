#pragma once
// What a compiled help file holds, read through the platform's compiled-help storage: its
// streams (the pages and the system files), the default topic and index file named in
// #SYSTEM, the map of context ids (#IVB: pairs of id and offset into #STRINGS, where the
// topic names lie) and the keywords of its index. The help doctor reads it to tell why a
// topic, an id or a keyword did not show; nothing here changes the file.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HtmlHelpPort.h"

namespace morvel::htmlhelp {

class HelpFileContents {
public:
    struct MapEntry {
        std::uint32_t id = 0;
        std::u16string topic;  // as #STRINGS holds it
    };

    // nullopt when the storage will not open the file (status: the platform's code).
    static std::optional<HelpFileContents> open(HtmlHelpPort& port, const std::u16string& file, long& status);

    const std::vector<std::u16string>& streams() const { return streams_; }
    // The stream a topic URL names, as a host writes it: "intro.htm", "/intro.htm",
    // "intro.htm#part", "Help.chm::/intro.htm", "mk:@MSITStore:Help.chm::/intro.htm".
    static std::u16string topicPath(const std::u16string& url);
    // Whether the file holds that page (the storage ignores letter case, so do we).
    bool hasTopic(const std::u16string& url) const;

    // The default topic and the index file #SYSTEM names; empty when it names none.
    std::u16string defaultTopic();
    std::u16string indexFile();
    // The map of context ids; nullopt when the file has none (no #IVB).
    std::optional<std::vector<MapEntry>> contextMap();
    // The keywords of the sitemap index; nullopt when the file carries no sitemap index
    // (none at all, or only the binary one).
    std::optional<std::vector<std::u16string>> indexKeywords();
    bool hasBinaryIndex() const;

    // The first keywords of each entry of a sitemap index text (exposed for the tests).
    static std::vector<std::u16string> sitemapKeywords(const std::string& sitemap, HtmlHelpPort& port);

private:
    HelpFileContents(HtmlHelpPort& port, std::u16string file, std::vector<std::u16string> streams)
        : port_(&port), file_(std::move(file)), streams_(std::move(streams)) {}

    std::vector<std::uint8_t> read(const std::u16string& stream);  // empty when it cannot
    std::u16string systemText(std::uint16_t code);
    const std::u16string* findStream(const std::u16string& path) const;

    HtmlHelpPort* port_;
    std::u16string file_;
    std::vector<std::u16string> streams_;
};

}  // namespace morvel::htmlhelp
