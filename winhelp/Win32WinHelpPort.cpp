#include "Win32WinHelpPort.h"

#include <windows.h>

#include "comkit/HandleValues.h"
#include "comkit/LastDllError.h"
#include "comkit/AnsiText.h"
#include "library/basKvorCommonA.h"

// The port's member carries the entry point's own name; the A/W macro must not rename it.
#undef WinHelp

namespace morvel::winhelp {
namespace {

// Handles arrive as the host's 32-bit numbers and widen by the platform's rule for
// handles shared between 32- and 64-bit code (see HandleValues.h).
template <class Handle>
Handle handleOf(std::uint32_t value) noexcept
{
    return handleFromLong<Handle>(value);
}

const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

}  // namespace

std::int32_t Win32WinHelpPort::WinHelp(std::uint32_t window, const std::optional<PlatformText>& file,
                                       std::uint32_t command, const WinHelpData& data)
{
    // A text argument is the address of the string's NUL-terminated form, which lives in
    // `data` until the call has returned. A number is the host's 32-bit value in the
    // unsigned pointer-sized field, so it widens by zero extension, as any DWORD stored in
    // a ULONG_PTR does: context ids and the other numeric arguments are unsigned, and a
    // 32-bit caller's value reaches the engine with the same 32 bits either way.
    const PlatformText* text = std::get_if<PlatformText>(&data);
    const ULONG_PTR number = text ? 0 : static_cast<std::uint32_t>(std::get<std::int32_t>(data));
    // The core gives both texts one form; should one still be wide, both go wide as they are.
    const bool wideCall = (file && file->isWide()) || (text && text->isWide());
    BOOL result = FALSE;
    if (wideCall) {
        const ULONG_PTR argument = text ? reinterpret_cast<ULONG_PTR>(text->text().c_str()) : number;
        result = ::WinHelpW(handleOf<HWND>(window), file ? wide(file->text()) : nullptr, command, argument);
    } else {
        const ULONG_PTR argument = text ? reinterpret_cast<ULONG_PTR>(text->bytes().c_str()) : number;
        result = ::WinHelpA(handleOf<HWND>(window), file ? file->bytes().c_str() : nullptr, command, argument);
    }
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

std::optional<std::string> Win32WinHelpPort::ToAnsi(const std::u16string& text)
{
    std::optional<std::string> bytes = exactAnsi(text);
    lastError_.capture();
    return bytes;
}

void Win32WinHelpPort::ReportError(const AutomationError& error, const std::u16string& source)
{
    basKvorCommonA::reportError(error, reinterpret_cast<const wchar_t*>(source.c_str()));
}

}  // namespace morvel::winhelp
