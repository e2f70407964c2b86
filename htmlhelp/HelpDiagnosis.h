#pragma once
// Why help did not appear: given a help file as a host sets CHMFile, and optionally the
// topic, context id or keyword it asked for, the diagnosis runs the library's own checks
// (name, lookup in the HTML Help file list, completion, existence, installation) on a
// scratch object over a quiet port, reads the file's structure through the compiled-help
// storage, and returns what it checked and found, in order, with a plain cause and remedy
// for each problem. It shows nothing and changes nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HtmlHelpPort.h"

namespace morvel::htmlhelp {

class HelpFileContents;
class HtmlHelpObject;
class QuietPort;

enum class Severity { Ok, Info, Warning, Error };

struct Finding {
    std::u16string check;  // a short name: "name", "lookup", "exists", "path", "storage", ...
    Severity severity = Severity::Ok;
    std::u16string checked;  // what was looked at
    std::u16string found;    // what was found there
    std::u16string cause;    // for a problem: why help does not appear
    std::u16string remedy;   // for a problem: what to do about it

    bool problem() const { return severity == Severity::Warning || severity == Severity::Error; }
};

struct DiagnosisRequest {
    std::u16string file;                    // as a host sets CHMFile
    std::optional<std::u16string> topic;    // HHTopicURL
    std::optional<std::int32_t> contextId;  // HHTopicID
    std::optional<std::u16string> keyword;  // HHKeyword: keywords separated by ";"
    bool checkEngine = true;
};

struct Diagnosis {
    std::vector<Finding> findings;
    std::u16string path;  // the file the checks settled on (completed), empty when none

    bool problem() const;
    // The first problem, else the first finding; null when there are none.
    const Finding* headline() const;
};

// One of the two controls the installation check knows, as it found it.
struct ControlState {
    std::u16string name;  // "HTML Help", "Browser"
    bool registered = false;
    std::u16string registeredPath;  // the registration's data
    bool present = false;           // the registered file is there
    std::u16string version;         // its version text
    std::u16string release;         // the release name users know, or "unknown"
    std::u16string message;         // what the check would have told the user, if anything
    struct Minimum {
        std::u16string release;  // the enumeration's name, "HH_1_3"
        std::u16string minimum;  // its version text
        bool met = false;
    };
    std::vector<Minimum> minimums;  // the common minimum releases
};

struct EngineState {
    bool loads = false;        // hhctrl.ocx loads from the system folder
    bool typeLibrary = false;  // HHInstalled
    ControlState htmlHelp;
    ControlState browser;

    bool problem() const;
};

class HelpDiagnosis {
public:
    explicit HelpDiagnosis(HtmlHelpPort& port) : port_(port) {}

    Diagnosis diagnose(const DiagnosisRequest& request);
    EngineState engine();

    // What a path's characters do to the viewer: '#', '%', characters the ANSI code page
    // cannot carry. Appends a finding for each problem.
    void checkPathCharacters(const std::u16string& path, std::vector<Finding>& findings);

    static const char16_t* severityName(Severity severity);

private:
    std::u16string checkLookup(const std::u16string& file, HtmlHelpObject& scratch, QuietPort& quiet,
                               std::vector<Finding>& findings);
    // The file's storage, then the page, id or keyword asked for, each in its own step.
    void checkContents(const std::u16string& path, const DiagnosisRequest& request, std::vector<Finding>& findings);
    void checkTopic(HelpFileContents& chm, const DiagnosisRequest& request, std::vector<Finding>& findings);
    void checkContextId(HelpFileContents& chm, std::int32_t contextId, std::vector<Finding>& findings);
    void checkKeyword(HelpFileContents& chm, const std::u16string& keyword, std::vector<Finding>& findings);
    void checkEngine(std::vector<Finding>& findings);

    HtmlHelpPort& port_;
};

}  // namespace morvel::htmlhelp
