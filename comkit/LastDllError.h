#pragma once
// The last-error code of the library's most recent platform call on this thread, as the
// runtime keeps it for Err.LastDllError. The Win32 adapters capture it after every call
// through a LastErrorCapture; the error object handed to the companion component reads it.

#include <cstdint>

namespace morvel {

namespace lastDllError {

// Stores the thread's current GetLastError() value.
void capture() noexcept;
std::uint32_t value() noexcept;

}  // namespace lastDllError

// One platform port's record of the last-error code. Calling capture() right after each
// platform call keeps the code for the port's own LastError() and feeds Err.LastDllError
// with the same value, so the two never tell different stories.
class LastErrorCapture {
public:
    // Takes the thread's GetLastError() value and returns it.
    std::uint32_t capture() noexcept;
    // The code the most recent capture() took; 0 before the first.
    std::uint32_t value() const noexcept { return code_; }

private:
    std::uint32_t code_ = 0;
};

}  // namespace morvel
