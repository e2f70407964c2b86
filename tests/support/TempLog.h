#pragma once
// A log file a test double writes beside a test (the recording engine, the companion
// stand-in), for as long as this lives: a fresh file in the temporary folder, named to the
// double through an environment variable of this process, which the double reads at every
// call and appends its lines to.

#include <string>
#include <vector>

namespace comtest {

class TempLog {
public:
    TempLog(const wchar_t* variable, const wchar_t* prefix);
    ~TempLog();
    TempLog(const TempLog&) = delete;
    TempLog& operator=(const TempLog&) = delete;

    // The lines written so far, each without its line break (\n or \r\n), in the bytes written.
    std::vector<std::string> lines() const;
    void clear();  // the next line starts the log afresh

private:
    std::wstring variable_;
    std::wstring file_;
};

}  // namespace comtest
