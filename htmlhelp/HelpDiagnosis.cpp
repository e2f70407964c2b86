#include "HelpDiagnosis.h"

#include <algorithm>
#include <exception>
#include <span>

#include "BlockedContent.h"
#include "HelpFileContents.h"
#include "HtmlHelpObject.h"
#include "QuietPort.h"
#include "VersionText.h"

namespace morvel::htmlhelp {

namespace {

std::u16string hex(std::uint32_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::u16string text = u"0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += char16_t(digits[(value >> shift) & 0xF]);
    return text;
}

std::u16string quoted(const std::u16string& text) { return u"'" + text + u"'"; }

bool hasDrive(const std::u16string& path)
{
    return path.size() >= 3 && ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z')) &&
           path[1] == u':' && path[2] == u'\\';
}
bool isUnc(const std::u16string& path) { return path.rfind(u"\\\\", 0) == 0; }

std::u16string trimmed(const std::u16string& text)
{
    const auto first = text.find_first_not_of(u" \t");
    if (first == std::u16string::npos) return {};
    return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
}

// What the message boxes of a check said, joined: the finding quotes the library's own words.
std::u16string said(QuietPort& quiet)
{
    std::u16string text;
    for (const MessageBoxRequest& box : quiet.messages()) {
        if (!text.empty()) text += u" / ";
        std::u16string line = box.text.text();
        std::replace(line.begin(), line.end(), u'\n', u' ');
        text += line;
    }
    quiet.clearMessages();
    return text;
}

// A map target that names a folder of the compiling machine rather than a page of the file.
bool looksLikeBuildPath(const std::u16string& topic)
{
    return (topic.size() > 1 && topic[0] == u'/' && topic.find(u'/', 1) != std::u16string::npos) || hasDrive(topic) ||
           isUnc(topic);
}

Finding finding(const char16_t* check, Severity severity, std::u16string checked, std::u16string found,
                std::u16string cause = {}, std::u16string remedy = {})
{
    return {check, severity, std::move(checked), std::move(found), std::move(cause), std::move(remedy)};
}

}  // namespace

bool Diagnosis::problem() const
{
    return std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return f.problem(); });
}

const Finding* Diagnosis::headline() const
{
    for (const Finding& f : findings)
        if (f.problem()) return &f;
    return findings.empty() ? nullptr : &findings.front();
}

bool EngineState::problem() const
{
    if (!loads || !htmlHelp.registered || !htmlHelp.present) return true;
    return std::any_of(htmlHelp.minimums.begin(), htmlHelp.minimums.end(),
                       [](const ControlState::Minimum& m) { return m.release == u"HH_1_0" && !m.met; });
}

const char16_t* HelpDiagnosis::severityName(Severity severity)
{
    switch (severity) {
    case Severity::Ok: return u"ok";
    case Severity::Info: return u"info";
    case Severity::Warning: return u"warning";
    case Severity::Error: return u"error";
    }
    return u"error";
}

