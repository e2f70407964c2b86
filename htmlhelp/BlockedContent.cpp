#include "BlockedContent.h"

#include <algorithm>

#include "../portable/Text.h"
#include "PlatformHelpers.h"
#include "RegistryAccess.h"

namespace morvel::htmlhelp {

namespace {

// The policy's key below HKLM. The engine runs in this process and reads this process's
// registry view, so the library reads it in its own view too; a 32-bit process on 64-bit
// Windows finds it under WOW6432Node, which is where an administrator must set it for a
// 32-bit host.
constexpr char16_t PolicyPath[] = u"SOFTWARE\\Microsoft\\HTMLHelp\\1.x\\ItssRestrictions";
constexpr char16_t PolicyPath32[] = u"SOFTWARE\\WOW6432Node\\Microsoft\\HTMLHelp\\1.x\\ItssRestrictions";
constexpr std::uint32_t MaxAllowListBytes = 32768;

std::u16string quoted(const std::u16string& text) { return u"'" + text + u"'"; }

bool startsWithNoCase(const std::u16string& text, std::u16string_view prefix)
{
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
        if (fold(text[i]) != fold(prefix[i])) return false;
    }
    return true;
}

bool driveAt(const std::u16string& text, std::size_t at)
{
    return text.size() > at + 1 && text[at + 1] == u':' &&
           ((text[at] >= u'A' && text[at] <= u'Z') || (text[at] >= u'a' && text[at] <= u'z'));
}

// A path or a file: URL in one form for comparing: backslashes, "\\server\share\..." or
// "C:\...".
std::u16string comparable(std::u16string text)
{
    const auto first = text.find_first_not_of(u" \t");
    text = first == std::u16string::npos ? std::u16string()
                                         : text.substr(first, text.find_last_not_of(u" \t") - first + 1);
    std::replace(text.begin(), text.end(), u'/', u'\\');
    if (startsWithNoCase(text, u"file:")) text.erase(0, 5);
    const std::size_t slashes = std::min(text.find_first_not_of(u'\\'), text.size());
    if (driveAt(text, slashes))
        text.erase(0, slashes);
    else if (slashes >= 2)
        text.erase(0, slashes - 2);
    return text;
}

std::u16string markOrigin(const WebMark& mark)
{
    std::u16string origin;
    if (!mark.hostUrl.empty()) origin += u", from " + mark.hostUrl;
    if (!mark.referrerUrl.empty()) origin += u", by way of " + mark.referrerUrl;
    return origin;
}

// A finding that is no problem: what was checked and what was found there.
Finding noted(const char16_t* check, Severity severity, std::u16string checked, std::u16string found)
{
    return {check, severity, std::move(checked), std::move(found), {}, {}};
}

std::u16string locationName(const ContentZone& place) { return place.unc ? u"a network path" : u"a network drive"; }

std::u16string zoneOfLocation(const ContentZone& place)
{
    return zones::name(place.locationZone) +
           (place.mapped ? u" zone (the platform's zone mapping)" : u" zone (a network location's default)");
}

}  // namespace

std::u16string zones::name(std::uint32_t zone)
{
    switch (zone) {
    case LocalMachine: return u"Local machine";
    case Intranet: return u"Local intranet";
    case Trusted: return u"Trusted sites";
    case Internet: return u"Internet";
    case Restricted: return u"Restricted sites";
    }
    return u"zone " + decimal(zone);
}

std::u16string ViewerPolicy::describe() const
{
    std::u16string text = maxAllowedZone ? u"MaxAllowedZone " + decimal(*maxAllowedZone) + u": up to " +
                                               zones::name(std::min(*maxAllowedZone, zones::Restricted))
                                         : u"MaxAllowedZone not set: the local machine only";
    if (!urlAllowList.empty()) text += u"; UrlAllowList " + quoted(urlAllowList);
    if (!ignored.empty()) text += u"; " + ignored;
    return text;
}

std::uint32_t ContentZone::zone() const { return std::max(locationZone, markZone().value_or(zones::LocalMachine)); }

