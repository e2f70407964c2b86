#include "HelpDoctor.h"

#include <algorithm>

#include "ContextIdAudit.h"
#include "HelpFileListSurvey.h"
#include "htmlhelp/HelpDiagnosis.h"
#include "htmlhelp/HelpFileRegistration.h"

namespace morvel::helpdoctor {

using namespace htmlhelp;

const char UsageText[] =
    "usage: helpdoctor check FILE [--topic URL | --id N | --keyword K] [--json]\n"
    "       helpdoctor list [--prune [--yes]] [--json]\n"
    "       helpdoctor audit FILE IDS [--json]\n"
    "       helpdoctor engine [--json]\n"
    "\n"
    "  check   why help for FILE (as a host sets CHMFile) would not appear\n"
    "  list    the HTML Help file list and the state of each entry; --prune shows the stale\n"
    "          entries, --prune --yes removes them\n"
    "  audit   the context ids of IDS against the map of FILE; IDS is a C or C++ header\n"
    "          (#define, enum), a VB or VBA module (Const, Enum) or \"name=number\" lines\n"
    "  engine  the help engine's installation, versions and releases\n"
    "\n"
    "exit status: 0 nothing wrong, 1 something is, 2 bad usage\n";

namespace {

std::string json(const std::u16string& text)
{
    std::string out = "\"";
    for (unsigned char c : utf8(text)) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                static const char digits[] = "0123456789abcdef";
                out += "\\u00";
                out += digits[c >> 4];
                out += digits[c & 0xF];
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}
std::string json(const std::string& ascii) { return json(std::u16string(ascii.begin(), ascii.end())); }
const char* jsonBool(bool value) { return value ? "true" : "false"; }

std::u16string wide(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

struct Arguments {
    std::vector<std::u16string> positional;
    std::optional<std::u16string> topic, keyword, id;
    bool json = false, prune = false, yes = false;
    bool bad = false;
};

Arguments parse(const std::vector<std::u16string>& args)
{
    Arguments a;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        auto value = [&](std::optional<std::u16string>& into) {
            if (i + 1 >= args.size() || into) a.bad = true;
            else into = args[++i];
        };
        if (arg == u"--json") a.json = true;
        else if (arg == u"--prune") a.prune = true;
        else if (arg == u"--yes") a.yes = true;
        else if (arg == u"--topic") value(a.topic);
        else if (arg == u"--keyword") value(a.keyword);
        else if (arg == u"--id") value(a.id);
        else if (arg.rfind(u"--", 0) == 0) a.bad = true;
        else a.positional.push_back(arg);
    }
    return a;
}

std::optional<std::int32_t> parseId(const std::u16string& text)
{
    std::string ascii;
    for (char16_t c : text) {
        if (c > 0x7F) return std::nullopt;
        ascii += char(c);
    }
    const auto value = parseContextIdNumber(ascii);
    if (!value) return std::nullopt;
    return std::int32_t(*value);
}

ToolResult usage(const std::string& why)
{
    return {{}, "helpdoctor: " + why + "\n" + UsageText, 2};
}

std::string padded(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

// ---------------------------------------------------------------------------- check

ToolResult check(HtmlHelpPort& port, const Arguments& a)
{
    if (a.positional.size() != 2) return usage("check takes one FILE");
    if (int(a.topic.has_value()) + int(a.id.has_value()) + int(a.keyword.has_value()) > 1)
        return usage("give at most one of --topic, --id and --keyword");
    DiagnosisRequest request;
    request.file = a.positional[1];
    request.topic = a.topic;
    request.keyword = a.keyword;
    if (a.id) {
        request.contextId = parseId(*a.id);
        if (!request.contextId) return usage("--id takes a number");
    }
    const Diagnosis diagnosis = HelpDiagnosis(port).diagnose(request);
    std::size_t errors = 0, warnings = 0;
    for (const Finding& f : diagnosis.findings) {
        errors += f.severity == Severity::Error;
        warnings += f.severity == Severity::Warning;
    }

    ToolResult result;
    result.status = diagnosis.problem() ? 1 : 0;
    std::string& out = result.out;
    if (a.json) {
        out = "{\"command\":\"check\",\"file\":" + json(request.file) + ",\"path\":" + json(diagnosis.path) +
              ",\"errors\":" + std::to_string(errors) + ",\"warnings\":" + std::to_string(warnings) + ",\"findings\":[";
        for (std::size_t i = 0; i < diagnosis.findings.size(); ++i) {
            const Finding& f = diagnosis.findings[i];
            out += std::string(i ? "," : "") + "{\"check\":" + json(f.check) + ",\"severity\":" +
                   json(std::u16string(HelpDiagnosis::severityName(f.severity))) + ",\"checked\":" + json(f.checked) +
                   ",\"found\":" + json(f.found) + ",\"cause\":" + json(f.cause) + ",\"remedy\":" + json(f.remedy) + "}";
        }
        out += "]}\n";
        return result;
    }
    out = "Checking " + utf8(request.file);
    if (request.topic) out += " for topic " + utf8(*request.topic);
    if (request.contextId) out += " for context id " + std::to_string(*request.contextId);
    if (request.keyword) out += " for keyword " + utf8(*request.keyword);
    out += "\n";
    for (const Finding& f : diagnosis.findings) {
        out += "  " + padded(utf8(HelpDiagnosis::severityName(f.severity)), 8) + padded(utf8(f.check), 8) +
               utf8(f.checked) + ": " + utf8(f.found) + "\n";
        if (!f.cause.empty()) out += "                  why: " + utf8(f.cause) + "\n";
        if (!f.remedy.empty()) out += "                  fix: " + utf8(f.remedy) + "\n";
    }
    out += errors + warnings == 0 ? "Nothing wrong found.\n"
                                  : std::to_string(errors) + " error(s), " + std::to_string(warnings) + " warning(s).\n";
    return result;
}

// ---------------------------------------------------------------------------- list

std::string entryState(const ListEntry& e)
{
    if (!e.textValue) return "not a text value";
    if (e.folder.empty()) return "no folder";
    if (!e.folderExists) return "folder missing";
    if (!e.fileExists) return "file missing";
    std::string state;
    if (!e.validHelpFile) state = "not a compiled help file";
    if (!e.chmName) state += std::string(state.empty() ? "" : "; ") + "name does not end in chm";
    if (!e.duplicateOf.empty()) state += std::string(state.empty() ? "" : "; ") + "same file as " + utf8(e.duplicateOf);
    return state.empty() ? "ok" : state;
}

ToolResult list(HtmlHelpPort& port, const Arguments& a)
{
    if (a.positional.size() != 1) return usage("list takes no FILE");
    if (a.yes && !a.prune) return usage("--yes goes with --prune");
    HelpFileListSurvey survey(port);
    std::vector<ListEntry> entries = survey.survey();
    std::vector<std::u16string> removed, notRemoved;
    if (a.prune && a.yes) {
        for (const ListEntry& e : entries)
            if (e.stale()) (survey.remove(e.name) ? removed : notRemoved).push_back(e.name);
        if (!removed.empty()) entries = survey.survey();
    }
    const bool problem = std::any_of(entries.begin(), entries.end(), [](const ListEntry& e) { return e.problem(); });

    ToolResult result;
    result.status = problem ? 1 : 0;
    std::string& out = result.out;
    if (a.json) {
        out = "{\"command\":\"list\",\"key\":" + json(std::u16string(u"HKLM\\") + HtmlHelpListKey) + ",\"entries\":[";
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const ListEntry& e = entries[i];
            out += std::string(i ? "," : "") + "{\"name\":" + json(e.name) + ",\"folder\":" + json(e.folder) +
                   ",\"folderExists\":" + jsonBool(e.folderExists) + ",\"fileExists\":" + jsonBool(e.fileExists) +
                   ",\"validHelpFile\":" + jsonBool(e.validHelpFile) + ",\"duplicateOf\":" + json(e.duplicateOf) +
                   ",\"stale\":" + jsonBool(e.stale()) + ",\"state\":" + json(entryState(e)) + "}";
        }
        out += "],\"removed\":[";
        for (std::size_t i = 0; i < removed.size(); ++i) out += std::string(i ? "," : "") + json(removed[i]);
        out += "],\"notRemoved\":[";
        for (std::size_t i = 0; i < notRemoved.size(); ++i) out += std::string(i ? "," : "") + json(notRemoved[i]);
        out += "]}\n";
        return result;
    }
    for (const auto& name : removed) out += "removed  " + utf8(name) + "\n";
    for (const auto& name : notRemoved) out += "could not remove " + utf8(name) + " (run as administrator)\n";
    out += "HTML Help file list (HKLM\\" + utf8(HtmlHelpListKey) + "): " + std::to_string(entries.size()) + " entries\n";
    std::size_t stale = 0;
    for (const ListEntry& e : entries) {
        stale += e.stale();
        out += "  " + padded(e.stale() ? "stale" : e.problem() ? "problem" : "ok", 9) + padded(utf8(e.name), 20) +
               padded(utf8(e.folder), 30) + entryState(e) + "\n";
    }
    if (a.prune && !a.yes && stale > 0)
        out += std::to_string(stale) + " stale entries would be removed; run with --prune --yes to remove them.\n";
    return result;
}

// ---------------------------------------------------------------------------- audit

ToolResult audit(HtmlHelpPort& port, const Arguments& a, const ReadText& readText)
{
    if (a.positional.size() != 3) return usage("audit takes FILE and IDS");
    const auto text = readText(a.positional[2]);
    if (!text) return usage("cannot read " + utf8(a.positional[2]));
    const ContextIdList ids = parseContextIds(*text);
    const AuditResult audited = auditContextIds(port, a.positional[1], ids);

    ToolResult result;
    result.status = audited.problem() ? 1 : 0;  // a line not understood is noted, not blamed
    std::string& out = result.out;
    if (a.json) {
        out = "{\"command\":\"audit\",\"file\":" + json(a.positional[1]) + ",\"opened\":" + jsonBool(audited.opened) +
              ",\"hasMap\":" + jsonBool(audited.hasMap) + ",\"mapped\":" + std::to_string(audited.mapped) +
              ",\"ids\":" + std::to_string(ids.ids.size()) + ",\"missing\":[";
        for (std::size_t i = 0; i < audited.missing.size(); ++i)
            out += std::string(i ? "," : "") + "{\"name\":" + json(audited.missing[i].name) +
                   ",\"id\":" + std::to_string(audited.missing[i].id) + "}";
        out += "],\"brokenTopics\":[";
        for (std::size_t i = 0; i < audited.broken.size(); ++i)
            out += std::string(i ? "," : "") + "{\"id\":" + std::to_string(audited.broken[i].id) +
                   ",\"topic\":" + json(audited.broken[i].topic) + "}";
        // The lines noted, also as a list of numbers: badLines, which came first.
        std::string lines, notes;
        for (std::size_t i = 0; i < ids.notes.size(); ++i) {
            const ContextIdNote& note = ids.notes[i];
            if (i == 0 || note.line != ids.notes[i - 1].line)
                lines += std::string(lines.empty() ? "" : ",") + std::to_string(note.line);
            notes += std::string(i ? "," : "") + "{\"line\":" + std::to_string(note.line) +
                     ",\"text\":" + json(note.text) + "}";
        }
        out += "],\"badLines\":[" + lines + "],\"notes\":[" + notes + "]}\n";
        return result;
    }
    out = "Auditing " + std::to_string(ids.ids.size()) + " context ids against " + utf8(a.positional[1]) + "\n";
    for (const ContextIdNote& note : ids.notes)
        out += "  note: line " + std::to_string(note.line) + ": " + note.text + "\n";
    if (!audited.opened) {
        out += "  the file does not open as a compiled help file\n";
        return result;
    }
    if (!audited.hasMap) out += "  the file has no map of context ids\n";
    else out += "  the file maps " + std::to_string(audited.mapped) + " ids\n";
    for (const ContextId& id : audited.missing)
        out += "  missing from the map: " + id.name + " = " + std::to_string(id.id) + "\n";
    for (const auto& entry : audited.broken)
        out += "  map entry " + std::to_string(entry.id) + " points to " + utf8(entry.topic) +
               ", which is not in the file\n";
    out += result.status == 0 ? "Nothing wrong found.\n"
                              : std::to_string(audited.missing.size()) + " id(s) missing, " +
                                    std::to_string(audited.broken.size()) + " map entries without their topic.\n";
    return result;
}

// ---------------------------------------------------------------------------- engine

std::string controlJson(const ControlState& c)
{
    std::string out = "{\"name\":" + json(c.name) + ",\"registered\":" + jsonBool(c.registered) +
                      ",\"registeredPath\":" + json(c.registeredPath) + ",\"present\":" + jsonBool(c.present) +
                      ",\"version\":" + json(c.version) + ",\"release\":" + json(c.release) +
                      ",\"message\":" + json(c.message) + ",\"minimums\":[";
    for (std::size_t i = 0; i < c.minimums.size(); ++i)
        out += std::string(i ? "," : "") + "{\"release\":" + json(c.minimums[i].release) +
               ",\"minimum\":" + json(c.minimums[i].minimum) + ",\"met\":" + jsonBool(c.minimums[i].met) + "}";
    return out + "]}";
}

std::string controlText(const ControlState& c)
{
    std::string out = "  " + utf8(c.name) + ": ";
    if (!c.registered) out += "not registered";
    else out += "registered as " + utf8(c.registeredPath) + (c.present ? "" : " (file missing)");
    out += "\n";
    if (!c.message.empty()) out += "    the library would say: " + utf8(c.message) + "\n";
    out += "    version " + (c.version.empty() ? std::string("(none)") : utf8(c.version)) + ", release " +
           (c.release.empty() ? std::string("(none)") : utf8(c.release)) + "\n    minimums:";
    for (const auto& m : c.minimums) out += " " + utf8(m.release) + (m.met ? " met" : " not met") + ",";
    out.back() = '\n';
    return out;
}

ToolResult engine(HtmlHelpPort& port, const Arguments& a)
{
    if (a.positional.size() != 1) return usage("engine takes no FILE");
    const EngineState state = HelpDiagnosis(port).engine();
    ToolResult result;
    result.status = state.problem() ? 1 : 0;
    if (a.json) {
        result.out = "{\"command\":\"engine\",\"loads\":" + std::string(jsonBool(state.loads)) +
                     ",\"typeLibrary\":" + jsonBool(state.typeLibrary) + ",\"htmlHelp\":" + controlJson(state.htmlHelp) +
                     ",\"browser\":" + controlJson(state.browser) + "}\n";
        return result;
    }
    result.out = std::string("Help engine hhctrl.ocx: ") +
                 (state.loads ? "loads from the system folder" : "cannot be loaded from the system folder") + "\n" +
                 "  type library (HHInstalled): " + (state.typeLibrary ? "registered" : "not registered") + "\n" +
                 controlText(state.htmlHelp) + controlText(state.browser) +
                 (result.status ? "Something is wrong with the installation.\n" : "Nothing wrong found.\n");
    return result;
}

}  // namespace

ToolResult runHelpDoctor(HtmlHelpPort& port, const std::vector<std::u16string>& args, const ReadText& readText)
{
    for (std::size_t i = 1; i < args.size(); ++i)
        if (args[i] == u"--help" || args[i] == u"-h" || args[i] == u"/?") return {UsageText, {}, 0};
    const Arguments a = parse(args);
    if (a.bad) return usage("unknown option, or an option without its value");
    if (a.positional.empty()) return usage("no command");
    const std::u16string& command = a.positional[0];
    if ((a.prune || a.yes) && command != u"list") return usage("--prune and --yes go with list");
    if ((a.topic || a.id || a.keyword) && command != u"check") return usage("--topic, --id and --keyword go with check");
    try {
        if (command == u"check") return check(port, a);
        if (command == u"list") return list(port, a);
        if (command == u"audit") return audit(port, a, readText);
        if (command == u"engine") return engine(port, a);
    } catch (const std::exception&) {
        return {{}, "helpdoctor: the platform failed a query\n", 1};
    }
    if (command == u"help") return {UsageText, {}, 0};
    return usage("unknown command " + utf8(command));
}

}  // namespace morvel::helpdoctor