Diagnosis HelpDiagnosis::diagnose(const DiagnosisRequest& request)
{
    Diagnosis result;
    std::vector<Finding>& findings = result.findings;
    QuietPort quiet(port_);
    HtmlHelpObject scratch(quiet);
    const std::u16string& file = request.file;

    try {
        // 1. The name, as every display command checks it first.
        if (!scratch.helpFileChecks.ValidateChmFile(file)) {
            findings.push_back(finding(u"name", Severity::Error, u"file name " + quoted(file), said(quiet),
                                       u"The library hands only names ending in \"chm\" to the help engine; "
                                       u"it showed this message and called nothing.",
                                       u"Set CHMFile to the compiled help file (.chm)."));
            if (request.checkEngine) checkEngine(findings);
            return result;
        }
        findings.push_back(finding(u"name", Severity::Ok, u"file name " + quoted(file), u"ends in chm"));

        // 2. The completion of a bare name: the HTML Help file list, else the library's folder.
        const bool bare = file.find(u'\\') == std::u16string::npos;
        const std::u16string completed = checkLookup(file, scratch, quiet, findings);
        result.path = completed;

        // 3. The file on disk, as EnsureFileExists looks for it.
        Text probe = completed;
        if (!scratch.helpFileChecks.EnsureFileExists(probe)) {
            const std::u16string message = said(quiet);
            findings.push_back(
                finding(u"exists", Severity::Error, completed, u"not found",
                        u"The library showed \"" + message + u"\" and did not call the engine.",
                        bare ? u"Install the file beside the library, or register it with its full path (HHRegister)."
                             : u"Correct the path in CHMFile, or install the file there."));
            checkPathCharacters(completed, findings);
            if (request.checkEngine) checkEngine(findings);
            return result;
        }
        if (completed.find_first_of(u"*?") != std::u16string::npos)
            findings.push_back(
                finding(u"exists", Severity::Error, completed, u"a pattern that matches some file",
                        u"The existence check accepts any file the pattern matches, but the engine opens no file by a "
                        u"pattern.",
                        u"Name the file itself."));
        else
            findings.push_back(finding(u"exists", Severity::Ok, completed, u"found"));

        // 4. What the path's characters do, whether the viewer will show the file's pages
        // (its mark of the web, its location and the viewer's policy), then what it holds.
        checkPathCharacters(completed, findings);
        BlockedContent(port_).check(completed, findings);
        checkContents(completed, request, findings);
    } catch (const ContentsTooLarge&) {
        findings.push_back(
            finding(u"storage", Severity::Warning, result.path, u"too large or too malformed to check",
                    u"Its map, index or system data would take more memory or time than a check may spend (64 MiB, "
                    u"2 seconds); a help compiler makes far smaller ones, so the file is probably damaged.",
                    u"Compile the help project again and install the .chm as built."));
    } catch (const std::exception&) {
        findings.push_back(finding(u"diagnosis", Severity::Warning, u"the checks", u"stopped by a platform failure",
                                   u"The platform failed a query the checks depend on.", u"Run the check again."));
    }
    if (request.checkEngine) checkEngine(findings);
    return result;
}

// The completion of a bare name as the display commands make it, with what the lookup in
// the HTML Help file list found; a path is taken as it is. Returns the completed name.
std::u16string HelpDiagnosis::checkLookup(const std::u16string& file, HtmlHelpObject& scratch, QuietPort& quiet,
                                          std::vector<Finding>& findings)
{
    std::u16string completed;
    const bool bare = file.find(u'\\') == std::u16string::npos;
    if (bare) {
        completed = scratch.helpFileChecks.completeName(file);
        const HtmlHelpState& state = scratch.state;
        const std::u16string listed = u"the HTML Help file list for " + quoted(file);
        quiet.clearMessages();  // the lookup's own existence message is told below
        if (isEmpty(state.HHRegFileName)) {
            findings.push_back(finding(u"lookup", Severity::Info, listed,
                                       u"not listed; the library looks beside itself: " + completed));
        } else if (isEmpty(state.HHRegFilePath)) {
            findings.push_back(
                finding(u"lookup", Severity::Warning, listed, u"listed without a folder",
                        u"The entry holds no folder, so the engine cannot find the file through it; the library "
                        u"looks beside itself instead: " +
                            completed,
                        u"Register the file again with its full path (HHRegister), or remove the entry "
                        u"(helpdoctor list --prune --yes)."));
        } else if (state.HHRegFileExists == False) {
            findings.push_back(
                finding(u"lookup", Severity::Error, listed,
                        u"listed in " + *state.HHRegFilePath + u", but the file is not there",
                        u"A stale entry: the file was moved or removed after it was registered. Both the library "
                        u"and the engine go by the entry and look in the old folder.",
                        u"Register the file again from where it lies now (HHRegister with its full path), or "
                        u"remove the stale entry (helpdoctor list --prune --yes) and set CHMFile to the full path."));
        } else {
            findings.push_back(finding(u"lookup", Severity::Ok, listed, u"listed in " + *state.HHRegFilePath));
        }
    } else {
        completed = file;
        if (!hasDrive(completed) && !isUnc(completed))
            findings.push_back(
                finding(u"lookup", Severity::Warning, u"the path " + quoted(file),
                        u"relative to the host's current folder, now " + port_.CurrentFolder(),
                        u"The path is taken from whatever folder the host runs in when it asks for help, which "
                        u"changes with file dialogs and shortcuts.",
                        u"Give CHMFile the full path, or the bare name of a registered file."));
    }
    return completed;
}

