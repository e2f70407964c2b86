#pragma once
// Window, menu and registry handles travel through the published interface and the
// portable cores as 32-bit integers. On 64-bit Windows a handle is pointer-sized, but the
// platform guarantees that window, menu and kernel handles (registry keys included) keep
// only 32 significant bits, so that 32- and 64-bit processes can share them: a handle
// becomes a 32-bit value by truncation and comes back by sign extension. The predefined
// registry roots follow the same rule (HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002 on x64).
// Wine accepts zero-extended values too; Windows does not, so the rule is applied always.

#include <windows.h>

#include <cstdint>

namespace morvel {

template <class Handle>
Handle handleFromLong(std::uint32_t value) noexcept
{
    return reinterpret_cast<Handle>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

template <class Handle>
std::uint32_t longFromHandle(Handle handle) noexcept
{
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

}  // namespace morvel
