#include "HelpDoctor.h"

#include <algorithm>

#include "ContextIdAudit.h"
#include "HelpFileListSurvey.h"
#include "JsonWriter.h"
#include "htmlhelp/HelpDiagnosis.h"
#include "htmlhelp/HelpFileContents.h"
#include "htmlhelp/HelpFileRegistration.h"
#include "htmlhelp/RegistryAccess.h"
#include "htmlhelp/WebMark.h"

namespace morvel::helpdoctor {

using namespace htmlhelp;

const char UsageText[] = "usage: helpdoctor check FILE [--topic URL | --id N | --keyword K] [--json]\n"
                         "       helpdoctor list [--prune [--yes [--backup FILE]]] [--json]\n"
                         "       helpdoctor audit FILE IDS [--json]\n"
                         "       helpdoctor engine [--json]\n"
                         "       helpdoctor unblock FILE [--yes]\n"
                         "\n"
                         "  check   why help for FILE (as a host sets CHMFile) would not appear\n"
                         "  list    the HTML Help file list (both registry views' on 64-bit Windows) and the state\n"
                         "          of each entry; entries whose folder cannot be checked from here are unreachable\n"
                         "          and kept; --prune shows the stale entries, --prune --yes removes them and prints\n"
                         "          how to put each back, --backup FILE saves them to a .reg file first\n"
                         "  audit   the context ids of IDS against the map of FILE; IDS is a C or C++ header\n"
                         "          (#define, enum), a VB or VBA module (Const, Enum) or \"name=number\" lines\n"
                         "  engine  the help engine's installation, versions and releases\n"
                         "  unblock removes the mark of the web (the FILE:Zone.Identifier stream) from the compiled\n"
                         "          help FILE after asking, or at once with --yes; prints what the mark held and\n"
                         "          how to put it back\n"
                         "\n"
                         "exit status: 0 nothing wrong, 1 something is, 2 bad usage\n";

namespace {

// Text for the terminal: names come from files and the registry, so a control character
// (C0, DEL, C1) or a bidirectional override is shown as an escape instead of acting on the
// terminal or reordering what the reader sees.
std::string shown(const std::u16string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::u16string safe;
    safe.reserve(text.size());
    for (char16_t c : text) {
        const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
        const bool bidi = (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F;
        if (!control && !bidi) {
            safe += c;
            continue;
        }
        safe += control ? u"\\x" : u"\\u";
        for (int shift = control ? 4 : 12; shift >= 0; shift -= 4) safe += char16_t(digits[(c >> shift) & 0xF]);
    }
    return utf8(safe);
}

std::u16string wide(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

struct Arguments {
    std::vector<std::u16string> positional;
    std::optional<std::u16string> topic, keyword, id, backup;
    bool json = false, prune = false, yes = false;
    bool bad = false;
};

Arguments parse(const std::vector<std::u16string>& args)
{
    Arguments a;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        auto value = [&](std::optional<std::u16string>& into) {
            if (i + 1 >= args.size() || into)
                a.bad = true;
            else
                into = args[++i];
        };
        if (arg == u"--json")
            a.json = true;
        else if (arg == u"--prune")
            a.prune = true;
        else if (arg == u"--yes")
            a.yes = true;
        else if (arg == u"--topic")
            value(a.topic);
        else if (arg == u"--keyword")
            value(a.keyword);
        else if (arg == u"--id")
            value(a.id);
        else if (arg == u"--backup")
            value(a.backup);
        else if (arg.rfind(u"--", 0) == 0)
            a.bad = true;
        else
            a.positional.push_back(arg);
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

ToolResult usage(const std::string& why) { return {{}, "helpdoctor: " + why + "\n" + UsageText, 2}; }

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
        JsonWriter j;
        j.beginObject().field("command", "check").field("file", request.file).field("path", diagnosis.path);
        j.field("errors", errors).field("warnings", warnings).key("findings").beginArray();
        for (const Finding& f : diagnosis.findings)
            j.beginObject()
                .field("check", f.check)
                .field("severity", std::u16string(HelpDiagnosis::severityName(f.severity)))
                .field("checked", f.checked)
                .field("found", f.found)
                .field("cause", f.cause)
                .field("remedy", f.remedy)
                .endObject();
        out = j.endArray().endObject().text();
        return result;
    }
    out = "Checking " + shown(request.file);
    if (request.topic) out += " for topic " + shown(*request.topic);
    if (request.contextId) out += " for context id " + std::to_string(*request.contextId);
    if (request.keyword) out += " for keyword " + shown(*request.keyword);
    out += "\n";
    for (const Finding& f : diagnosis.findings) {
        out += "  " + padded(shown(HelpDiagnosis::severityName(f.severity)), 8) + padded(shown(f.check), 8) +
               shown(f.checked) + ": " + shown(f.found) + "\n";
        if (!f.cause.empty()) out += "                  why: " + shown(f.cause) + "\n";
        if (!f.remedy.empty()) out += "                  fix: " + shown(f.remedy) + "\n";
    }
    out += errors + warnings == 0
               ? "Nothing wrong found.\n"
               : std::to_string(errors) + " error(s), " + std::to_string(warnings) + " warning(s).\n";
    return result;
}

// ---------------------------------------------------------------------------- list

std::string entryState(const ListEntry& e)
{
    if (!e.unreachable.empty()) return "unreachable: " + e.unreachable;
    if (!e.textValue) return "not a text value";
    if (e.folder.empty()) return "no folder";
    if (!e.folderExists) return "folder missing";
    if (!e.fileExists) return "file missing";
    std::string state;
    if (!e.validHelpFile) state = "not a compiled help file";
    if (!e.chmName) state += std::string(state.empty() ? "" : "; ") + "name does not end in chm";
    if (!e.duplicateOf.empty())
        state += std::string(state.empty() ? "" : "; ") + "same file as " + shown(e.duplicateOf);
    return state.empty() ? "ok" : state;
}

const char* viewJson(ListView view) { return view == ListView::Bits64 ? "64-bit" : "32-bit"; }
std::string viewName(ListView view)
{
    return view == ListView::Only ? "" : view == ListView::Bits64 ? "64-bit view" : "32-bit view";
}
std::string viewText(ListView view) { return view == ListView::Only ? "" : " (" + viewName(view) + ")"; }

std::u16string hexBytes(const std::vector<std::uint8_t>& data, const char16_t* separator)
{
    static const char16_t digits[] = u"0123456789abcdef";
    std::u16string out;
    for (std::size_t i = 0; i < data.size(); ++i)
        out += (i ? separator : u"") + std::u16string{digits[data[i] >> 4], digits[data[i] & 0xF]};
    return out;
}

// reg.exe reads its command line by the C runtime's rules: backslashes are plain except
// before a quote, where each pair stands for one. So a run of them before a quote (the
// closing one included) is doubled, and a quote inside gets one of its own.
std::u16string quotedArgument(const std::u16string& text)
{
    std::u16string out = u"\"";
    std::size_t backslashes = 0;
    for (char16_t c : text) {
        if (c == u'"') out.append(backslashes + 1, u'\\');
        backslashes = c == u'\\' ? backslashes + 1 : 0;
        out += c;
    }
    return out.append(backslashes, u'\\') + u'"';
}

// The reg.exe command that puts a removed value back as it was; none for a value of a
// kind the command cannot write exactly (the .reg backup holds every kind).
std::optional<std::u16string> restoreCommand(const ListEntry& e)
{
    std::u16string type, data;
    const std::u16string text = RegistryAccess::textOfData(e.data);
    if (e.textValue && text.find_first_not_of(u'\0', text.find(u'\0')) == std::u16string::npos) {
        type = e.type == REG_SZ_ ? u"REG_SZ" : u"REG_EXPAND_SZ";
        data = text.substr(0, text.find(u'\0'));
    } else if (e.type == REG_DWORD_ && e.data.size() == 4) {
        type = u"REG_DWORD";
        data = wide(std::to_string(e.data[0] | e.data[1] << 8 | e.data[2] << 16 | std::uint32_t(e.data[3]) << 24));
    } else if (e.type == REG_BINARY_) {
        type = u"REG_BINARY";
        data = hexBytes(e.data, u"");
    } else {
        return std::nullopt;
    }
    return u"reg add " + quotedArgument(u"HKLM\\" + std::u16string(HtmlHelpListKey)) + u" /v " +
           quotedArgument(e.name) + u" /t " + type + u" /d " + quotedArgument(data) + u" /f" +
           (e.view == ListView::Only     ? u""
            : e.view == ListView::Bits64 ? u" /reg:64"
                                         : u" /reg:32");
}

// A .reg file that puts the values back when imported: UTF-16LE with its byte-order mark
// and CRLF, as the registry editor writes it. A text value is written as text when it is
// one line ending in its NUL; any other value byte for byte. The 32-bit view of a 64-bit
// machine is named by its WOW6432Node path, which the editor writes as it stands.
std::string regFile(const std::vector<const ListEntry*>& entries)
{
    auto escaped = [](const std::u16string& text) {
        std::u16string out = u"\"";
        for (char16_t c : text) out += c == u'\\' || c == u'"' ? std::u16string{u'\\', c} : std::u16string{c};
        return out + u'"';
    };
    const std::u16string key = HtmlHelpListKey;
    std::u16string text = u"Windows Registry Editor Version 5.00\r\n";
    std::optional<ListView> section;
    for (const ListEntry* e : entries) {
        if (e->view != section) {
            section = e->view;
            text += u"\r\n[HKEY_LOCAL_MACHINE\\" +
                    (e->view == ListView::Bits32 ? key.substr(0, 9) + u"WOW6432Node\\" + key.substr(9) : key) +
                    u"]\r\n";
        }
        const std::u16string data = RegistryAccess::textOfData(e->data);
        const bool oneLine = e->type == REG_SZ_ && data.size() * 2 == e->data.size() &&
                             data.find(u'\0') + 1 == data.size() && data.find_first_of(u"\r\n") == std::u16string::npos;
        text += escaped(e->name) + u"=" +
                (oneLine ? escaped(data.substr(0, data.size() - 1))
                         : u"hex(" + wide(std::to_string(e->type)) + u"):" + hexBytes(e->data, u",")) +
                u"\r\n";
    }
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text + u"\r\n") {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    return bytes;
}

ToolResult list(HtmlHelpPort& port, const Arguments& a, const WriteText& writeText)
{
    if (a.positional.size() != 1) return usage("list takes no FILE");
    if (a.yes && !a.prune) return usage("--yes goes with --prune");
    if (a.backup && !a.yes) return usage("--backup goes with --prune --yes");
    HelpFileListSurvey survey(port);
    const std::vector<ListView> views = survey.views();
    std::vector<ListEntry> entries = survey.survey();
    ToolResult result;
    struct Outcome {
        const ListEntry& surveyed;
        Removal removal;
        std::optional<ListEntry> now;
    };
    std::vector<Outcome> outcomes;
    const std::vector<ListEntry> surveyed = entries;
    if (a.prune && a.yes) {
        std::vector<const ListEntry*> stale;
        for (const ListEntry& e : surveyed)
            if (e.stale()) stale.push_back(&e);
        if (a.backup && !(writeText && writeText(*a.backup, regFile(stale)))) {
            result.err = "helpdoctor: cannot write the backup " + shown(*a.backup) + "; nothing was removed\n";
            stale.clear();
        }
        for (const ListEntry* e : stale) {
            std::optional<ListEntry> now;
            const Removal removal = survey.removeIfStale(*e, now);
            outcomes.push_back({*e, removal, std::move(now)});
        }
        if (std::any_of(outcomes.begin(), outcomes.end(),
                        [](const Outcome& o) { return o.removal == Removal::Removed; }))
            entries = survey.survey();
    }
    const bool problem = std::any_of(entries.begin(), entries.end(), [](const ListEntry& e) { return e.problem(); });
    result.status = problem || !result.err.empty() ? 1 : 0;
    auto keptWhy = [](const Outcome& o) -> std::string {
        if (o.removal == Removal::Failed) return "the list cannot be written (run as administrator)";
        if (!o.now) return "gone already";
        if (!o.now->stale()) return "no longer stale: " + entryState(*o.now);
        return "changed since the survey";
    };

    std::string& out = result.out;
    if (a.json) {
        JsonWriter j;
        j.beginObject().field("command", "list").field("key", std::u16string(u"HKLM\\") + HtmlHelpListKey);
        j.key("entries").beginArray();
        for (const ListEntry& e : entries)
            j.beginObject()
                .field("name", e.name)
                .field("folder", e.folder)
                .field("folderExists", e.folderExists)
                .field("fileExists", e.fileExists)
                .field("validHelpFile", e.validHelpFile)
                .field("duplicateOf", e.duplicateOf)
                .field("stale", e.stale())
                .field("state", entryState(e))
                .field("unreachable", !e.unreachable.empty())
                .field("view", viewJson(e.view))
                .endObject();
        j.endArray();
        for (const bool removed : {true, false}) {
            j.key(removed ? "removed" : "notRemoved").beginArray();
            for (const Outcome& o : outcomes) {
                if ((o.removal == Removal::Removed) != removed) continue;
                j.beginObject().field("name", o.surveyed.name).field("view", viewJson(o.surveyed.view));
                j.field("folder", o.surveyed.folder);
                if (removed)
                    j.field("restore", restoreCommand(o.surveyed).value_or(u""));
                else
                    j.field("why", keptWhy(o));
                j.endObject();
            }
            j.endArray();
        }
        out = j.endObject().text();
        return result;
    }
    for (const Outcome& o : outcomes) {
        const ListEntry& e = o.surveyed;
        if (o.removal != Removal::Removed) {
            out += (o.removal == Removal::Failed ? "could not remove " : "kept     ") + shown(e.name) +
                   viewText(e.view) + ": " + keptWhy(o) + "\n";
            continue;
        }
        const auto restore = restoreCommand(e);
        out += "removed  " + shown(e.name) + viewText(e.view) +
               (e.textValue && !e.folder.empty() ? ", folder " + shown(e.folder) : ", " + entryState(e)) + "\n" +
               "         to put it back: " +
               (restore ? shown(*restore)
                        : "import a --backup file (type " + std::to_string(e.type) + ", data " +
                              shown(hexBytes(e.data, u",")) + ")") +
               "\n";
    }
    std::size_t stale = 0, unreachable = 0;
    for (ListView view : views) {
        const auto inView = std::count_if(entries.begin(), entries.end(),
                                          [&](const ListEntry& e) { return e.view == view; });
        out += "HTML Help file list" + (view == ListView::Only ? "" : ", " + viewName(view)) + " (HKLM\\" +
               shown(HtmlHelpListKey) + "): " + std::to_string(inView) + " entries\n";
        for (const ListEntry& e : entries) {
            if (e.view != view) continue;
            stale += e.stale();
            unreachable += !e.unreachable.empty();
            const char* label = e.stale()                ? "stale"
                                : !e.unreachable.empty() ? "unreachable"
                                : e.problem()            ? "problem"
                                                         : "ok";
            out += "  " + padded(label, 12) + padded(shown(e.name), 20) + padded(shown(e.folder), 30) + entryState(e) +
                   "\n";
        }
    }
    if (a.prune && !a.yes && stale > 0)
        out += std::to_string(stale) + " stale entries would be removed; run with --prune --yes to remove them.\n";
    if (a.prune && unreachable > 0)
        out += std::to_string(unreachable) +
               " unreachable entries are kept: whether they work cannot be told from here.\n";
    return result;
}

// ---------------------------------------------------------------------------- audit

ToolResult audit(HtmlHelpPort& port, const Arguments& a, const ReadText& readText)
{
    if (a.positional.size() != 3) return usage("audit takes FILE and IDS");
    const auto text = readText(a.positional[2]);
    if (!text) return usage("cannot read " + shown(a.positional[2]));
    const ContextIdList ids = parseContextIds(*text);
    const AuditResult audited = auditContextIds(port, a.positional[1], ids);

    ToolResult result;
    result.status = audited.problem() ? 1 : 0;  // a line not understood is noted, not blamed
    std::string& out = result.out;
    if (a.json) {
        JsonWriter j;
        j.beginObject().field("command", "audit").field("file", a.positional[1]).field("opened", audited.opened);
        j.field("tooLarge", audited.tooLarge).field("hasMap", audited.hasMap).field("mapped", audited.mapped);
        j.field("ids", ids.ids.size()).key("missing").beginArray();
        for (const auto& missing : audited.missing)
            j.beginObject().field("name", missing.name).field("id", missing.id).endObject();
        j.endArray().key("brokenTopics").beginArray();
        for (const auto& broken : audited.broken)
            j.beginObject().field("id", broken.id).field("topic", audited.map.topicOf(broken)).endObject();
        // The lines noted, also as a list of numbers: badLines, which came first.
        j.endArray().key("badLines").beginArray();
        for (std::size_t i = 0; i < ids.notes.size(); ++i)
            if (i == 0 || ids.notes[i].line != ids.notes[i - 1].line) j.value(ids.notes[i].line);
        j.endArray().key("notes").beginArray();
        for (const ContextIdNote& note : ids.notes)
            j.beginObject().field("line", note.line).field("text", note.text).endObject();
        out = j.endArray().endObject().text();
        return result;
    }
    out = "Auditing " + std::to_string(ids.ids.size()) + " context ids against " + shown(a.positional[1]) + "\n";
    for (const ContextIdNote& note : ids.notes)
        out += "  note: line " + std::to_string(note.line) + ": " + note.text + "\n";
    if (!audited.opened) {
        out += "  the file does not open as a compiled help file\n";
        return result;
    }
    if (audited.tooLarge)
        out += "  the file's map is too large or too malformed to check\n";
    else if (!audited.hasMap)
        out += "  the file has no map of context ids\n";
    else
        out += "  the file maps " + std::to_string(audited.mapped) + " ids\n";
    for (const ContextId& id : audited.missing)
        out += "  missing from the map: " + id.name + " = " + std::to_string(id.id) + "\n";
    for (const auto& entry : audited.broken)
        out += "  map entry " + std::to_string(entry.id) + " points to " + shown(audited.map.topicOf(entry)) +
               ", which is not in the file\n";
    out += result.status == 0 ? "Nothing wrong found.\n"
                              : std::to_string(audited.missing.size()) + " id(s) missing, " +
                                    std::to_string(audited.broken.size()) + " map entries without their topic.\n";
    return result;
}

// ---------------------------------------------------------------------------- engine

void controlJson(JsonWriter& j, const ControlState& c)
{
    j.beginObject().field("name", c.name).field("registered", c.registered).field("registeredPath", c.registeredPath);
    j.field("present", c.present).field("version", c.version).field("release", c.release).field("message", c.message);
    j.key("minimums").beginArray();
    for (const auto& m : c.minimums)
        j.beginObject().field("release", m.release).field("minimum", m.minimum).field("met", m.met).endObject();
    j.endArray().endObject();
}

std::string controlText(const ControlState& c)
{
    std::string out = "  " + shown(c.name) + ": ";
    if (!c.registered)
        out += "not registered";
    else
        out += "registered as " + shown(c.registeredPath) + (c.present ? "" : " (file missing)");
    out += "\n";
    if (!c.message.empty()) out += "    the library would say: " + shown(c.message) + "\n";
    out += "    version " + (c.version.empty() ? std::string("(none)") : shown(c.version)) + ", release " +
           (c.release.empty() ? std::string("(none)") : shown(c.release)) + "\n    minimums:";
    for (const auto& m : c.minimums) out += " " + shown(m.release) + (m.met ? " met" : " not met") + ",";
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
        JsonWriter j;
        j.beginObject().field("command", "engine").field("loads", state.loads).field("typeLibrary", state.typeLibrary);
        controlJson(j.key("htmlHelp"), state.htmlHelp);
        controlJson(j.key("browser"), state.browser);
        result.out = j.endObject().text();
        return result;
    }
    result.out = std::string("Help engine hhctrl.ocx: ") +
                 (state.loads ? "loads from the system folder" : "cannot be loaded from the system folder") + "\n" +
                 "  type library (HHInstalled): " + (state.typeLibrary ? "registered" : "not registered") + "\n" +
                 controlText(state.htmlHelp) + controlText(state.browser) +
                 (result.status ? "Something is wrong with the installation.\n" : "Nothing wrong found.\n");
    return result;
}

// ---------------------------------------------------------------------------- unblock

ToolResult unblock(HtmlHelpPort& port, const Arguments& a, const ToolHost& host)
{
    if (a.positional.size() != 2) return usage("unblock takes one FILE");
    if (a.json) return usage("--json does not go with unblock");
    const std::u16string& file = a.positional[1];
    long status = 0;
    if (!HelpFileContents::open(port, file, status))
        return {{}, "helpdoctor: " + shown(file) + " is not a compiled help file; nothing was changed.\n", 1};
    const auto mark = WebMark::read(port, file, status);
    if (!mark) return {shown(file) + " carries no mark of the web; nothing to do.\n", {}, 0};
    if (status != ERROR_SUCCESS_)
        return {{},
                "helpdoctor: the mark of the web on " + shown(file) + " cannot be read (error " +
                    std::to_string(status) + "); nothing was changed.\n",
                1};

    std::string told = "The mark of the web on " + shown(file) + " (its Zone.Identifier stream) holds:\n";
    std::string values;
    for (std::size_t start = 0; start < mark->text.size();) {
        std::size_t end = mark->text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) end = mark->text.size();
        const std::u16string line = mark->text.substr(start, end - start);
        start = end + 1;
        if (line.empty()) continue;
        told += "    " + shown(line) + "\n";
        values += (values.empty() ? "" : ",") + shown(WebMark::powerShellLiteral(line));
    }
    told += "To put it back, in PowerShell:\n    Set-Content -LiteralPath " + shown(WebMark::powerShellLiteral(file)) +
            " -Stream Zone.Identifier -Value " + (values.empty() ? "''" : values) + "\n";
    ToolResult result;
    if (!a.yes) {
        if (!host.confirm || !host.confirm(told + "Remove the mark? [y/N] ")) return {"Nothing was changed.\n", {}, 1};
    } else {
        result.out = told;
    }
    if (!host.removeFile || !host.removeFile(WebMark::streamOf(file)))
        return {result.out, "helpdoctor: the mark of the web on " + shown(file) + " could not be removed.\n", 1};
    result.out += "Removed the mark of the web from " + shown(file) + ".\n";
    return result;
}

}  // namespace