void HelpDiagnosis::checkPathCharacters(const std::u16string& path, std::vector<Finding>& findings)
{
    const std::u16string checked = u"the characters of " + path;
    bool clean = true;
    if (!port_.ToAnsi(path)) {
        // Not a problem of ours nor of the engine's: the library hands such a name to the
        // engine's wide entry point as it is, and the engine opens it (measured under Wine's
        // viewer). Only an ANSI interface outside the library still turns those characters
        // into '?', so the finding says where to look, without raising an alarm.
        findings.push_back(
            finding(u"path", Severity::Info, checked, u"characters the ANSI code page cannot carry",
                    u"The library hands this name to the engine's wide entry point unchanged, so it opens as named. "
                    u"A program or shortcut that passes the name through the ANSI code page itself (its own HtmlHelpA "
                    u"call, an ANSI command line) turns those characters into '?'.",
                    u"Nothing to do for this library; a program that calls the engine itself must use HtmlHelpW for "
                    u"such a name."));
    }
    if (path.find(u'#') != std::u16string::npos) {
        clean = false;
        findings.push_back(
            finding(u"path", Severity::Error, checked, u"a '#' in the path",
                    u"The viewer reads '#' as the start of an anchor in the address it builds, so it cannot open the "
                    u"file's pages (an empty window or \"page cannot be displayed\").",
                    u"Install the help file in a folder without '#' in its path."));
    }
    if (path.find(u'%') != std::u16string::npos) {
        clean = false;
        findings.push_back(
            finding(u"path", Severity::Warning, checked, u"a '%' in the path",
                    u"The viewer decodes '%' and two hex digits in the address it builds as an escaped character, so "
                    u"it may look for another file.",
                    u"Install the help file in a folder without '%' in its path."));
    }
    if (clean) findings.push_back(finding(u"path", Severity::Ok, checked, u"nothing the viewer trips over"));
}

void HelpDiagnosis::checkContents(const std::u16string& path, const DiagnosisRequest& request,
                                  std::vector<Finding>& findings)
{
    long status = 0;
    auto chm = HelpFileContents::open(port_, path, status);
    if (!chm) {
        findings.push_back(
            finding(u"storage", Severity::Error, path,
                    u"not a compiled help file (the storage says " + hex(std::uint32_t(status)) + u")",
                    u"The file is there, but it is not compiled HTML Help, or it is damaged or cut short; the engine "
                    u"opens no window for it.",
                    u"Compile the help project again and install the .chm as built (a renamed .hlp or .htm file is "
                    u"not one)."));
        return;
    }
    findings.push_back(
        finding(u"storage", Severity::Ok, path,
                u"a compiled help file of " + decimal(std::int64_t(chm->streams().size())) + u" streams"));
    checkTopic(*chm, request, findings);
    if (request.contextId) checkContextId(*chm, *request.contextId, findings);
    if (request.keyword) checkKeyword(*chm, *request.keyword, findings);
}

void HelpDiagnosis::checkTopic(HelpFileContents& chm, const DiagnosisRequest& request, std::vector<Finding>& findings)
{
    const std::u16string defaultTopic = chm.defaultTopic();
    const bool askedSomething = request.topic || request.contextId || request.keyword;
    if (request.topic && !isEmpty(request.topic)) {
        const std::u16string page = HelpFileContents::topicPath(*request.topic);
        if (chm.hasTopic(*request.topic))
            findings.push_back(
                finding(u"topic", Severity::Ok, u"topic " + quoted(*request.topic), u"the file holds " + page));
        else
            findings.push_back(finding(
                u"topic", Severity::Error, u"topic " + quoted(*request.topic), u"the file holds no page " + page,
                u"The engine opens the window, but the page it was asked for is not in the file.",
                u"Use a page the file holds (paths are relative to the file's root" +
                    (defaultTopic.empty() ? std::u16string(u")") : u"; its default topic is " + defaultTopic + u")") +
                    u", or compile the page into the file."));
    } else if (!askedSomething || request.topic) {
        // No particular page: the engine shows the default topic.
        if (defaultTopic.empty())
            findings.push_back(finding(u"topic", Severity::Warning, u"the default topic", u"the file names none",
                                       u"Without a topic the window opens on an empty page.",
                                       u"Set \"Default topic\" in the help project and compile again."));
        else if (!chm.hasTopic(defaultTopic))
            findings.push_back(finding(u"topic", Severity::Warning, u"the default topic " + quoted(defaultTopic),
                                       u"not in the file", u"Without a topic the window opens on an empty page.",
                                       u"Compile the default topic into the file."));
        else
            findings.push_back(
                finding(u"topic", Severity::Ok, u"the default topic " + quoted(defaultTopic), u"in the file"));
    }
}

