#pragma once
// The narrow platform interface of the WinHelp class: the five user32 entry points it
// calls, the exact ANSI conversion that picks WinHelpA or WinHelpW (portable/PlatformText.h
// states the rule), and the companion component's error report. The Win32 adapter makes the real calls and captures the thread's last-error
// code after each; the fake of the unit tests records them.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "portable/AutomationError.h"
#include "portable/PlatformText.h"

namespace morvel::winhelp {

// The data argument of one WinHelp call: a number, or a text whose NUL-terminated form the
// adapter passes by address for as long as the call lasts.
using WinHelpData = std::variant<std::int32_t, PlatformText>;

class WinHelpPort {
public:
    virtual ~WinHelpPort() = default;

    // WinHelpA(window, file, command, data), or WinHelpW when the texts are wide (the file
    // and a text argument always take one form); `file` nullopt is a null pointer. Returns
    // the platform's result: nonzero on success, 0 on failure.
    virtual std::int32_t WinHelp(std::uint32_t window, const std::optional<PlatformText>& file, std::uint32_t command,
                                 const WinHelpData& data) = 0;
    // The context help identifiers the platform keeps: 0 when none is set or the handle is
    // not valid. The setters return nonzero on success and 0 on failure.
    virtual std::uint32_t GetMenuContextHelpId(std::uint32_t menu) = 0;
    virtual std::uint32_t GetWindowContextHelpId(std::uint32_t window) = 0;
    virtual std::int32_t SetMenuContextHelpId(std::uint32_t menu, std::uint32_t id) = 0;
    virtual std::int32_t SetWindowContextHelpId(std::uint32_t window, std::uint32_t id) = 0;

    // The text in the system ANSI code page when the code page spells every character of it
    // exactly (no best fit, no default character); nullopt when it does not.
    virtual std::optional<std::string> ToAnsi(const std::u16string& text) = 0;

    // The last-error code captured after the most recent platform call.
    virtual std::uint32_t LastError() const = 0;

    // Hands an error caught inside `source` ("class.member") to the companion component's
    // error report, which shows it to the user together with the last-error code of the
    // most recent platform call. Throws the report's own failure.
    virtual void ReportError(const AutomationError& error, const std::u16string& source) = 0;
};

}  // namespace morvel::winhelp
