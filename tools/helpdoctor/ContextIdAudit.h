#pragma once
// The context ids an application uses, against a help file's map: which ids the map lacks,
// and which map entries point to a topic the file does not hold. The application's ids
// come as text, one "name=number" or "#define name number" a line (decimal or 0x hex),
// the forms help projects and C headers use.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "htmlhelp/HelpFileContents.h"
#include "htmlhelp/HtmlHelpPort.h"

namespace morvel::helpdoctor {

struct ContextId {
    std::string name;
    std::uint32_t id = 0;
    std::size_t line = 0;
};

struct ContextIdList {
    std::vector<ContextId> ids;
    std::vector<std::size_t> badLines;  // lines that are neither form (blank and comment lines are skipped)
};

struct AuditResult {
    bool opened = false;                   // the file opened as compiled help
    long status = 0;                       // the storage's code when it did not
    bool hasMap = false;
    std::size_t mapped = 0;                // entries of the file's map
    std::vector<ContextId> missing;        // the application's ids the map lacks
    bool tooLarge = false;                 // the file's map is past what a check may read
    htmlhelp::ContextMap map;
    std::vector<htmlhelp::ContextMap::Entry> broken;  // map entries whose topic is not in the file

    bool problem() const { return !opened || tooLarge || !hasMap || !missing.empty() || !broken.empty(); }
};

ContextIdList parseContextIds(const std::string& text);
AuditResult auditContextIds(htmlhelp::HtmlHelpPort& port, const std::u16string& file, const ContextIdList& ids);

}  // namespace morvel::helpdoctor
