#pragma once
// The class tells the user about problems itself, in one of three boxes that differ only
// in their icon. Each waits for the user and returns the button pressed (1 for OK).

#include <cstdint>
#include <string>

#include "HtmlHelpPort.h"

namespace morvel::htmlhelp {

inline constexpr char MessageCaption[] = "Corvane! Error";

class MessageBoxes {
public:
    explicit MessageBoxes(HtmlHelpPort& port) : port_(port) {}

    static constexpr std::uint32_t MB_ICONHAND_ = 16;      // stop sign
    static constexpr std::uint32_t MB_ICONASTERISK_ = 64;  // information

    // Missing or misplaced help and browser controls.
    std::int32_t ShowInstallMessage(const std::u16string& text);
    // Wrong use: a file of the wrong kind, a missing file, a registration that cannot be done.
    std::int32_t ShowUsageMessage(const std::u16string& text);
    // A registration or unregistration that is not needed.
    std::int32_t ShowRegisterMessage(const std::u16string& text);

private:
    std::int32_t show(const std::u16string& text, std::uint32_t style);

    HtmlHelpPort& port_;
};

}  // namespace morvel::htmlhelp
