#pragma once
// A port that lends the library's own checks to the help doctor without a word to the
// user: every call goes to the real port, except that a message box is recorded instead of
// shown (and answered OK), the help engine is never called, and no debugger line is
// written. The doctor runs the checks on a scratch object over this port and reads what
// they would have told the user from messages().

#include <vector>

#include "ForwardingPort.h"

namespace morvel::htmlhelp {

class QuietPort final : public ForwardingPort {
public:
    explicit QuietPort(HtmlHelpPort& inner) : ForwardingPort(inner) {}

    const std::vector<MessageBoxRequest>& messages() const { return messages_; }
    void clearMessages() { messages_.clear(); }

    std::int32_t MessageBoxIndirect(const MessageBoxRequest& request) override
    {
        messages_.push_back(request);
        return 1;  // IDOK, as if the user had read it
    }
    void DefWindowProc(std::uint32_t, std::uint32_t, std::uint32_t, std::int32_t) override {}
    bool HtmlHelp(const HelpCall&) override { return false; }
    std::uint64_t LastHelpWindow() const override { return 0; }
    void OutputDebugString(const std::u16string&) override {}

private:
    std::vector<MessageBoxRequest> messages_;
};

}  // namespace morvel::htmlhelp
