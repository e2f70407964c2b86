#pragma once
// The changes a registration makes below a classes root (the machine's or the user's
// Software\Classes), kept so that a failure part-way can put back exactly what was there
// before: values it added are deleted, values it overwrote get their old type and data back,
// keys it created are removed (deepest first). Keys and values that existed before are never
// deleted. A journal that is not committed undoes its changes when it goes, so a step that
// fails and one that throws (running out of memory) end the same way.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace morvel {

class RegistrationJournal {
public:
    // `root` is borrowed: it must stay open as long as the journal is used.
    explicit RegistrationJournal(HKEY root) noexcept : root_(root) {}
    ~RegistrationJournal() { rollBack(); }
    RegistrationJournal(const RegistrationJournal&) = delete;
    RegistrationJournal& operator=(const RegistrationJournal&) = delete;

    // Creates `subkey` (and any missing ancestor) and sets one text value in it. Whatever
    // it throws, every change it made is in the journal.
    HRESULT setValue(const std::wstring& subkey, const wchar_t* name, const std::wstring& value);
    // Keeps every change: the journal then undoes nothing.
    void commit() noexcept { changes_.clear(); }

private:
    struct Change {
        std::wstring key;
        bool createdKey = false;            // the change made `key`; otherwise it set a value
        std::wstring name;                  // the value's name ("" for the default value)
        std::optional<DWORD> previousType;  // none: the value did not exist
        std::vector<BYTE> previousData;
    };
    HRESULT createKey(const std::wstring& subkey);
    bool keyExists(const std::wstring& subkey) const;
    // Room for `more` changes, made before the registry is touched, so that recording a
    // change once it is made cannot fail.
    void reserve(std::size_t more);
    // Undoes every change in reverse order; what cannot be undone is left, the rest goes on.
    void rollBack() noexcept;

    HKEY root_;
    std::vector<Change> changes_;
};

}  // namespace morvel
