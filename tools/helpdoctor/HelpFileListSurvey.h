#pragma once
// The HTML Help file list entry by entry, with the state of each: whether its folder and
// file are there, whether the file is a compiled help file, and whether another entry
// names the same file. Stale entries (no folder, or the file gone) can be removed.

#include <string>
#include <vector>

#include "htmlhelp/HtmlHelpPort.h"

namespace morvel::helpdoctor {

struct ListEntry {
    std::u16string name;       // the value's name: the bare file name
    std::u16string folder;     // its data
    bool textValue = true;     // REG_SZ or REG_EXPAND_SZ
    bool chmName = true;       // the name ends in chm, as the library requires
    bool folderExists = false;
    bool fileExists = false;
    bool validHelpFile = false;
    std::u16string duplicateOf;  // an earlier entry naming the same file

    bool stale() const { return !textValue || folder.empty() || !fileExists; }
    bool problem() const { return stale() || !chmName || !validHelpFile || !duplicateOf.empty(); }
};

class HelpFileListSurvey {
public:
    explicit HelpFileListSurvey(htmlhelp::HtmlHelpPort& port) : port_(port) {}

    std::vector<ListEntry> survey();
    // Removes one entry; false when the list key cannot be written or the value stays.
    bool remove(const std::u16string& name);

private:
    htmlhelp::HtmlHelpPort& port_;
};

}  // namespace morvel::helpdoctor
