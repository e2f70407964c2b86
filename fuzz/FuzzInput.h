#pragma once
// Turning a fuzzer's bytes into the texts and worlds the core meets: mostly the
// characters paths, names and version texts are made of, so the fuzzer reaches the
// interesting branches soon, with any other character now and then.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "portable/AutomationError.h"
#include "portable/Text.h"

namespace morvel::fuzz {

using htmlhelp::FakePlatform;
using htmlhelp::RegKey;

inline char16_t pickChar(FuzzedDataProvider& in)
{
    static constexpr char16_t common[] = u"\\\\\\..:*?%aBcHmtx019 =";
    const std::uint8_t b = in.ConsumeIntegral<std::uint8_t>();
    if (b < 0xA0) return common[b % (sizeof(common) / sizeof(char16_t) - 1)];
    if (b < 0xF0) return char16_t(b);  // Latin-1 and the odd control character
    if (b < 0xF8) return u'\0';
    return char16_t(0x100 + in.ConsumeIntegral<std::uint16_t>() % 0xFF00);  // beyond ANSI
}

inline std::u16string text(FuzzedDataProvider& in, std::size_t maxLength = 64)
{
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, maxLength);
    std::u16string t;
    for (std::size_t i = 0; i < length && in.remaining_bytes() > 0; ++i) t += pickChar(in);
    return t;
}

// A null text now and then, as a host may pass one.
inline Text maybeNull(FuzzedDataProvider& in, std::size_t maxLength = 64)
{
    if (in.ConsumeIntegralInRange<int>(0, 15) == 0) return std::nullopt;
    return text(in, maxLength);
}

// A name as the fake takes it (UTF-8), characters beyond any ANSI code page included.
inline std::string ansi(const std::u16string& t) { return utf8(t); }

inline RegKey pickRoot(FuzzedDataProvider& in)
{
    static constexpr RegKey roots[] = {htmlhelp::HKEY_LOCAL_MACHINE_, htmlhelp::HKEY_CURRENT_USER_,
                                       htmlhelp::HKEY_CLASSES_ROOT_, htmlhelp::HKEY_USERS_};
    return roots[in.ConsumeIntegralInRange<int>(0, 3)];
}

// A value of any type and data, text types usually with their NUL.
inline void addValue(FuzzedDataProvider& in, FakePlatform& fake, RegKey root, const std::string& key,
                     const std::string& name)
{
    const std::uint32_t type = in.ConsumeBool() ? htmlhelp::REG_SZ_
                                                : in.PickValueInArray<std::uint32_t>({2, 3, 4, 7, 0, 1});
    // Text data as the registry keeps it, UTF-16 little-endian; now and then an odd byte.
    std::u16string data = text(in);
    if (in.ConsumeIntegralInRange<int>(0, 3) != 0) data += u'\0';
    std::vector<std::uint8_t> bytes;
    for (char16_t c : data) {
        bytes.push_back(std::uint8_t(c & 0xFF));
        bytes.push_back(std::uint8_t(c >> 8));
    }
    if (in.ConsumeIntegralInRange<int>(0, 15) == 0) bytes.push_back(0x5C);
    fake.SetValue(root, key, name, type, std::move(bytes));
}

// Files and folders the core may look for, some of them with short aliases.
inline void addFiles(FuzzedDataProvider& in, FakePlatform& fake, int most)
{
    const int count = in.ConsumeIntegralInRange<int>(0, most);
    for (int i = 0; i < count; ++i) {
        const std::string path = ansi(text(in, 48));
        if (path.empty()) continue;
        const std::string alias = in.ConsumeBool() ? ansi(text(in, 12)) : std::string();
        if (alias.find('\\') != std::string::npos) continue;
        if (in.ConsumeBool())
            fake.AddFolder(path, alias);
        else
            fake.AddFile(path, alias);
    }
}

// The platform's answers that are not data: failing entry points and the folders.
inline void tweakPlatform(FuzzedDataProvider& in, FakePlatform& fake)
{
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0) fake.currentFolder = text(in, 24);
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0) fake.moduleFolder = text(in, 24);
    fake.wildcards = in.ConsumeIntegralInRange<int>(0, 7) != 0;
    static const char* const entries[] = {"RegOpenKeyEx",       "RegEnumValue",  "RegQueryValueEx",
                                          "RegCreateKeyEx",     "RegSetValueEx", "RegDeleteValue",
                                          "GetLongPathName",    "FindFirstFile", "ExpandEnvironmentStrings",
                                          "GetFileVersionInfo", "HtmlHelp"};
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0)
        fake.failWith[entries[in.ConsumeIntegralInRange<std::size_t>(0, std::size(entries) - 1)]] =
            in.PickValueInArray<long>({2, 5, 8, 234, 259});
}

}  // namespace morvel::fuzz
