#include "Win32WinHelpPort.h"

#include <windows.h>

#include "frame/HandleValues.h"
#include "frame/LastDllError.h"
#include "frame/AnsiText.h"
#include "frame/basKvorCommonA.h"

namespace morvel::winhelp {
namespace {

// Handles arrive as the host's 32-bit numbers and widen by the platform's rule for
// handles shared between 32- and 64-bit code (see HandleValues.h).
template <class Handle>
Handle handleOf(std::uint32_t value) noexcept
{
    return handleFromLong<Handle>(value);
}

}  // namespace

std::int32_t Win32WinHelpPort::WinHelpA(std::uint32_t window, const std::optional<std::string>& file,
                                       std::uint32_t command, const WinHelpData& data)
{
    // A text argument is the address of the string's NUL-terminated bytes, which live in
    // `data` until the call has returned. A number is the host's 32-bit value in the
    // unsigned pointer-sized field, so it widens by zero extension, as any DWORD stored in
    // a ULONG_PTR does: context ids and the other numeric arguments are unsigned, and a
    // 32-bit caller's value reaches the engine with the same 32 bits either way.
    const ULONG_PTR argument = std::holds_alternative<std::string>(data)
                                   ? reinterpret_cast<ULONG_PTR>(std::get<std::string>(data).c_str())
                                   : static_cast<ULONG_PTR>(static_cast<std::uint32_t>(std::get<std::int32_t>(data)));
    const BOOL result = ::WinHelpA(handleOf<HWND>(window), file ? file->c_str() : nullptr, command, argument);
    lastError_.capture();
    return result;
}

std::uint32_t Win32WinHelpPort::GetMenuContextHelpId(std::uint32_t menu)
{
    const DWORD id = ::GetMenuContextHelpId(handleOf<HMENU>(menu));
    lastError_.capture();
    return id;
}

std::uint32_t Win32WinHelpPort::GetWindowContextHelpId(std::uint32_t window)
{
    const DWORD id = ::GetWindowContextHelpId(handleOf<HWND>(window));
    lastError_.capture();
    return id;
}

std::int32_t Win32WinHelpPort::SetMenuContextHelpId(std::uint32_t menu, std::uint32_t id)
{
    const BOOL done = ::SetMenuContextHelpId(handleOf<HMENU>(menu), id);
    lastError_.capture();
    return done;
}

std::int32_t Win32WinHelpPort::SetWindowContextHelpId(std::uint32_t window, std::uint32_t id)
{
    const BOOL done = ::SetWindowContextHelpId(handleOf<HWND>(window), id);
    lastError_.capture();
    return done;
}

std::string Win32WinHelpPort::ToAnsi(const std::u16string& text)
{
    std::string ansi = toAnsi(text);
    lastError_.capture();
    return ansi;
}

void Win32WinHelpPort::ReportError(const AutomationError& error, const std::u16string& source)
{
    basKvorCommonA::reportError(error, reinterpret_cast<const wchar_t*>(source.c_str()));
}

}  // namespace morvel::winhelp
