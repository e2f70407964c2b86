#pragma once
// The context ids an application uses, against a help file's map: which ids the map lacks,
// and which map entries point to a topic the file does not hold. The application's ids
// come as the text its developers already keep them in:
//   - C and C++ headers: "#define name value" (a Visual Studio resource.h included, whose
//     _APS_ symbols are not ids) and enum members, values as C reads them;
//   - VB and VBA modules: "[Public|Private|Global] Const name [As Long] = value" and Enum
//     members, values as VB reads them;
//   - "name=number" lists, as a help project's [MAP] section holds them.
// A negative value stands for its 32-bit two's complement, the id the engine receives.
// What the parser does not understand becomes a note with the line and the reason; the
// rest of the text is still read.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "htmlhelp/HelpFileContents.h"
#include "htmlhelp/HtmlHelpPort.h"

namespace morvel::helpdoctor {

struct ContextId {
    std::string name;
    std::uint32_t id = 0;
    std::size_t line = 0;
};

struct ContextIdNote {
    std::size_t line = 0;
    std::string text;  // why the line gave no id, in plain ASCII
};

struct ContextIdList {
    // Bounds on what hostile text can make the parser keep: past MaxIds the rest of the text
    // is not read, past MaxNotes one last note says that more were left out.
    static constexpr std::size_t MaxIds = std::size_t(1) << 20;
    static constexpr std::size_t MaxNotes = 1000;

    std::vector<ContextId> ids;
    std::vector<ContextIdNote> notes;  // blank lines, comments and the header's other directives make none
};

struct AuditResult {
    bool opened = false;  // the file opened as compiled help
    long status = 0;      // the storage's code when it did not
    bool hasMap = false;
    std::size_t mapped = 0;          // entries of the file's map
    std::vector<ContextId> missing;  // the application's ids the map lacks
    bool tooLarge = false;           // the file's map is past what a check may read
    htmlhelp::ContextMap map;
    std::vector<htmlhelp::ContextMap::Entry> broken;  // map entries whose topic is not in the file

    bool problem() const { return !opened || tooLarge || !hasMap || !missing.empty() || !broken.empty(); }
};

ContextIdList parseContextIds(std::string_view text);
// A number as a "name=number" line writes it: decimal or 0x hex, an optional minus.
std::optional<std::uint32_t> parseContextIdNumber(std::string_view text);
AuditResult auditContextIds(htmlhelp::HtmlHelpPort& port, const std::u16string& file, const ContextIdList& ids);

}  // namespace morvel::helpdoctor
