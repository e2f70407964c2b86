#pragma once
// The help doctor's commands, apart from the console: check a help file as a host would
// set it, survey and prune the HTML Help file list, audit a file's map against the
// application's context ids, report the engine's installation, take the mark of the web
// off a help file. Each returns its text
// (human-readable or JSON, UTF-8) and the exit status: 0 nothing wrong, 1 something is,
// 2 bad usage.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "htmlhelp/HtmlHelpPort.h"
#include "portable/Utf8.h"

namespace morvel::helpdoctor {

struct ToolResult {
    std::string out;  // UTF-8
    std::string err;  // UTF-8: the usage text on bad usage
    int status = 0;
};

// Reads a text file whole (for audit's id list); nullopt when it cannot.
using ReadText = std::function<std::optional<std::string>(const std::u16string& path)>;

// Writes a file whole, replacing it (for list's --backup); false when it cannot.
using WriteText = std::function<bool(const std::u16string& path, const std::string& bytes)>;

// Removes a file or a file's stream (for unblock); false when it cannot.
using RemoveFile = std::function<bool(const std::u16string& path)>;

// Shows `question` (UTF-8) to the person at the console and waits for the answer: true only
// for a yes. Nobody there to answer is a no.
using Confirm = std::function<bool(const std::string& question)>;

// What the commands reach beyond the port; a command whose part is missing changes nothing.
struct ToolHost {
    ReadText readText;      // audit's id list
    WriteText writeText;    // list's --backup
    RemoveFile removeFile;  // unblock
    Confirm confirm;        // unblock without --yes
};

ToolResult runHelpDoctor(htmlhelp::HtmlHelpPort& port, const std::vector<std::u16string>& args, const ToolHost& host);

extern const char UsageText[];

}  // namespace morvel::helpdoctor
