#include "HelpFileList.h"

#include "comkit/Handles.h"

namespace comtest::fileList {

namespace {
morvel::UniqueHKey open(REGSAM access, bool create = false)
{
    morvel::UniqueHKey key;
    if (create)
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, Key, 0, nullptr, 0, access, nullptr, key.put(), nullptr);
    else
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, Key, 0, access, key.put());
    return key;
}
}  // namespace

Values read()
{
    Values out;
    const morvel::UniqueHKey key = open(KEY_QUERY_VALUE);
    for (DWORD i = 0; key;) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, size = 0;
        if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> bytes(size);
        nameLength = 16384;
        if (RegEnumValueW(key.get(), i++, name, &nameLength, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS)
            break;
        bytes.resize(size);
        out[std::wstring(name, nameLength)] = {type, std::move(bytes)};
    }
    return out;
}

int restore(const Values& before)
{
    const Values now = read();
    if (now == before) return 0;
    const morvel::UniqueHKey key = open(KEY_SET_VALUE, true);
    if (!key) return -1;
    int changed = 0;
    for (const auto& [name, value] : now)
        if (!before.count(name)) {
            RegDeleteValueW(key.get(), name.c_str());
            ++changed;
        }
    for (const auto& [name, value] : before) {
        auto it = now.find(name);
        if (it != now.end() && it->second == value) continue;
        RegSetValueExW(key.get(), name.c_str(), 0, value.first, value.second.data(),
                       static_cast<DWORD>(value.second.size()));
        ++changed;
    }
    return changed;
}

std::wstring data(const std::wstring& name, REGSAM view)
{
    const morvel::UniqueHKey key = open(KEY_QUERY_VALUE | view);
    DWORD type = 0, size = 0;
    if (!key || RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return Missing;
    if (type != REG_SZ) return L"<type " + std::to_wstring(type) + L">";
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS)
        return Missing;
    text.resize(size / sizeof(wchar_t));
    return text;
}

bool write(const std::wstring& name, DWORD type, const void* bytes, DWORD size)
{
    const morvel::UniqueHKey key = open(KEY_SET_VALUE, true);
    return key &&
           RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(bytes), size) == ERROR_SUCCESS;
}

bool write(const std::wstring& name, const std::wstring& text, DWORD type)
{
    return write(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool remove(const std::wstring& name)
{
    const morvel::UniqueHKey key = open(KEY_SET_VALUE);
    return key && RegDeleteValueW(key.get(), name.c_str()) == ERROR_SUCCESS;
}

}  // namespace comtest::fileList
