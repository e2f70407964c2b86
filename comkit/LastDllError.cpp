#include "LastDllError.h"

#include <windows.h>

#include <cstdint>

#include "ThreadPrimitives.h"

namespace morvel {

namespace lastDllError {
namespace {
ThreadSlot t_lastError;  // the code itself, stored in the slot's pointer-sized value
}

void capture() noexcept { t_lastError.set(reinterpret_cast<void*>(static_cast<std::uintptr_t>(GetLastError()))); }
std::uint32_t value() noexcept
{
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(t_lastError.get()));
}

}  // namespace lastDllError

std::uint32_t LastErrorCapture::capture() noexcept
{
    lastDllError::capture();
    code_ = lastDllError::value();
    return code_;
}

}  // namespace morvel