void HelpDiagnosis::checkContextId(HelpFileContents& chm, std::int32_t contextId, std::vector<Finding>& findings)
{
    const std::u16string checked = u"context id " + decimal(contextId);
    const auto map = chm.contextMap();
    const ContextMap::Entry* entry = map ? map->find(std::uint32_t(contextId)) : nullptr;
    if (!map) {
        findings.push_back(
            finding(u"id", Severity::Error, checked, u"the file has no map of context ids",
                    u"The file was compiled without [MAP] and [ALIAS] sections, so the engine can show no topic by "
                    u"id; it closes the help window instead.",
                    u"Add [MAP] (#define name id) and [ALIAS] (name=page.htm) to the help project and compile again."));
    } else if (!entry) {
        findings.push_back(
            finding(u"id", Severity::Error, checked,
                    u"not in the file's map (" + decimal(std::int64_t(map->entries.size())) + u" ids mapped)",
                    u"The engine finds no topic for the id and shows none.",
                    u"Add the id to [MAP] and its topic to [ALIAS] and compile again, or use an id the map holds "
                    u"(helpdoctor audit lists them against the application's ids)."));
    } else if (const std::u16string& topic = map->topicOf(*entry); !chm.hasTopic(topic)) {
        const bool buildPath = looksLikeBuildPath(topic);
        findings.push_back(finding(
            u"id", Severity::Error, checked, u"mapped to " + quoted(topic) + u", which is not a page of the file",
            buildPath ? u"The map names a path of the machine that compiled the file instead of a page inside "
                        u"it: the compiler stored the alias target as a full path. The engine finds no page there."
                      : u"The alias names a page the file does not hold; the engine shows none.",
            buildPath ? u"Compile with a compiler that stores alias targets relative to the project, or show "
                        u"the page by its path (HHTopicURL)."
                      : u"Correct the page in [ALIAS], or compile the page into the file."));
    } else {
        findings.push_back(finding(u"id", Severity::Ok, checked, u"mapped to " + map->topicOf(*entry)));
    }
}

void HelpDiagnosis::checkKeyword(HelpFileContents& chm, const std::u16string& keyword, std::vector<Finding>& findings)
{
    const auto keywords = chm.indexKeywords();
    const std::u16string checked = u"keyword " + quoted(keyword);
    if (!keywords) {
        if (chm.hasBinaryIndex())
            findings.push_back(finding(u"keyword", Severity::Info, checked,
                                       u"the index is there only in binary form; the keyword was not checked"));
        else
            findings.push_back(finding(u"keyword", Severity::Error, checked, u"the file has no index",
                                       u"A keyword lookup needs the file's index; there is none.",
                                       u"Add an index (.hhk) to the help project and compile again."));
    } else {
        std::u16string missing;
        std::size_t asked = 0;
        for (std::size_t start = 0; start <= keyword.size();) {
            const std::size_t end = std::min(keyword.find(u';', start), keyword.size());
            const std::u16string word = trimmed(keyword.substr(start, end - start));
            start = end + 1;
            if (word.empty()) continue;
            ++asked;
            const bool known = std::any_of(keywords->begin(), keywords->end(), [&](const std::u16string& k) {
                return port_.CompareNoCase(trimmed(k), word) == 0;
            });
            if (!known) missing += (missing.empty() ? u"" : u", ") + quoted(word);
        }
        if (asked == 0)
            findings.push_back(finding(u"keyword", Severity::Warning, checked, u"no keyword given",
                                       u"An empty keyword finds nothing.", u"Set HHKeyword."));
        else if (!missing.empty())
            findings.push_back(finding(u"keyword", Severity::Error, checked, u"not in the index: " + missing,
                                       u"The engine finds no entry for the keyword and shows no topic.",
                                       u"Use a keyword of the index (" + decimal(std::int64_t(keywords->size())) +
                                           u" entries), or add it to the .hhk and compile again."));
        else
            findings.push_back(finding(u"keyword", Severity::Ok, checked, u"in the index"));
    }
}

