#pragma once
// The HTML Help file list entry by entry, with the state of each: whether its folder and
// file are there, whether the file is a compiled help file, and whether another entry
// names the same file. A 64-bit machine keeps one list in each registry view; both are
// surveyed. An entry is stale only when it certainly names nothing: no text, no folder, or
// a folder or file that a local fixed drive says is not there. Whatever cannot be told
// from here (a network, removable or missing drive, access denied, a path too long, a
// relative folder) makes it unreachable, and it is kept.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "htmlhelp/HtmlHelpPort.h"

namespace morvel::helpdoctor {

// Which list: a machine with one registry view has one (32-bit) list, read without a
// view flag; a 64-bit machine has one in each view.
enum class ListView { Only, Bits64, Bits32 };

struct ListEntry {
    ListView view = ListView::Only;
    std::u16string name;     // the value's name: the bare file name
    std::uint32_t type = 0;  // the value as stored, for putting it back
    std::vector<std::uint8_t> data;
    std::u16string folder;  // its data as the library reads it (expanded)
    bool textValue = true;  // REG_SZ or REG_EXPAND_SZ
    bool chmName = true;    // the name ends in chm, as the library requires
    bool folderExists = false;
    bool fileExists = false;
    bool validHelpFile = false;
    std::string unreachable;     // why absence cannot be told from here; empty when it can
    std::u16string duplicateOf;  // an earlier entry of the same list naming the same file

    bool stale() const { return unreachable.empty() && (!textValue || folder.empty() || !fileExists); }
    bool problem() const { return stale() || !chmName || !validHelpFile || !duplicateOf.empty(); }
};

enum class Removal { Removed, Kept, Failed };

class HelpFileListSurvey {
public:
    explicit HelpFileListSurvey(htmlhelp::HtmlHelpPort& port) : port_(port) {}

    // The lists this machine keeps, 64-bit view first.
    std::vector<ListView> views();
    std::vector<ListEntry> survey();
    // The entry as it is now, read again and checked as survey() checks it (without the
    // help file's contents and duplicates); nullopt when the value is gone.
    std::optional<ListEntry> recheck(ListView view, const std::u16string& name);
    // Removes a surveyed entry when, checked right before, it is still stale and still
    // holds the data it had (what a backup of it restores). Kept: it changed, is gone, or
    // no longer stale (`now` says how it is); Failed: the list cannot be written.
    Removal removeIfStale(const ListEntry& surveyed, std::optional<ListEntry>& now);

    // The flag that opens the list of a view.
    static std::uint32_t viewFlag(ListView view);

private:
    // The entries of one view's list (only the one named, when `only` is given), read and
    // checked for their folder and file.
    std::vector<ListEntry> entriesOf(ListView view, const std::u16string* only);
    void checkPlace(ListEntry& entry);

    htmlhelp::HtmlHelpPort& port_;
};

}  // namespace morvel::helpdoctor