ViewerPolicy BlockedContent::policy()
{
    ViewerPolicy policy;
    const bool view32 = sizeof(void*) == 4 && port_.HasTwoRegistryViews();
    policy.key = u"HKLM\\" + std::u16string(view32 ? PolicyPath32 : PolicyPath);
    long status = 0;
    const RegistryKey key = RegistryKey::open(port_, HKEY_LOCAL_MACHINE_, PolicyPath, KEY_QUERY_VALUE_, status);
    if (!key) return policy;

    std::uint32_t type = 0;
    std::vector<std::uint8_t> data(8);
    status = port_.RegQueryValueEx(key.get(), u"MaxAllowedZone", type, data);
    if (status == ERROR_SUCCESS_ && type == REG_DWORD_ && data.size() == 4)
        policy.maxAllowedZone = std::uint32_t(data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24);
    else if (status != ERROR_FILE_NOT_FOUND_)
        policy.ignored = u"MaxAllowedZone is there but not a REG_DWORD, so it counts as not set";

    data.assign(MaxAllowListBytes, 0);
    status = port_.RegQueryValueEx(key.get(), u"UrlAllowList", type, data);
    if (status == ERROR_SUCCESS_ && (type == REG_SZ_ || type == REG_EXPAND_SZ_)) {
        std::u16string list = RegistryAccess::textOfData(data);
        policy.urlAllowList = list.substr(0, list.find(u'\0'));
    } else if (status != ERROR_FILE_NOT_FOUND_) {
        policy.ignored += std::u16string(policy.ignored.empty() ? u"" : u"; ") +
                          u"UrlAllowList is there but not a text of at most 16384 characters, so it is not read";
    }
    return policy;
}

std::u16string BlockedContent::fileUrl(const std::u16string& path)
{
    std::u16string url = path;
    std::replace(url.begin(), url.end(), u'\\', u'/');
    return url.rfind(u"//", 0) == 0 ? u"file:" + url : u"file:///" + url;
}

bool BlockedContent::listed(const std::u16string& list, const std::u16string& path)
{
    const std::u16string target = comparable(path);
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(u';', start), list.size());
        const std::u16string entry = comparable(list.substr(start, end - start));
        start = end + 1;
        if (entry.empty() || entry.size() > target.size()) continue;
        const bool boundary = entry.size() == target.size() || entry.back() == u'\\' || target[entry.size()] == u'\\';
        if (boundary && port_.CompareNoCase(target.substr(0, entry.size()), entry) == 0) return true;
    }
    return false;
}

ContentZone BlockedContent::assess(const std::u16string& file)
{
    ContentZone place;
    place.mark = WebMark::read(port_, file, place.markStatus);
    const std::u16string root = PlatformHelpers::rootOf(file);
    place.unc = root.rfind(u"\\\\", 0) == 0;
    place.network = place.unc || (root.size() == 2 && port_.GetDriveType(root + u"\\") == DRIVE_REMOTE_);
    if (place.network) {
        // Windows puts a share without dots in its name in the Local intranet zone unless
        // told otherwise; where the platform's mapping answers, it decides (Wine's puts
        // every share in the Internet zone).
        const auto mapped = port_.MapUrlToZone(fileUrl(file));
        place.mapped = mapped.has_value();
        place.locationZone = mapped.value_or(zones::Intranet);
    }
    if (place.network || place.markZone().value_or(zones::LocalMachine) != zones::LocalMachine) {
        place.policy = policy();
        place.allowListed = !place.policy.urlAllowList.empty() && listed(place.policy.urlAllowList, file);
    }
    return place;
}