EngineState HelpDiagnosis::engine()
{
    EngineState state;
    QuietPort quiet(port_);
    HtmlHelpObject scratch(quiet);
    state.loads = port_.LoadHelpEngine();
    state.typeLibrary = scratch.installationCheck.HHInstalled();

    struct Common {
        const char16_t* name;
        std::int32_t value;
    };
    static const Common htmlHelpMinimums[] = {{u"HH_1_0", 16}, {u"HH_1_1B", 19}, {u"HH_1_2", 20}, {u"HH_1_3", 24}};
    static const Common browserMinimums[] = {{u"IE_3_0", 256}, {u"IE_4_0", 261}, {u"IE_4_01", 262}, {u"IE_5_0", 267}};

    auto survey = [&](ControlState& control, const char16_t* name, const char16_t* key, bool htmlHelp,
                      std::span<const Common> minimums) {
        control.name = name;
        const RegistryValueRecord record = scratch.registryAccess.GetRegistryValue(u"HKCR", key, u"");
        control.registered = !record.ValueLine.empty();
        control.registeredPath = RegistryAccess::dataOfLine(record);
        quiet.clearMessages();
        try {
            if (htmlHelp) {
                scratch.installationCheck.CheckHtmlHelpInstall();
                control.message = said(quiet);
                scratch.installationCheck.GetHHFriendlyVersion();
            } else {
                scratch.installationCheck.CheckBrowserInstall();
                control.message = said(quiet);
                scratch.installationCheck.GetIEFriendlyVersion();
            }
        } catch (const std::exception&) {}
        quiet.clearMessages();
        control.version = textOrEmpty(htmlHelp ? scratch.state.HHVersionText : scratch.state.IEVersionText);
        control.release = textOrEmpty(htmlHelp ? scratch.state.HHFriendlyNameText : scratch.state.IEFriendlyNameText);
        control.present = control.registered && control.message.empty();
        for (const Common& m : minimums) {
            const std::u16string minimum = InstallationCheck::minimumVersion(m.value);
            control.minimums.push_back({m.name, minimum, VersionText::meetsMinimum(control.version, minimum)});
        }
    };
    survey(state.htmlHelp, u"HTML Help", HtmlHelpServerKey, true, htmlHelpMinimums);
    survey(state.browser, u"Browser", BrowserServerKey, false, browserMinimums);
    return state;
}

void HelpDiagnosis::checkEngine(std::vector<Finding>& findings)
{
    if (!port_.LoadHelpEngine()) {
        findings.push_back(finding(
            u"engine", Severity::Error, u"the help engine hhctrl.ocx in the system folder", u"cannot be loaded",
            u"HTML Help is not installed, or its file is missing or damaged: every display command ends without "
            u"a window.",
            u"Install HTML Help (on current Windows it is part of the system; repair the system files)."));
        return;
    }
    EngineState state = engine();
    const ControlState& hh = state.htmlHelp;
    if (!hh.registered || !hh.present) {
        findings.push_back(
            finding(u"engine", Severity::Info, u"the help engine hhctrl.ocx", u"loads, but " + hh.message,
                    u"Display commands work; HHVersion, HHFriendlyName and HHVerifyMinConfig report it missing.",
                    u"Register hhctrl.ocx (regsvr32 hhctrl.ocx) if the application checks the installation."));
        return;
    }
    const bool oldEnough = !hh.minimums.empty() && hh.minimums.front().met;
    if (!oldEnough)
        findings.push_back(finding(u"engine", Severity::Warning, u"the help engine hhctrl.ocx",
                                   u"version " + hh.version + u", below HTML Help 1.0",
                                   u"The engine is too old for compiled help files of this kind.",
                                   u"Install a current HTML Help."));
    else
        findings.push_back(finding(u"engine", Severity::Ok, u"the help engine hhctrl.ocx",
                                   u"loads; version " + hh.version + u" (release " + hh.release + u")"));
}

}  // namespace morvel::htmlhelp
