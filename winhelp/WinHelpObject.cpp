#include "WinHelpObject.h"

#include <new>
#include <optional>

#include "portable/AutomationError.h"

namespace morvel::winhelp {

std::int32_t WinHelpObject::WinHelpHlpf(std::uint32_t window, std::uint32_t command, const AnyData& data)
{
    static constexpr char16_t source[] = u"czHlpfHLP.WinHelpHlpf";
    try {
        return runWinHelp(window, command, data);
    } catch (const AutomationError& error) {
        port.ReportError(error, source);
    } catch (const std::bad_alloc&) {
        port.ReportError(errors::outOfMemory(), source);
    }
    return 0;
}

std::int32_t WinHelpObject::runWinHelp(std::uint32_t window, std::uint32_t command, const AnyData& data)
{
    // The data first: when it does not convert, no platform call has been made and the
    // report shows the last-error code of the call before.
    const AnyDataValue decided = decideAnyData(data);
    std::optional<PlatformText> file = toPlatformText(port, FileName);
    WinHelpData argument = std::int32_t{0};
    if (const auto* text = std::get_if<std::u16string>(&decided))
        argument = toPlatformText(port, *text);
    else
        argument = std::get<std::int32_t>(decided);
    sameWidth({file ? &*file : nullptr, std::get_if<PlatformText>(&argument)});
    return port.WinHelp(window, file, command, argument);
}

std::int32_t WinHelpObject::GetMenuContextHelpIdHlpf(std::uint32_t menu)
{
    return static_cast<std::int32_t>(port.GetMenuContextHelpId(menu));
}

std::int32_t WinHelpObject::GetWindowContextHelpIdHlpf(std::uint32_t window)
{
    return static_cast<std::int32_t>(port.GetWindowContextHelpId(window));
}

std::int32_t WinHelpObject::SetMenuContextHelpIdHlpf(std::uint32_t menu, std::uint32_t id)
{
    return port.SetMenuContextHelpId(menu, id);
}

std::int32_t WinHelpObject::SetWindowContextHelpIdHlpf(std::uint32_t window, std::uint32_t id)
{
    return port.SetWindowContextHelpId(window, id);
}

}  // namespace morvel::winhelp