void BlockedContent::check(const std::u16string& file, std::vector<Finding>& findings)
{
    const ContentZone place = assess(file);
    const std::u16string checked = u"the mark of the web (" + PlatformHelpers::fileNamePart(WebMark::streamOf(file)) +
                                   u")";
    if (!place.mark) {
        findings.push_back(
            noted(u"mark", Severity::Ok, checked, u"none: the file is not marked as coming from elsewhere"));
    } else if (place.markStatus != ERROR_SUCCESS_) {
        findings.push_back(noted(u"mark", Severity::Info, checked,
                                 u"there, but it cannot be read (error " + decimal(place.markStatus) + u")"));
    } else if (!place.markZone()) {
        findings.push_back(
            noted(u"mark", Severity::Info, checked, u"there, but it names no zone the viewer could go by"));
    } else {
        const std::uint32_t zone = *place.markZone();
        const std::u16string found = u"marked as from the " + zones::name(zone) + u" zone (ZoneId=" + decimal(zone) +
                                     u")" + markOrigin(*place.mark);
        if (zone == zones::LocalMachine)
            findings.push_back(noted(u"mark", Severity::Ok, checked, found));
        else if (zone <= place.policy.allowedZone() || place.allowListed)
            findings.push_back(
                noted(u"mark", Severity::Info, checked,
                      found + u"; the viewer's policy allows it (" +
                          (place.allowListed ? u"UrlAllowList names its folder" : place.policy.describe()) + u")"));
        else
            findings.push_back(
                {u"mark", Severity::Error, checked, found,
                 u"Windows marks a file that came from the Internet or another computer (a download, a mail "
                 u"attachment, a file taken out of a downloaded zip). The viewer refuses every page of compiled help "
                 u"from a zone its policy does not allow (" +
                     place.policy.describe() +
                     u"): the window opens with its contents, and the page says \"Navigation to the webpage was "
                     u"canceled\".",
                 u"Unblock the file: in Explorer, its Properties, then Unblock and OK; or in PowerShell, "
                 u"Unblock-File -LiteralPath " +
                     WebMark::powerShellLiteral(file) + u"; or helpdoctor unblock \"" + file +
                     u"\". A file taken out of a downloaded zip carries the mark: unblock the zip before extracting "
                     u"it."});
    }
    if (!place.network) return;

    const std::u16string where = u"the viewer's policy for " + locationName(place);
    const std::u16string found = locationName(place) + u" in the " + zoneOfLocation(place);
    if (place.allowListed)
        findings.push_back(
            noted(u"policy", Severity::Info, where, found + u"; UrlAllowList names its folder, so it is shown"));
    else if (place.locationZone <= place.policy.allowedZone())
        findings.push_back(noted(u"policy", Severity::Info, where,
                                 found + u"; the policy allows it (" + place.policy.describe() + u")"));
    else {
        std::u16string folder = file.substr(0, file.find_last_of(u'\\') + 1);
        findings.push_back(
            {u"policy", Severity::Error, where, found + u"; the policy refuses it (" + place.policy.describe() + u")",
             u"The viewer shows the pages of compiled help only from zones up to MaxAllowedZone and from folders in "
             u"UrlAllowList; from anywhere else the window opens, but the page says \"Navigation to the webpage was "
             u"canceled\".",
             u"Install the help file on a local drive. Otherwise an administrator may allow it under " +
                 place.policy.key + u": UrlAllowList (REG_SZ) \"" + folder + u";" + fileUrl(folder) +
                 u"\" for this folder only, or MaxAllowedZone (REG_DWORD) " + decimal(place.locationZone) +
                 u" for every location of the " + zones::name(place.locationZone) +
                 u" zone. Either lowers a protection: compiled help from there may then run script with the user's "
                 u"rights, so it is the administrator's choice."});
    }
}

std::optional<std::u16string> BlockedContent::refusal(const std::u16string& file)
{
    const ContentZone place = assess(file);
    if (!place.refused()) return std::nullopt;
    const auto markZone = place.markZone();
    const std::u16string policy = u" which the viewer's policy refuses (" + place.policy.describe() + u")";
    if (markZone && *markZone > place.policy.allowedZone())
        return u"the file carries the mark of the web (" + zones::name(*markZone) + u" zone" + markOrigin(*place.mark) +
               u")," + policy + u", so the window shows none of its pages; unblock the file (helpdoctor unblock).";
    return u"the file lies on " + locationName(place) + u" in the " + zoneOfLocation(place) + u"," + policy +
           u", so the window shows none of its pages.";
}

}  // namespace morvel::htmlhelp
