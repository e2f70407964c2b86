#pragma once
// Comparing version texts such as "4.72.7290.00" with a minimum such as "4.72.7290".
// The groups between the full stops are numbers: "10.00.19041.01" is newer than
// "4.72.7290", and "4.71.1712.05" is the same release as "4.71.1712.5", though neither
// says so in text order.

#include <string>

namespace morvel::htmlhelp {

class VersionText {
public:
    // Whether version is at least minimum, group by group as unsigned numbers of any
    // length, a missing group counting as 0. A text that is not groups of digits
    // separated by single full stops (empty, "unknown", "4..72", " 4.72") meets nothing.
    static bool meetsMinimum(const std::u16string& version, const std::u16string& minimum);

    // Groups of ASCII digits separated by single full stops, and nothing else.
    static bool isWellFormed(const std::u16string& text);

    // <0, 0 or >0; both texts must be well formed.
    static int compare(const std::u16string& a, const std::u16string& b);
};

}  // namespace morvel::htmlhelp
