#pragma once
// Portable text types. Property texts are UTF-16 like the platform's BSTR; a null BSTR
// (no string at all) and an empty one are different values, which some commands rely on.

#include <optional>
#include <string>

namespace morvel {

using Text = std::optional<std::u16string>;  // std::nullopt is the null string

inline const std::u16string& textOrEmpty(const Text& t)
{
    static const std::u16string empty;
    return t ? *t : empty;
}

inline bool isEmpty(const Text& t) { return !t || t->empty(); }

}  // namespace morvel
