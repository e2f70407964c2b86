#include "DisplayCommands.h"

#include <algorithm>
#include <exception>

#include "../portable/AutomationError.h"
#include "BlockedContent.h"
#include "HelpDiagnosis.h"
#include "HtmlHelpObject.h"

namespace morvel::htmlhelp {

namespace {
constexpr std::uint32_t ERROR_PROC_NOT_FOUND_ = 127;
}

void DisplayCommands::callEngine(HtmlHelpPort& port, HelpCall call)
{
    call.sameWidth();
    if (port.HtmlHelp(call)) return;
    if (port.LastError() == ERROR_PROC_NOT_FOUND_)
        throw errors::dllEntryPointNotFound(call.wide() ? u"HtmlHelpW" : u"HtmlHelpA", u"hhctrl.ocx");
    throw errors::fileNotFound(u"hhctrl.ocx");
}

bool DisplayCommands::isBlank(const Text& text)
{
    // Only blanks count, as the trim the window test stands for removes nothing else.
    const std::u16string& value = textOrEmpty(text);
    return std::all_of(value.begin(), value.end(), [](char16_t c) { return c == u' '; });
}

template <class Steps>
void DisplayCommands::runCommand(Asked asked, Steps&& steps)
{
    const std::u16string fileAsSet = textOrEmpty(object_.state.CHMFile);
    windowOpened_ = false;
    try {
        steps();
    } catch (const AutomationError& error) {
        // Every failure but 91 is passed over; where one can arise, the command ends there.
        if (error.number() == errors::ObjectNotSet)
            object_.messageBoxes.ShowUsageMessage(NoFormMessage);  // a failure here reaches the host
    } catch (const std::exception&) {
        // Passed over as well: the host hears success.
    }
    tellDebugger(asked, fileAsSet);
}

void DisplayCommands::tellDebugger(const Asked& asked, const std::u16string& fileAsSet)
{
    try {
        // The checks read the help file; nobody listening, no work beyond the command's own.
        if (!object_.port.IsDebuggerPresent()) return;
        if (windowOpened_) {
            // The window is there, but the viewer may still refuse every page of the file.
            const std::u16string file = textOrEmpty(object_.state.CHMFile);  // as completed for the engine
            if (const auto refusal = BlockedContent(object_.port).refusal(file))
                object_.port.OutputDebugString(u"Morvel10 " + std::u16string(asked.member) +
                                               u": the help window for '" + file + u"' shows nothing: " + *refusal +
                                               u"\n");
            return;
        }
        DiagnosisRequest request;
        request.file = fileAsSet;
        request.topic = asked.topic;
        request.contextId = asked.contextId;
        request.keyword = asked.keyword;
        const Diagnosis diagnosis = HelpDiagnosis(object_.port).diagnose(request);
        std::u16string line = u"Morvel10 " + std::u16string(asked.member) + u": no help window for '" + fileAsSet +
                              u"': ";
        const Finding* first = diagnosis.headline();
        if (first && first->problem())
            line += u"[" + std::u16string(HelpDiagnosis::severityName(first->severity)) + u"] " + first->checked +
                    u": " + first->found + u". " + first->cause;
        else
            line += u"the checks found nothing wrong; the engine opened no window for the command.";
        object_.port.OutputDebugString(line + u"\n");
    } catch (...) {
        // A line for the debugger is never worth a failure of the command.
    }
}

bool DisplayCommands::helpFileReady()
{
    HtmlHelpState& state = object_.state;
    if (!object_.helpFileChecks.ValidateChmFile(textOrEmpty(state.CHMFile))) return false;
    return object_.helpFileChecks.EnsureFileExists(state.CHMFile);  // completes CHMFile in place
}

std::uint32_t DisplayCommands::ownerOf(const std::int32_t* CallingForm)
{
    // CallingForm is not even looked at unless the window is to stay on top of it.
    if (object_.state.HHShowOnTop == False) return 0;
    if (!CallingForm) throw errors::objectNotSet();
    return static_cast<std::uint32_t>(*CallingForm);
}

// A null string goes to the engine as a null pointer. The engine is handed the host's own
// text, so what a property holds after the call is what the host set.
std::optional<PlatformText> DisplayCommands::platformText(const Text& text)
{
    return toPlatformText(object_.port, text);
}

void DisplayCommands::callWithFileOnly(std::uint32_t owner, std::uint32_t command, const HelpData& data)
{
    callEngine(object_.port, {owner, platformText(object_.state.CHMFile), command, data});
    windowOpened_ = object_.port.LastHelpWindow() != 0;
}

void DisplayCommands::show(const std::int32_t* CallingForm, std::uint32_t command, const HelpData& data)
{
    const HtmlHelpState& state = object_.state;
    if (isBlank(state.HHWindow)) {
        callWithFileOnly(ownerOf(CallingForm), command, data);
        return;
    }
    // The window name goes as the host wrote it, blanks and all; the composed text is a
    // temporary, so CHMFile keeps its own characters.
    const std::u16string composed = textOrEmpty(state.CHMFile) + u">" + *state.HHWindow;
    callEngine(object_.port, {ownerOf(CallingForm), toPlatformText(object_.port, composed), command, data});
    windowOpened_ = object_.port.LastHelpWindow() != 0;
}

AkLink DisplayCommands::fillLink(const Text& keywords)
{
    HtmlHelpState& state = object_.state;
    AkLink link;
    link.fReserved = 0;
    link.pszKeywords = platformText(keywords);
    // The engine tells a missing default topic or message by a null pointer, not by an
    // empty text; the object keeps the null it handed over.
    for (Text* item : {&state.HHDefaultURL, &state.HHMsgText, &state.HHMsgTitle})
        if (isEmpty(*item)) *item = std::nullopt;
    link.pszUrl = platformText(state.HHDefaultURL);
    link.pszMsgText = platformText(state.HHMsgText);
    link.pszMsgTitle = platformText(state.HHMsgTitle);
    if (!isBlank(state.HHWindow)) link.pszWindow = platformText(state.HHWindow);
    link.fIndexOnFail = 0;
    return link;
}

void DisplayCommands::HHDisplayTopicURL(const std::int32_t* CallingForm)
{
    runCommand({u"HHDisplayTopicURL", textOrEmpty(object_.state.HHTopicURL), {}, {}}, [&] {
        if (!helpFileReady()) return;
        show(CallingForm, HH_DISPLAY_TOPIC_, platformText(object_.state.HHTopicURL));
    });
}

void DisplayCommands::HHDisplayTopicID(const std::int32_t* CallingForm)
{
    runCommand({u"HHDisplayTopicID", {}, object_.state.HHTopicID, {}}, [&] {
        if (!helpFileReady()) return;
        show(CallingForm, HH_HELP_CONTEXT_, static_cast<std::uint32_t>(object_.state.HHTopicID));
    });
}

void DisplayCommands::HHDisplaySearch(const std::int32_t* CallingForm)
{
    runCommand({u"HHDisplaySearch", {}, {}, {}}, [&] {
        if (!helpFileReady()) return;
        // An empty query, run at once; the window name travels in the file argument.
        FtsQuery query;
        query.fUniCodeStrings = 0;
        query.pszSearchQuery = toPlatformText(object_.port, std::u16string());
        query.iProximity = 0;
        query.fStemmedSearch = 0;
        query.fTitleOnly = 0;
        query.fExecute = 1;
        query.pszWindow = toPlatformText(object_.port, std::u16string());
        show(CallingForm, HH_DISPLAY_SEARCH_, query);
    });
}

void DisplayCommands::HHDisplayKeyword(const std::int32_t* CallingForm)
{
    runCommand({u"HHDisplayKeyword", {}, {}, textOrEmpty(object_.state.HHKeyword)}, [&] {
        if (!helpFileReady()) return;
        const std::uint32_t owner = ownerOf(CallingForm);
        // The lookup wants the help window open first; if that fails, the lookup still runs.
        try {
            callWithFileOnly(owner, HH_DISPLAY_TOPIC_, std::uint32_t{0});
        } catch (const std::exception&) {}
        callWithFileOnly(owner, HH_KEYWORD_LOOKUP_, fillLink(object_.state.HHKeyword));
    });
}

void DisplayCommands::HHDisplayIndex(const std::int32_t* CallingForm)
{
    runCommand({u"HHDisplayIndex", {}, {}, {}}, [&] {
        if (!helpFileReady()) return;
        show(CallingForm, HH_DISPLAY_INDEX_, std::uint32_t{0});
    });
}

void DisplayCommands::HHDisplayContents(const std::int32_t* CallingForm)
{
    runCommand({u"HHDisplayContents", {}, {}, {}}, [&] {
        if (!helpFileReady()) return;
        show(CallingForm, HH_DISPLAY_TOC_, std::uint32_t{0});
    });
}

void DisplayCommands::HHDisplayALink(const std::int32_t* CallingForm)
{
    runCommand({u"HHDisplayALink", {}, {}, {}}, [&] {
        if (!helpFileReady()) return;
        const AkLink link = fillLink(object_.state.HHALink);
        callWithFileOnly(ownerOf(CallingForm), HH_ALINK_LOOKUP_, link);
    });
}

void DisplayCommands::HHClose()
{
    // No checks and no owner: closing must work whatever state the object is in.
    try {
        callWithFileOnly(0, HH_CLOSE_ALL_, std::uint32_t{0});
    } catch (const AutomationError&) {
    } catch (const std::exception&) {}
}

std::u16string DisplayCommands::HHSetHelpFile(std::int16_t intSelHelpFile)
{
    switch (intSelHelpFile) {
    case 1: return object_.port.ModuleFolder() + u"\\Library.chm";
    case 2: return u"Library.txt";
    default: return {};
    }
}

}  // namespace morvel::htmlhelp
