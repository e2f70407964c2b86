#pragma once
// The changes a registration makes below a classes root (HKEY_CLASSES_ROOT, or the user's
// HKEY_CURRENT_USER\Software\Classes), kept so that a failure part-way
// can put back exactly what was there before: values it added are deleted, values it
// overwrote get their old type and data back, keys it created are removed (deepest first).
// Keys and values that existed before are never deleted.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace morvel {

class RegistrationJournal {
public:
    // `root` is borrowed: it must stay open as long as the journal is used.
    explicit RegistrationJournal(HKEY root) noexcept : root_(root) {}
    RegistrationJournal(const RegistrationJournal&) = delete;
    RegistrationJournal& operator=(const RegistrationJournal&) = delete;

    // Creates `subkey` (and any missing ancestor) and sets one text value in it.
    HRESULT setValue(const std::wstring& subkey, const wchar_t* name, const std::wstring& value);
    // Undoes every change in reverse order; what cannot be undone is left, the rest goes on.
    void rollBack() noexcept;

private:
    struct Change {
        std::wstring key;
        bool createdKey = false;           // the change made `key`; otherwise it set a value
        std::wstring name;                 // the value's name ("" for the default value)
        std::optional<DWORD> previousType; // none: the value did not exist
        std::vector<BYTE> previousData;
    };
    HRESULT createKey(const std::wstring& subkey);
    bool keyExists(const std::wstring& subkey) const;

    HKEY root_;
    std::vector<Change> changes_;
};

}  // namespace morvel
