#pragma once
// The recording engine's log, seen from a test: a fresh file for this process in
// MORVEL_HHLOG (the recorder reads it at every call), handed back a batch of calls at a time.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/hhrecorder/RecordFormat.h"
#include "tests/support/TempLog.h"

namespace enginetest {

class EngineLog : public comtest::TempLog {
public:
    EngineLog() : TempLog(L"MORVEL_HHLOG", L"hhl") {}
    // The calls recorded since the last take, one line each; the log starts afresh.
    std::vector<std::string> take()
    {
        std::vector<std::string> calls = lines();
        clear();
        return calls;
    }
};

// The sizes the engine of this build's width expects in the records' cbStruct.
inline constexpr bool win64 = sizeof(void*) == 8;
inline constexpr int ftsQueryBytes = win64 ? 40 : 32;
inline constexpr int akLinkBytes = win64 ? 56 : 32;
inline constexpr int popupBytes = win64 ? 72 : 52;

// One recorded call as the recorder writes it; `owner` is the handle as the engine sees it.
inline std::string call(std::uint64_t owner, const char* file, std::uint32_t command, const std::string& data)
{
    return "owner=" + hhrecord::handle(owner) + " file=" + hhrecord::quote(file) +
           " command=" + hhrecord::hex(command, 4) + " data=" + data;
}
inline std::string call(std::uint64_t owner, const std::string& file, std::uint32_t command, const std::string& data)
{
    return call(owner, file.c_str(), command, data);
}

}  // namespace enginetest
