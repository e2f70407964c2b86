#pragma once
// Reading the registry for the rest of the HTML Help class: one text value by root name,
// key path and value name; root names to predefined keys; whether a key of the local
// machine can be opened with full access. Nothing here writes to the registry.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "HtmlHelpPort.h"

namespace morvel::htmlhelp {

// What GetRegistryValue found. ValueLine is the stored name, "=", the data and a
// carriage return; dataOfLine takes the data back out.
struct RegistryValueRecord {
    std::u16string ValueName;  // as the caller spelled it, once a value matched
    std::u16string ValueLine;  // empty when nothing could be read
};

// Move-only owner of an opened key: the key is closed when the owner goes, or earlier
// through close() when the caller wants the platform's answer.
class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(HtmlHelpPort& port, RegKey key) : port_(&port), key_(key) {}
    RegistryKey(RegistryKey&& other) noexcept : port_(other.port_), key_(other.key_) { other.key_ = 0; }
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();

    // Opens path below root; an empty owner when the open fails (status tells why).
    static RegistryKey open(HtmlHelpPort& port, RegKey root, const std::u16string& path, std::uint32_t access,
                            long& status);
    static RegistryKey create(HtmlHelpPort& port, RegKey root, const std::u16string& path, std::uint32_t access,
                              long& status);

    RegKey get() const noexcept { return key_; }
    explicit operator bool() const noexcept { return key_ != 0; }
    long close();  // ERROR_SUCCESS_ when there was nothing to close

private:
    HtmlHelpPort* port_ = nullptr;
    RegKey key_ = 0;
};

// A text value as the enumeration meets it: its name as the registry keeps it, and the
// size of its data at the time.
struct TextValue {
    std::u16string name;
    std::uint32_t dataSize = 0;
};

// How an enumeration of a key's values ended: past the last value, because the visitor
// had what it wanted, by the long-name rule (MaxLongNamesInARow), or on a failure.
enum class EnumerationEnd { Finished, Stopped, GaveUp, Failed };

class RegistryAccess {
public:
    explicit RegistryAccess(HtmlHelpPort& port) : port_(port) {}

    // The enumeration's name buffer and the expansion's destination, in characters.
    static constexpr std::uint32_t NameBufferLength = 2048;
    static constexpr std::uint32_t ExpandBufferLength = 2048;
    // Names too long for the buffer that may come in a row before the enumeration is
    // taken to be stuck: the platform moves on to the next index after each, but the
    // search must end even when something answers ERROR_MORE_DATA for ever.
    static constexpr std::uint32_t MaxLongNamesInARow = 1024;

    // Never throws: every failure comes back as a record with an empty ValueLine.
    RegistryValueRecord GetRegistryValue(const std::u16string& RootName, const std::u16string& KeyPath,
                                         const std::u16string& NameToFind) noexcept;
    // Walks the REG_SZ and REG_EXPAND_SZ values of an opened key in enumeration order, by
    // the rules every lookup of a value by name follows; visit returns false to stop.
    EnumerationEnd forEachTextValue(RegKey key, const std::function<bool(const TextValue&)>& visit);
    // The record of a value the enumeration matched: the caller's spelling, and the stored
    // name, "=", the data (expanded for REG_EXPAND_SZ) and a carriage return. Without a
    // line when the data cannot be read back as text. Never throws.
    RegistryValueRecord recordFor(RegKey key, const TextValue& value, const std::u16string& NameToFind) noexcept;
    // 0 for a name that is none of HKCU, HKLM, HKU, HKDD, HKCC, HKCR (any letter case).
    RegKey GetRootKeyHandle(const std::u16string& RootName);
    // Whether key_name below HKEY_LOCAL_MACHINE opens with full access; indent is unused.
    bool GetKeyInfo(const std::u16string& key_name, std::int16_t indent);

    // The value's data inside a record's line: what follows the name and its "=", up to
    // the first NUL or, when the registry held none, up to the line's carriage return.
    static std::u16string dataOfLine(const RegistryValueRecord& record);
    // The data RegSetValueEx takes for a REG_SZ value holding `text`, in the form of its
    // call (ANSI bytes or UTF-16 little-endian), with the terminating NUL.
    static std::vector<std::uint8_t> textValueData(const PlatformText& text);
    // Text data as the wide read gives it: UTF-16 little-endian, all of it (NULs included);
    // an odd last byte, which no character can use, is dropped.
    static std::u16string textOfData(const std::vector<std::uint8_t>& data);

private:
    std::optional<std::u16string> expandedData(const std::u16string& stored);

    HtmlHelpPort& port_;
};

}  // namespace morvel::htmlhelp
