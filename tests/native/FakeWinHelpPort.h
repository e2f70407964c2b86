#pragma once
// A recording WinHelp platform for the core's unit tests: the entry points called, in
// order, each WinHelp call as the platform would receive it, context help ids kept per
// menu and per window, and the companion's error reports with the last-error code each
// would show. Every entry point leaves the last-error code that `lastErrorAfter` names for
// it (0 when it names none), as the Win32 adapter captures one after every call. ToAnsi is
// the fakes' code page (FakeAnsi.h).
//
//   FakeWinHelpPort fake;
//   fake.windows[0x20] = 0;  // a valid window without a context help id

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "winhelp/WinHelpPort.h"

namespace morvel::winhelp {

class FakeWinHelpPort : public WinHelpPort {
public:
    // ---------------------------------------------------------------- the world
    std::int32_t winHelpResult = 1;
    // The valid handles and the context help id set on each; any other handle is not valid.
    std::map<std::uint32_t, std::uint32_t> menus, windows;
    std::map<std::string, std::uint32_t> lastErrorAfter;  // entry point -> code it leaves
    std::optional<AutomationError> reportFailure;         // the report itself fails with it

    // ---------------------------------------------------------------- recorded
    struct WinHelpCall {
        std::uint32_t window;
        std::optional<PlatformText> file;
        std::uint32_t command;
        WinHelpData data;
    };
    struct Report {
        AutomationError error;
        std::u16string source;
        std::uint32_t lastError;  // what the report's LastDllError would show
    };
    std::vector<std::string> calls;  // entry point names in call order
    std::vector<WinHelpCall> winHelpCalls;
    std::vector<Report> reports;

    // ---------------------------------------------------------------- the port
    std::int32_t WinHelp(std::uint32_t window, const std::optional<PlatformText>& file, std::uint32_t command,
                         const WinHelpData& data) override;
    std::uint32_t GetMenuContextHelpId(std::uint32_t menu) override;
    std::uint32_t GetWindowContextHelpId(std::uint32_t window) override;
    std::int32_t SetMenuContextHelpId(std::uint32_t menu, std::uint32_t id) override;
    std::int32_t SetWindowContextHelpId(std::uint32_t window, std::uint32_t id) override;
    std::optional<std::string> ToAnsi(const std::u16string& text) override;
    std::uint32_t LastError() const override { return lastError_; }
    void ReportError(const AutomationError& error, const std::u16string& source) override;

private:
    void Called(const std::string& entry);
    std::uint32_t lastError_ = 0;
};

}  // namespace morvel::winhelp
