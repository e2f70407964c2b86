#include "RegistryAccess.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace morvel::htmlhelp {

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept
{
    if (this != &other) {
        close();
        port_ = other.port_;
        key_ = std::exchange(other.key_, 0);
    }
    return *this;
}

RegistryKey::~RegistryKey() { close(); }

RegistryKey RegistryKey::open(HtmlHelpPort& port, RegKey root, const std::u16string& path, std::uint32_t access,
                              long& status)
{
    RegKey opened = 0;
    status = port.RegOpenKeyEx(root, toPlatformText(port, path), access, opened);
    if (status != ERROR_SUCCESS_) return {};
    return {port, opened};
}

RegistryKey RegistryKey::create(HtmlHelpPort& port, RegKey root, const std::u16string& path, std::uint32_t access,
                                long& status)
{
    RegKey opened = 0;
    status = port.RegCreateKeyEx(root, toPlatformText(port, path), access, opened);
    if (status != ERROR_SUCCESS_) return {};
    return {port, opened};
}

long RegistryKey::close()
{
    if (key_ == 0 || port_ == nullptr) return ERROR_SUCCESS_;
    const RegKey key = std::exchange(key_, 0);
    try {
        return port_->RegCloseKey(key);
    } catch (...) {
        // A port that throws here must not take a destructor down with it.
        return ERROR_ACCESS_DENIED_;
    }
}

RegistryValueRecord RegistryAccess::GetRegistryValue(const std::u16string& RootName, const std::u16string& KeyPath,
                                                     const std::u16string& NameToFind) noexcept
{
    try {
        const RegKey root = GetRootKeyHandle(RootName);
        if (root == 0) return {};
        long status = ERROR_SUCCESS_;
        const RegistryKey key = RegistryKey::open(port_, root, KeyPath, KEY_QUERY_VALUE_, status);
        if (!key) return {};

        std::optional<TextValue> match;
        forEachTextValue(key.get(), [&](const TextValue& value) {
            if (port_.CompareNoCase(value.name, NameToFind) != 0) return true;
            match = value;
            return false;
        });
        if (match) return recordFor(key.get(), *match, NameToFind);
    } catch (...) {
        // Callers treat a record without a line as "not there"; that is all a failure can mean here.
    }
    return {};
}

EnumerationEnd RegistryAccess::forEachTextValue(RegKey key, const std::function<bool(const TextValue&)>& visit)
{
    std::uint32_t longNamesInARow = 0;
    for (std::uint32_t index = 0;; ++index) {
        TextValue value;
        std::uint32_t type = 0;
        const long status = port_.RegEnumValue(key, index, NameBufferLength, value.name, type, value.dataSize);
        // A name too long for the buffer cannot be the one asked for (nor be read back),
        // but the values after it still can.
        if (status == ERROR_MORE_DATA_) {
            if (++longNamesInARow >= MaxLongNamesInARow) return EnumerationEnd::GaveUp;
            continue;
        }
        longNamesInARow = 0;
        if (status == ERROR_NO_MORE_ITEMS_) return EnumerationEnd::Finished;
        if (status != ERROR_SUCCESS_) return EnumerationEnd::Failed;
        if (type != REG_SZ_ && type != REG_EXPAND_SZ_) continue;
        if (!visit(value)) return EnumerationEnd::Stopped;
    }
}

RegistryValueRecord RegistryAccess::recordFor(RegKey key, const TextValue& value,
                                              const std::u16string& NameToFind) noexcept
{
    RegistryValueRecord record;
    try {
        record.ValueName = NameToFind;
        std::vector<std::uint8_t> data(value.dataSize);
        std::uint32_t readType = 0;
        if (port_.RegQueryValueEx(key, value.name, readType, data) != ERROR_SUCCESS_) return record;
        if (readType != REG_SZ_ && readType != REG_EXPAND_SZ_) return record;  // changed under us
        std::u16string text = textOfData(data);
        if (readType == REG_EXPAND_SZ_) {
            auto expanded = expandedData(text);
            if (!expanded) return record;
            text = std::move(*expanded);
        }
        record.ValueLine = value.name + u'=' + text + u'\r';
    } catch (...) {
        // Matched but unreadable: the name stays, the line does not.
        record.ValueLine.clear();
    }
    return record;
}

