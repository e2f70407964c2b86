#include "FakeWinHelpPort.h"

#include "FakeAnsi.h"

namespace morvel::winhelp {

void FakeWinHelpPort::Called(const std::string& entry)
{
    calls.push_back(entry);
    const auto it = lastErrorAfter.find(entry);
    lastError_ = it == lastErrorAfter.end() ? 0 : it->second;
}

std::int32_t FakeWinHelpPort::WinHelp(std::uint32_t window, const std::optional<PlatformText>& file,
                                      std::uint32_t command, const WinHelpData& data)
{
    const bool wide = (file && file->isWide()) ||
                      (std::holds_alternative<PlatformText>(data) && std::get<PlatformText>(data).isWide());
    Called(wide ? "WinHelpW" : "WinHelpA");
    winHelpCalls.push_back({window, file, command, data});
    return winHelpResult;
}

namespace {

std::uint32_t IdOf(const std::map<std::uint32_t, std::uint32_t>& handles, std::uint32_t handle)
{
    const auto it = handles.find(handle);
    return it == handles.end() ? 0 : it->second;
}

std::int32_t SetIdOf(std::map<std::uint32_t, std::uint32_t>& handles, std::uint32_t handle, std::uint32_t id)
{
    const auto it = handles.find(handle);
    if (it == handles.end()) return 0;
    it->second = id;
    return 1;
}

}  // namespace

std::uint32_t FakeWinHelpPort::GetMenuContextHelpId(std::uint32_t menu)
{
    Called("GetMenuContextHelpId");
    return IdOf(menus, menu);
}

std::uint32_t FakeWinHelpPort::GetWindowContextHelpId(std::uint32_t window)
{
    Called("GetWindowContextHelpId");
    return IdOf(windows, window);
}

std::int32_t FakeWinHelpPort::SetMenuContextHelpId(std::uint32_t menu, std::uint32_t id)
{
    Called("SetMenuContextHelpId");
    return SetIdOf(menus, menu, id);
}

std::int32_t FakeWinHelpPort::SetWindowContextHelpId(std::uint32_t window, std::uint32_t id)
{
    Called("SetWindowContextHelpId");
    return SetIdOf(windows, window, id);
}

std::optional<std::string> FakeWinHelpPort::ToAnsi(const std::u16string& text)
{
    Called("ToAnsi");
    return fakeExactAnsi(text, FakeCodePage::Latin1);
}

void FakeWinHelpPort::ReportError(const AutomationError& error, const std::u16string& source)
{
    // The report makes no platform call of ours: the code it shows is the one left before.
    reports.push_back({error, source, lastError_});
    if (reportFailure) throw *reportFailure;
}

}  // namespace morvel::winhelp
