#pragma once
// The streams of a small compiled help file for the fake platform's storage
// (FakePlatform::AddCompiledHelp): pages, #SYSTEM with a default topic and an index, and a
// map of (id, topic) pairs laid out as #IVB and #STRINGS, as a help compiler writes them.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace morvel::htmlhelp {

inline std::string le32(std::uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
inline std::string systemRecord(std::uint16_t code, const std::string& text)
{
    const std::string data = text + '\0';
    return std::string{char(code), char(code >> 8), char(data.size()), char(data.size() >> 8)} + data;
}

inline std::map<std::u16string, std::string> helpStreams(
    const std::vector<std::pair<std::uint32_t, std::string>>& map,
    const std::string& index = "<ul><li><object type=\"text/sitemap\">"
                               "<param name=\"Name\" value=\"Colours &amp; fonts\">"
                               "<param name=\"Name\" value=\"Popups\">"
                               "<param name=\"Local\" value=\"popups.htm\"></object>"
                               "<li><OBJECT type=\"text/sitemap\"><PARAM NAME=name VALUE='Topics'></OBJECT></ul>")
{
    std::map<std::u16string, std::string> streams{
        {u"/intro.htm", "<html>intro</html>"}, {u"/popups.htm", "<html>popups</html>"}, {u"/Demo.hhk", index}};
    streams[u"/#SYSTEM"] = le32(3) + systemRecord(2, "intro.htm") + systemRecord(1, "Demo.hhk");
    std::string ivb, strings(1, '\0');
    for (const auto& [id, topic] : map) {
        ivb += le32(id) + le32(std::uint32_t(strings.size()));
        strings += topic + '\0';
    }
    streams[u"/#IVB"] = le32(std::uint32_t(ivb.size())) + ivb;
    streams[u"/#STRINGS"] = strings;
    return streams;
}

}  // namespace morvel::htmlhelp
