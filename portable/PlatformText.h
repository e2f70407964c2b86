#pragma once
// A text on its way to a platform entry point that comes in an ANSI and a wide form.
//
// The rule, for every such call the library makes: a text the ANSI code page spells
// exactly (no best fit, no default character) goes to the ANSI entry point as those
// bytes, so hosts, hooks and recording engines see the very calls they always saw; any
// other text goes to the wide entry point as it is. No character is ever exchanged for
// another, so the file a host names is the file the library checks, shows and lists.
//
// Where one call takes several texts (a help-engine record, a registry value's name and
// data, WinHelp's file and key), all of them take the form the call takes: wide as soon as
// one of them needs it (sameWidth). Calls that hand text back (value names and data, found
// file names, long paths, expanded environment strings) are made through the wide entry
// point always, since an ANSI answer cannot say what it lost; those port functions take
// and give UTF-16 directly.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace morvel {

class PlatformText {
public:
    PlatformText() = default;

    // The text and its exact ANSI bytes: the call goes to the ANSI entry point.
    static PlatformText ansi(std::u16string text, std::string bytes)
    {
        PlatformText t;
        t.text_ = std::move(text);
        t.ansi_ = std::move(bytes);
        return t;
    }
    // A text the code page does not spell: the call goes to the wide entry point.
    static PlatformText wide(std::u16string text)
    {
        PlatformText t;
        t.text_ = std::move(text);
        return t;
    }

    bool isWide() const noexcept { return !ansi_; }
    // The ANSI bytes; empty for a wide text.
    const std::string& bytes() const noexcept { return ansi_ ? *ansi_ : noBytes; }
    // The text itself, whichever form the call takes.
    const std::u16string& text() const noexcept { return text_; }
    // Sends this text to the wide entry point too (its call takes a text that needs it).
    void widen() noexcept { ansi_.reset(); }

    friend bool operator==(const PlatformText&, const PlatformText&) = default;
    // Equal to ANSI bytes when the call goes to the ANSI entry point with exactly them.
    friend bool operator==(const PlatformText& t, std::string_view bytes) { return !t.isWide() && *t.ansi_ == bytes; }
    // Equal to a UTF-16 text when the call goes to the wide entry point with exactly it.
    friend bool operator==(const PlatformText& t, std::u16string_view text) { return t.isWide() && t.text_ == text; }

private:
    // At class scope rather than in a function: a function's static is guarded at run time,
    // and in the DLL that guard costs platform handles that outlive an unload.
    static inline const std::string noBytes;

    std::u16string text_;
    std::optional<std::string> ansi_;
};

// The form a text takes for one call. Port is any port with
// std::optional<std::string> ToAnsi(const std::u16string&): the exact conversion.
template <class Port>
PlatformText toPlatformText(Port& port, const std::u16string& text)
{
    if (std::optional<std::string> bytes = port.ToAnsi(text)) return PlatformText::ansi(text, std::move(*bytes));
    return PlatformText::wide(text);
}

template <class Port>
std::optional<PlatformText> toPlatformText(Port& port, const std::optional<std::u16string>& text)
{
    if (!text) return std::nullopt;  // a null string stays a null pointer
    return toPlatformText(port, *text);
}

// Gives the texts of one call one form: wide when any of them is. Null entries are skipped.
// Returns whether the call goes to the wide entry point.
inline bool sameWidth(std::initializer_list<PlatformText*> texts) noexcept
{
    bool wide = false;
    for (const PlatformText* t : texts)
        if (t && t->isWide()) wide = true;
    if (wide)
        for (PlatformText* t : texts)
            if (t) t->widen();
    return wide;
}

}  // namespace morvel
