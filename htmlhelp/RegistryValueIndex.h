#pragma once
// The values of one registry key, indexed for lookups by name, so that a key of thousands
// of values (the HTML Help file list) is searched in a handful of platform calls instead
// of one call per value. The answer is always the one RegistryAccess::GetRegistryValue
// gives for the key as it is now: the index is made by that same enumeration, a lookup
// decides with the same comparison, and before each lookup the key is asked whether its
// values have changed since (their count and the key's last write time). A key whose
// values were written too recently for that question to be safe is enumerated again.
//
// Platform change notifications are not used: under Wine a change made on another thread
// is signalled only after a later call of the watching thread, the deletion of the
// watched key is not signalled at all, and a wait for the event costs more than the
// question above.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "HtmlHelpPort.h"
#include "RegistryAccess.h"

namespace morvel::htmlhelp {

class RegistryValueIndex {
public:
    RegistryValueIndex(HtmlHelpPort& port, RegistryAccess& access, RegKey root, std::u16string keyPath);
    RegistryValueIndex(const RegistryValueIndex&) = delete;
    RegistryValueIndex& operator=(const RegistryValueIndex&) = delete;

    // What RegistryAccess::GetRegistryValue answers for this key and NameToFind. Never throws.
    RegistryValueRecord GetRegistryValue(const std::u16string& NameToFind) noexcept;
    // Drops the index; the next lookup enumerates the key again. For the class's own
    // writes, which the next lookup must see whatever the key's clock says.
    void invalidate() noexcept;
    // Whether an index is kept between lookups (it holds the key open while it is).
    bool kept() const noexcept { return kept_; }

    // A write in the same tick of the registry's clock as the one before it leaves the key's
    // last write time as it was. An index is kept only when the key had been still for
    // longer than any tick when the index was made; every later write then shows.
    static constexpr std::uint64_t SettleTicks = 10'000'000;  // one second, in 100 ns

private:
    bool stillCurrent();
    bool rebuild();
    const TextValue* find(const std::u16string& NameToFind);

    HtmlHelpPort& port_;
    RegistryAccess& access_;
    const RegKey root_;
    const std::u16string keyPath_;

    RegistryKey key_;
    bool kept_ = false;
    std::uint32_t valueCount_ = 0;
    std::uint64_t lastWriteTime_ = 0;
    std::vector<TextValue> values_;  // the text values, in enumeration order
    // Positions in values_ by sort key, for names of printable ASCII only: for those the
    // sort key is known to agree with the comparison. Every other name is in unkeyed_ and
    // is compared with every name looked up.
    std::unordered_map<std::string, std::vector<std::uint32_t>> bySortKey_;
    std::vector<std::uint32_t> unkeyed_;
};

}  // namespace morvel::htmlhelp
