#pragma once
// Portable text types. Property texts are UTF-16 like the platform's BSTR; a null BSTR
// (no string at all) and an empty one are different values, which some commands rely on.

#include <optional>
#include <string>

namespace morvel {

using Text = std::optional<std::u16string>;  // std::nullopt is the null string

// At namespace scope rather than inside textOrEmpty: a function's static is guarded at run
// time, and in the DLL that guard costs platform handles that outlive an unload.
inline const std::u16string emptyText;

inline const std::u16string& textOrEmpty(const Text& t) { return t ? *t : emptyText; }

inline bool isEmpty(const Text& t) { return !t || t->empty(); }

// A number in decimal digits, for messages.
inline std::u16string decimal(long long value)
{
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

}  // namespace morvel
