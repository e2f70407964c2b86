#include "RegistrationJournal.h"

#include "Handles.h"

namespace morvel {

bool RegistrationJournal::keyExists(const std::wstring& subkey) const
{
    UniqueHKey key;
    return RegOpenKeyExW(root_, subkey.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void RegistrationJournal::reserve(std::size_t more)
{
    if (changes_.capacity() - changes_.size() < more) changes_.reserve(2 * changes_.size() + more);
}

HRESULT RegistrationJournal::createKey(const std::wstring& subkey)
{
    // Every level that is missing now is ours once the key exists, shallowest first, so
    // that the reverse order of the journal removes the deepest first.
    std::vector<Change> missing;
    for (std::size_t end = subkey.find(L'\\');; end = subkey.find(L'\\', end + 1)) {
        std::wstring level = subkey.substr(0, end);
        if (!keyExists(level)) missing.push_back({std::move(level), true, {}, std::nullopt, {}});
        if (end == std::wstring::npos) break;
    }
    reserve(missing.size());
    UniqueHKey key;
    const LONG status = RegCreateKeyExW(root_, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                        nullptr, key.put(), nullptr);
    // A failed create may still have made some of the levels above it.
    for (Change& level : missing)
        if (status == ERROR_SUCCESS || keyExists(level.key)) changes_.push_back(std::move(level));
    return HRESULT_FROM_WIN32(status);
}

HRESULT RegistrationJournal::setValue(const std::wstring& subkey, const wchar_t* name, const std::wstring& value)
{
    if (HRESULT hr = createKey(subkey); FAILED(hr)) return hr;
    UniqueHKey key;
    LONG status = RegOpenKeyExW(root_, subkey.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.put());
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);

    Change change{subkey, false, name ? name : L"", std::nullopt, {}};
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        change.previousData.resize(size);
        status = RegQueryValueExW(key.get(), name, nullptr, &type, change.previousData.data(), &size);
        if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);  // nothing written yet
        change.previousData.resize(size);
        change.previousType = type;
    }
    reserve(1);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    changes_.push_back(std::move(change));
    return S_OK;
}

void RegistrationJournal::rollBack() noexcept
{
    for (auto change = changes_.rbegin(); change != changes_.rend(); ++change) {
        if (change->createdKey) {
            RegDeleteTreeW(root_, change->key.c_str());
            RegDeleteKeyW(root_, change->key.c_str());
            continue;
        }
        UniqueHKey key;
        if (RegOpenKeyExW(root_, change->key.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) continue;
        const wchar_t* name = change->name.empty() ? nullptr : change->name.c_str();
        if (change->previousType)
            RegSetValueExW(key.get(), name, 0, *change->previousType, change->previousData.data(),
                           static_cast<DWORD>(change->previousData.size()));
        else
            RegDeleteValueW(key.get(), name);
    }
    changes_.clear();
}

}  // namespace morvel
