#include "LastDllError.h"

#include <windows.h>

namespace morvel {

namespace lastDllError {
namespace {
thread_local std::uint32_t t_lastError = 0;
}

void capture() noexcept { t_lastError = GetLastError(); }
std::uint32_t value() noexcept { return t_lastError; }

}  // namespace lastDllError

std::uint32_t LastErrorCapture::capture() noexcept
{
    lastDllError::capture();
    code_ = lastDllError::value();
    return code_;
}

}  // namespace morvel
