#include "RegistryValueIndex.h"

#include <algorithm>
#include <utility>

namespace morvel::htmlhelp {

namespace {

// Names of printable ASCII only. For them two texts the platform's comparison calls equal
// have equal sort keys (measured under Wine for every text of one or two such characters
// in four locales; documented for Windows for any text). Ignorable characters, ligatures
// and the like are left to the comparison itself.
bool keyable(const std::u16string& name)
{
    return std::all_of(name.begin(), name.end(), [](char16_t c) { return c >= 0x20 && c <= 0x7E; });
}

}  // namespace

RegistryValueIndex::RegistryValueIndex(HtmlHelpPort& port, RegistryAccess& access, RegKey root, std::u16string keyPath)
    : port_(port), access_(access), root_(root), keyPath_(std::move(keyPath))
{}

void RegistryValueIndex::invalidate() noexcept
{
    kept_ = false;
    key_ = RegistryKey();
    values_.clear();
    bySortKey_.clear();
    unkeyed_.clear();
}

RegistryValueRecord RegistryValueIndex::GetRegistryValue(const std::u16string& NameToFind) noexcept
{
    RegistryValueRecord record;
    try {
        if (!stillCurrent() && !rebuild()) return record;
        if (const TextValue* match = find(NameToFind)) record = access_.recordFor(key_.get(), *match, NameToFind);
    } catch (...) {
        // As for the enumeration: a failure means "not there", and the index is not trusted again.
        kept_ = false;
        record = {};
    }
    // An index that may not be kept served this one lookup, as an enumeration would have.
    if (!kept_) invalidate();
    return record;
}

bool RegistryValueIndex::stillCurrent()
{
    if (!kept_) return false;
    std::uint32_t count = 0;
    std::uint64_t written = 0;
    // A key deleted since it was opened answers ERROR_KEY_DELETED: the path may name a new one.
    if (port_.RegQueryInfoKey(key_.get(), count, written) != ERROR_SUCCESS_) return false;
    return count == valueCount_ && written == lastWriteTime_;
}

// One enumeration, exactly the lookup's own. The key's state is taken before it, so a write
// during the enumeration shows as a change at the next lookup.
bool RegistryValueIndex::rebuild()
{
    invalidate();
    long status = ERROR_SUCCESS_;
    key_ = RegistryKey::open(port_, root_, keyPath_, KEY_QUERY_VALUE_, status);
    if (!key_) return false;

    const bool known = port_.RegQueryInfoKey(key_.get(), valueCount_, lastWriteTime_) == ERROR_SUCCESS_;
    const std::uint64_t now = port_.GetSystemTimeAsFileTime();
    EnumerationEnd end = EnumerationEnd::Failed;
    try {
        end = access_.forEachTextValue(key_.get(), [&](const TextValue& value) {
            values_.push_back(value);
            return true;
        });
    } catch (...) {
        // What was read so far answers as the enumeration would have up to that point.
    }

    for (std::uint32_t at = 0; at < values_.size(); ++at) {
        const std::u16string& name = values_[at].name;
        std::optional<std::string> sortKey;
        if (keyable(name)) sortKey = port_.LCMapString(name);
        if (sortKey)
            bySortKey_[*sortKey].push_back(at);
        else
            unkeyed_.push_back(at);
    }
    // An enumeration that failed, or gave up on a run of names too long to read, may have
    // stopped short for a passing reason: it answers this lookup, as it would have, and is
    // not kept.
    kept_ = known && end == EnumerationEnd::Finished && now > lastWriteTime_ && now - lastWriteTime_ >= SettleTicks;
    return true;
}

// The first text value, in enumeration order, whose name the platform calls equal.
const TextValue* RegistryValueIndex::find(const std::u16string& NameToFind)
{
    auto matches = [&](std::uint32_t at) { return port_.CompareNoCase(values_[at].name, NameToFind) == 0; };

    std::optional<std::string> sortKey;
    if (keyable(NameToFind)) sortKey = port_.LCMapString(NameToFind);
    if (!sortKey) {
        for (std::uint32_t at = 0; at < values_.size(); ++at)
            if (matches(at)) return &values_[at];
        return nullptr;
    }

    // The candidates are the names with the same sort key and the names without one,
    // taken in enumeration order: both lists are ascending.
    static const std::vector<std::uint32_t> none;
    const auto bucket = bySortKey_.find(*sortKey);
    const std::vector<std::uint32_t>& keyed = bucket == bySortKey_.end() ? none : bucket->second;
    auto k = keyed.begin();
    auto u = unkeyed_.begin();
    while (k != keyed.end() || u != unkeyed_.end()) {
        const bool takeKeyed = u == unkeyed_.end() || (k != keyed.end() && *k < *u);
        const std::uint32_t at = takeKeyed ? *k++ : *u++;
        if (matches(at)) return &values_[at];
    }
    return nullptr;
}

}  // namespace morvel::htmlhelp