ToolResult runHelpDoctor(HtmlHelpPort& port, const std::vector<std::u16string>& args, const ToolHost& host)
{
    for (std::size_t i = 1; i < args.size(); ++i)
        if (args[i] == u"--help" || args[i] == u"-h" || args[i] == u"/?") return {UsageText, {}, 0};
    const Arguments a = parse(args);
    if (a.bad) return usage("unknown option, or an option without its value");
    if (a.positional.empty()) return usage("no command");
    const std::u16string& command = a.positional[0];
    if ((a.prune || a.backup) && command != u"list") return usage("--prune and --backup go with list");
    if (a.yes && command != u"list" && command != u"unblock") return usage("--yes goes with list and unblock");
    if ((a.topic || a.id || a.keyword) && command != u"check")
        return usage("--topic, --id and --keyword go with check");
    try {
        if (command == u"check") return check(port, a);
        if (command == u"list") return list(port, a, host.writeText);
        if (command == u"audit") return audit(port, a, host.readText);
        if (command == u"engine") return engine(port, a);
        if (command == u"unblock") return unblock(port, a, host);
    } catch (const std::exception&) {
        return {{}, "helpdoctor: the platform failed a query\n", 1};
    }
    if (command == u"help") return {UsageText, {}, 0};
    return usage("unknown command " + shown(command));
}

}  // namespace morvel::helpdoctor
