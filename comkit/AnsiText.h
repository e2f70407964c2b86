#pragma once
// The one test of whether a text may go to an A entry point: the Win32 adapters of both
// classes and the help doctor ask it, so they all draw the line between the ANSI and the
// wide form in the same place. Windows only.

#include <optional>
#include <string>

namespace morvel {

// The text's bytes in the ANSI code page when the code page spells every character of it
// exactly: no best fit, no default character, and the bytes read back as the very text.
// nullopt when it does not (the text must go to the wide entry point instead).
//
// Text that is all ASCII is its own bytes and makes no platform call, so the thread's
// last-error code stays as it was; any other text leaves it as the platform's conversions
// left it. Either way the caller captures it afterwards, as after any platform call.
std::optional<std::string> exactAnsi(const std::u16string& text);

}  // namespace morvel
