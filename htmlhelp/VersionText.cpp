#include "VersionText.h"

#include <algorithm>
#include <vector>

namespace morvel::htmlhelp {

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The groups without their leading zeros, so that length orders them before the digits do.
std::vector<std::u16string> groups(const std::u16string& text)
{
    std::vector<std::u16string> groups;
    std::size_t start = 0;
    for (;;) {
        const auto stop = text.find(u'.', start);
        std::u16string group = text.substr(start, stop == std::u16string::npos ? std::u16string::npos : stop - start);
        group.erase(0, std::min(group.find_first_not_of(u'0'), group.size()));
        groups.push_back(std::move(group));
        if (stop == std::u16string::npos) return groups;
        start = stop + 1;
    }
}

int compareGroup(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int order = a.compare(b);  // same length: digit order is number order
    return (order > 0) - (order < 0);
}

}  // namespace

bool VersionText::isWellFormed(const std::u16string& text)
{
    bool inGroup = false;
    for (const char16_t c : text) {
        if (isDigit(c)) {
            inGroup = true;
        } else if (c == u'.' && inGroup) {
            inGroup = false;
        } else {
            return false;
        }
    }
    return inGroup;  // also refuses the empty text and a trailing full stop
}

int VersionText::compare(const std::u16string& a, const std::u16string& b)
{
    const auto left = groups(a), right = groups(b);
    const std::u16string zero;
    for (std::size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        const int order = compareGroup(i < left.size() ? left[i] : zero, i < right.size() ? right[i] : zero);
        if (order != 0) return order;
    }
    return 0;
}

bool VersionText::meetsMinimum(const std::u16string& version, const std::u16string& minimum)
{
    if (!isWellFormed(version) || !isWellFormed(minimum)) return false;
    return compare(version, minimum) >= 0;
}

}  // namespace morvel::htmlhelp
