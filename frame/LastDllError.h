#pragma once
// The last-error code of the library's most recent platform call on this thread, as the
// runtime keeps it for Err.LastDllError. The Win32 adapters capture it after every call;
// the error object handed to the companion component reads it.

#include <cstdint>

namespace morvel::lastDllError {

// Stores the thread's current GetLastError() value.
void capture() noexcept;
std::uint32_t value() noexcept;

}  // namespace morvel::lastDllError
