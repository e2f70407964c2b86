#pragma once
// The commands that show compiled help: a topic by path or by context id, the search,
// index and contents panes, the keyword and associative-link lookups; closing every help
// window; and the names of the library's default help files. Each display command checks
// the help file, then makes one call into the help engine. Problems we foresee end in a
// message box; everything else is passed over, and the host always hears success.

#include <cstdint>
#include <optional>
#include <string>

#include "../portable/Text.h"
#include "HtmlHelpPort.h"

namespace morvel::htmlhelp {

class HtmlHelpObject;

// The engine's command numbers.
inline constexpr std::uint32_t HH_DISPLAY_TOPIC_ = 0x0000;
inline constexpr std::uint32_t HH_DISPLAY_TOC_ = 0x0001;
inline constexpr std::uint32_t HH_DISPLAY_INDEX_ = 0x0002;
inline constexpr std::uint32_t HH_DISPLAY_SEARCH_ = 0x0003;
inline constexpr std::uint32_t HH_KEYWORD_LOOKUP_ = 0x000D;
inline constexpr std::uint32_t HH_DISPLAY_TEXT_POPUP_ = 0x000E;
inline constexpr std::uint32_t HH_HELP_CONTEXT_ = 0x000F;
inline constexpr std::uint32_t HH_CLOSE_ALL_ = 0x0012;
inline constexpr std::uint32_t HH_ALINK_LOOKUP_ = 0x0013;

// What every display command shows when it meets failure 91; it names HHDisplayContents
// whichever command ran, as it always has.
inline constexpr char16_t NoFormMessage[] =
    u"The HHDisplayContents method was called without a form being specified, while HHShowOnTop was set to True.";

class DisplayCommands {
public:
    explicit DisplayCommands(HtmlHelpObject& object) : object_(object) {}

    // CallingForm is the caller's window handle, or null when the caller gave none; it is
    // read only when HHShowOnTop is set, and then a null one is failure 91.
    void HHDisplayTopicURL(const std::int32_t* CallingForm);
    void HHDisplayTopicID(const std::int32_t* CallingForm);
    void HHDisplaySearch(const std::int32_t* CallingForm);
    void HHDisplayKeyword(const std::int32_t* CallingForm);
    void HHDisplayIndex(const std::int32_t* CallingForm);
    void HHDisplayContents(const std::int32_t* CallingForm);
    void HHDisplayALink(const std::int32_t* CallingForm);
    void HHClose();
    std::u16string HHSetHelpFile(std::int16_t intSelHelpFile);

    // One call into the help engine, its texts given one form first (HelpCall::sameWidth).
    // When the engine or its entry point cannot be reached, raises what a missing DLL
    // raises: 53 (file not found) or 453 (no entry point).
    static void callEngine(HtmlHelpPort& port, HelpCall call);

    // Empty or nothing but blanks.
    static bool isBlank(const Text& text);

private:
    enum class WindowIn { FileArgument, Record };

    // What the command asked the engine for, so that a failure can be diagnosed.
    struct Asked {
        const char16_t* member;
        std::optional<std::u16string> topic;
        std::optional<std::int32_t> contextId;
        std::optional<std::u16string> keyword;
    };

    // Runs a command's steps under its handler: 91 shows NoFormMessage, the rest ends
    // quietly. When no help window came of it, or the window will show none of the file's
    // pages, one line goes to the debugger.
    template <class Steps>
    void runCommand(Asked asked, Steps&& steps);
    // The debugger line, only when a debugger is attached to read it, and never throwing.
    // Without a window: the member, the file as the host set it and the first finding of
    // the diagnosis. With one: the member, the file and why the viewer refuses its pages
    // (its mark of the web, or a location the viewer's policy refuses), if it does.
    void tellDebugger(const Asked& asked, const std::u16string& fileAsSet);
    bool helpFileReady();
    std::uint32_t ownerOf(const std::int32_t* CallingForm);
    // The window-bearing display commands: one engine call.
    void show(const std::int32_t* CallingForm, std::uint32_t command, const HelpData& data);
    // The engine call with CHMFile alone as the file argument.
    void callWithFileOnly(std::uint32_t owner, std::uint32_t command, const HelpData& data);
    AkLink fillLink(const Text& keywords);
    std::optional<PlatformText> platformText(const Text& text);

    HtmlHelpObject& object_;
    bool windowOpened_ = false;  // the command's last engine call returned a window
};

}  // namespace morvel::htmlhelp
