#include "MessageBoxes.h"

namespace morvel::htmlhelp {

std::int32_t MessageBoxes::ShowInstallMessage(const std::u16string& text) { return show(text, MB_ICONHAND_); }
std::int32_t MessageBoxes::ShowUsageMessage(const std::u16string& text) { return show(text, MB_ICONHAND_); }
std::int32_t MessageBoxes::ShowRegisterMessage(const std::u16string& text) { return show(text, MB_ICONASTERISK_); }

std::int32_t MessageBoxes::show(const std::u16string& text, std::uint32_t style)
{
    MessageBoxRequest request;
    request.text = toPlatformText(port_, text);
    request.caption = MessageCaption;
    request.style = style;  // the single OK button is MB_OK, 0
    return port_.MessageBoxIndirect(request);
}

}  // namespace morvel::htmlhelp
