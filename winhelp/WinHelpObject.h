#pragma once
// The portable core of one WinHelp object (clsKvHlpfHlpA): its FileName, the platform it
// runs on, WinHelpHlpf with its error report, and the four context-help members. AnyData
// stays with the COM class (see AnyData.h); WinHelpHlpf reads it through the interface.
// The object keeps a reference to its port, so it neither copies nor moves.

#include <cstdint>

#include "portable/Text.h"
#include "winhelp/AnyData.h"
#include "winhelp/WinHelpPort.h"

namespace morvel::winhelp {

class WinHelpObject {
public:
    explicit WinHelpObject(WinHelpPort& platform) : port(platform) {}
    WinHelpObject(const WinHelpObject&) = delete;
    WinHelpObject& operator=(const WinHelpObject&) = delete;

    // Runs one WinHelp command on FileName (the null text becomes a null pointer, the empty
    // text an empty string) with `command` unchanged and `data` decided as AnyData.h says.
    // Returns WinHelpA's result, whose 0 is no error of ours. An error of preparing or
    // making the call (data that does not convert, no memory) goes to the companion's
    // error report and the result is 0; an error of the report itself is thrown.
    std::int32_t WinHelpHlpf(std::uint32_t window, std::uint32_t command, const AnyData& data);

    // The platform's context help identifiers, unchanged: an identifier above 0x7FFFFFFF
    // comes back negative; 0 for none or for a handle that is not valid. The setters
    // return the platform's nonzero on success and 0 on failure.
    std::int32_t GetMenuContextHelpIdHlpf(std::uint32_t menu);
    std::int32_t GetWindowContextHelpIdHlpf(std::uint32_t window);
    std::int32_t SetMenuContextHelpIdHlpf(std::uint32_t menu, std::uint32_t id);
    std::int32_t SetWindowContextHelpIdHlpf(std::uint32_t window, std::uint32_t id);

    Text FileName;  // the null text until the host assigns one
    WinHelpPort& port;

private:
    std::int32_t runWinHelp(std::uint32_t window, std::uint32_t command, const AnyData& data);
};

}  // namespace morvel::winhelp
