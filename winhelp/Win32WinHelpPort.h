#pragma once
// The WinHelp class's platform port made of the real user32 calls, and the report through
// the companion component. Without <windows.h>, whose WinHelp macro would rename the member.

#include "comkit/LastDllError.h"
#include "winhelp/WinHelpPort.h"

namespace morvel::winhelp {

class Win32WinHelpPort final : public WinHelpPort {
public:
    std::int32_t WinHelp(std::uint32_t window, const std::optional<PlatformText>& file, std::uint32_t command,
                         const WinHelpData& data) override;
    std::uint32_t GetMenuContextHelpId(std::uint32_t menu) override;
    std::uint32_t GetWindowContextHelpId(std::uint32_t window) override;
    std::int32_t SetMenuContextHelpId(std::uint32_t menu, std::uint32_t id) override;
    std::int32_t SetWindowContextHelpId(std::uint32_t window, std::uint32_t id) override;
    std::optional<std::string> ToAnsi(const std::u16string& text) override;
    std::uint32_t LastError() const override { return lastError_.value(); }
    void ReportError(const AutomationError& error, const std::u16string& source) override;

private:
    LastErrorCapture lastError_;  // also feeds Err.LastDllError
};

}  // namespace morvel::winhelp