// The expansion in a 2048-character buffer of blanks, the form callers have always seen;
// a longer expansion gets the buffer the platform asks for instead of being cut off.
std::optional<std::u16string> RegistryAccess::expandedData(const std::u16string& stored)
{
    const std::u16string source = stored.substr(0, stored.find(u'\0'));
    std::uint32_t capacity = ExpandBufferLength;
    std::u16string destination(capacity, u' ');
    std::uint32_t needed = port_.ExpandEnvironmentStrings(source, destination, capacity);
    // The environment may change between two calls; a few rounds settle it.
    for (int round = 0; needed > capacity && round < 4; ++round) {
        capacity = std::max(needed, capacity + 1);
        destination.assign(capacity, u' ');
        needed = port_.ExpandEnvironmentStrings(source, destination, capacity);
    }
    if (needed == 0 || needed > capacity) return std::nullopt;
    destination.resize(std::max<std::size_t>(needed, ExpandBufferLength), u' ');
    return destination;
}

RegKey RegistryAccess::GetRootKeyHandle(const std::u16string& RootName)
{
    static const std::pair<const char16_t*, RegKey> roots[] = {
        {u"HKCU", HKEY_CURRENT_USER_}, {u"HKLM", HKEY_LOCAL_MACHINE_},  {u"HKU", HKEY_USERS_},
        {u"HKDD", HKEY_DYN_DATA_},     {u"HKCC", HKEY_CURRENT_CONFIG_}, {u"HKCR", HKEY_CLASSES_ROOT_},
    };
    for (const auto& [name, handle] : roots)
        if (port_.CompareNoCase(RootName, name) == 0) return handle;
    return 0;
}

bool RegistryAccess::GetKeyInfo(const std::u16string& key_name, [[maybe_unused]] std::int16_t indent)
{
    long status = ERROR_SUCCESS_;
    RegistryKey key = RegistryKey::open(port_, HKEY_LOCAL_MACHINE_, key_name, KEY_ALL_ACCESS_, status);
    if (!key) return false;
    return key.close() == ERROR_SUCCESS_;
}

std::u16string RegistryAccess::dataOfLine(const RegistryValueRecord& record)
{
    const std::u16string& line = record.ValueLine;
    // The stored name matched the caller's, so the "=" after it normally sits right
    // after that many characters; that way a name holding "=" does not cut the data.
    std::size_t start = record.ValueName.size();
    if (start >= line.size() || line[start] != u'=') {
        start = line.find(u'=');
        if (start == std::u16string::npos) return {};
    }
    std::u16string data = line.substr(start + 1);
    if (!data.empty() && data.back() == u'\r') data.pop_back();
    const auto nul = data.find(u'\0');
    if (nul != std::u16string::npos) data.resize(nul);
    return data;
}

std::vector<std::uint8_t> RegistryAccess::textValueData(const PlatformText& text)
{
    std::vector<std::uint8_t> data;
    if (!text.isWide()) {
        data.assign(text.bytes().begin(), text.bytes().end());
        data.push_back(0);
        return data;
    }
    data.reserve(2 * (text.text().size() + 1));
    for (const char16_t c : text.text() + u'\0') {
        data.push_back(std::uint8_t(c & 0xFF));
        data.push_back(std::uint8_t(c >> 8));
    }
    return data;
}

std::u16string RegistryAccess::textOfData(const std::vector<std::uint8_t>& data)
{
    std::u16string text(data.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = char16_t(data[2 * i] | data[2 * i + 1] << 8);
    return text;
}

}  // namespace morvel::htmlhelp
