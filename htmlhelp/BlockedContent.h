#pragma once
// Help that opens but shows nothing: the viewer opens the window and its contents, then
// refuses every page of a compiled help file from a security zone its policy does not
// allow. A file gets its zone from where it lies (a network path or drive is not the local
// machine) and from the mark of the web it carries. The policy is the engine's
// ItssRestrictions key: MaxAllowedZone (not set: the local machine only) and UrlAllowList
// (folders allowed whatever their zone). This reads both and says what the viewer will do;
// it changes neither the file nor the policy.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HelpDiagnosis.h"
#include "HtmlHelpPort.h"
#include "WebMark.h"

namespace morvel::htmlhelp {

namespace zones {
inline constexpr std::uint32_t LocalMachine = 0;
inline constexpr std::uint32_t Intranet = 1;
inline constexpr std::uint32_t Trusted = 2;
inline constexpr std::uint32_t Internet = 3;
inline constexpr std::uint32_t Restricted = 4;
// "Internet", "Local intranet", ...; "zone N" past the five.
std::u16string name(std::uint32_t zone);
}  // namespace zones

// The viewer's policy as the engine in this process reads it.
struct ViewerPolicy {
    std::u16string key;                           // the key in the engine's view, "HKLM\SOFTWARE\..."
    std::optional<std::uint32_t> maxAllowedZone;  // nullopt: not set
    std::u16string urlAllowList;                  // empty: not set
    std::u16string ignored;                       // values there that the policy cannot use, and why

    std::uint32_t allowedZone() const { return maxAllowedZone.value_or(zones::LocalMachine); }
    // "MaxAllowedZone not set: the local machine only", "MaxAllowedZone 1: up to Local intranet".
    std::u16string describe() const;
};

// Where the viewer places one help file, and whether it shows its pages.
struct ContentZone {
    std::optional<WebMark> mark;
    long markStatus = 0;   // the stream's read, when it failed
    bool network = false;  // a UNC path or a network drive
    bool unc = false;
    std::uint32_t locationZone = zones::LocalMachine;
    bool mapped = false;       // locationZone is the platform's zone mapping, not the default
    bool allowListed = false;  // UrlAllowList names its folder
    ViewerPolicy policy;

    std::optional<std::uint32_t> markZone() const { return mark ? mark->zoneId : std::nullopt; }
    // The stricter of the location's zone and the mark's.
    std::uint32_t zone() const;
    bool refused() const { return zone() > policy.allowedZone() && !allowListed; }
};

class BlockedContent {
public:
    explicit BlockedContent(HtmlHelpPort& port) : port_(port) {}

    ViewerPolicy policy();
    ContentZone assess(const std::u16string& file);
    // The "mark" finding for every file, and the "policy" finding for one on the network.
    void check(const std::u16string& file, std::vector<Finding>& findings);
    // Why the viewer will show none of the file's pages, in a sentence; nullopt when it will.
    std::optional<std::u16string> refusal(const std::u16string& file);

    // The file's address as the zone mapping takes it: file://server/share/... or file:///N:/...
    static std::u16string fileUrl(const std::u16string& path);
    // Whether a semicolon-separated list of folders (paths or file: URLs) holds the path.
    bool listed(const std::u16string& list, const std::u16string& path);

private:
    HtmlHelpPort& port_;
};

}  // namespace morvel::htmlhelp
