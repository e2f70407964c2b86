// Every reader of a compiled help file over whatever streams it holds: #SYSTEM, the map of
// #IVB and #STRINGS, the sitemap index, topic URLs, and the whole diagnosis on top. Nothing
// may take more than the reading budget, and no topic or keyword grows past its bound.
//
// The input is a run of chunks, each a 16-bit length and that many bytes: #SYSTEM, #IVB,
// #STRINGS, the index, a topic URL (UTF-8), and the file's mark of the web, whose bytes
// also stand for the viewer policy's UrlAllowList (as UTF-16). With the first byte's top bit set, its low bits
// repeat the #IVB chunk (its first eight bytes, a pair) and the #STRINGS chunk (its first
// byte) as many times as a 24-bit count after them says (up to 64 KiB), so a small input
// stands for a file far larger than the budget the readers here get.
#include <cstdlib>

#include "FuzzInput.h"
#include "htmlhelp/HelpDiagnosis.h"
#include "htmlhelp/HelpFileContents.h"
#include "htmlhelp/WebMark.h"

using namespace morvel;
using namespace morvel::htmlhelp;

namespace {

struct Chunks {
    const std::uint8_t* data;
    std::size_t size;

    std::string next()
    {
        if (size < 2) return {};
        const std::size_t length = std::min<std::size_t>(data[0] | data[1] << 8, size - 2);
        std::string chunk(reinterpret_cast<const char*>(data + 2), length);
        data += 2 + length;
        size -= 2 + length;
        return chunk;
    }
    // The chunk, or its first `unit` bytes repeated by the count that follows them.
    std::string maybeRepeated(bool repeat, std::size_t unit)
    {
        std::string chunk = next();
        if (!repeat || chunk.size() < unit + 3) return chunk;
        const std::size_t count = std::min<std::size_t>(std::uint8_t(chunk[unit]) | std::uint8_t(chunk[unit + 1]) << 8 |
                                                            std::uint8_t(chunk[unit + 2]) << 16,
                                                        (std::size_t(1) << 16) / unit);
        std::string repeated;
        repeated.reserve(unit * count);
        for (std::size_t i = 0; i < count; ++i) repeated.append(chunk, 0, unit);
        return repeated;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    const bool repeatMap = (flags & 0x81) == 0x81, repeatStrings = (flags & 0x82) == 0x82;
    Chunks in{data + 1, size - 1};
    std::map<std::u16string, std::string> streams{{u"/intro.htm", "x"}, {u"/Sub/Page.htm", "x"}};
    streams[u"/#SYSTEM"] = in.next();
    std::string ivb = in.maybeRepeated(repeatMap, 8);
    if (repeatMap) {  // a repeated map says how long it is, as a compiler writes it
        const std::uint32_t length = std::uint32_t(ivb.size());
        ivb.insert(0, {char(length), char(length >> 8), char(length >> 16), char(length >> 24)});
    }
    streams[u"/#IVB"] = ivb;
    streams[u"/#STRINGS"] = in.maybeRepeated(repeatStrings, 1);
    streams[u"/Index.hhk"] = in.next();
    const std::u16string url = fromUtf8(in.next());
    if (flags & 4) streams.erase(u"/#IVB");
    const std::string mark = in.next();

    FakePlatform fake;
    if (!mark.empty()) {
        fake.fileData["C:\\Help\\Fuzz.chm:Zone.Identifier"] = mark;
        fake.SetValue(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Microsoft\\HTMLHelp\\1.x\\ItssRestrictions", "UrlAllowList",
                      REG_SZ_, std::vector<std::uint8_t>(mark.begin(), mark.end()));
        const WebMark parsed = WebMark::parse(std::vector<std::uint8_t>(mark.begin(), mark.end()), fake);
        if (parsed.hostUrl.size() > WebMark::MaxValueLength || parsed.referrerUrl.size() > WebMark::MaxValueLength)
            std::abort();
    }
    fake.codePage = flags & 8 ? FakeCodePage::Utf8 : FakeCodePage::Latin1;
    fake.AddCompiledHelp("C:\\Help\\Fuzz.chm", streams);
    long status = 0;
    // A budget small enough for the repeated streams to pass it.
    auto chm = HelpFileContents::open(fake, u"C:\\Help\\Fuzz.chm", status, {.bytes = 32u << 10});
    if (!chm) std::abort();
    try {
        chm->defaultTopic();
        chm->hasTopic(url);
        HelpFileContents::topicPath(url);
        if (const auto map = chm->contextMap()) {
            if (map->entries.size() > streams[u"/#IVB"].size() / 8 || map->topics.size() > map->entries.size())
                std::abort();
            for (const auto& topic : map->topics)
                if (topic.size() > HelpFileContents::MaxTopicLength) std::abort();
            for (const auto& entry : map->entries)
                if (entry.topic >= map->topics.size()) std::abort();
        }
        if (const auto keywords = chm->indexKeywords())
            for (const auto& keyword : *keywords)
                if (keyword.size() > HelpFileContents::MaxTopicLength) std::abort();
    } catch (const ContentsTooLarge&) {
        // The budget speaking, as it should for a file this size.
    }

    // The whole diagnosis, as a debugger line or the doctor asks for it, with its own budget.
    DiagnosisRequest request;
    request.file = u"C:\\Help\\Fuzz.chm";
    request.checkEngine = false;
    if (flags & 16) request.contextId = std::int32_t(url.size());
    if (flags & 32)
        request.keyword = url;
    else if (flags & 64)
        request.topic = url;
    HelpDiagnosis(fake).diagnose(request);
    return 0;
}
