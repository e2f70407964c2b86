#pragma once
// The one conversion of the library's UTF-16 texts to the system ANSI code page, for the
// A entry points the Win32 adapters call. Windows only.

#include <string>

namespace morvel {

// The text in the ANSI code page; characters the code page lacks become what the
// platform's conversion makes of them (its default character). Only invalid arguments
// make the platform fail, and then the result is empty. Leaves the thread's last-error
// code as the platform's conversion left it, for the caller to capture.
std::string toAnsi(const std::u16string& text);

}  // namespace morvel
