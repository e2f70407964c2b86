#pragma once
// Small help without the help window: a text popup at the mouse pointer, its text from a
// file inside a compiled help file, from our own string resources or from the host; and
// What's-This mode for a host window. Neither has a handler of its own: a run-time failure
// ends the call with its status.

#include <cstdint>
#include <string>

#include "HtmlHelpState.h"

namespace morvel::htmlhelp {

class HtmlHelpObject;

// PopupType
inline constexpr std::int32_t HH_CHM_POPUP_ = 1;
inline constexpr std::int32_t HH_RESOURCE_POPUP_ = 2;
inline constexpr std::int32_t HH_TEXT_POPUP_ = 4;

inline constexpr std::uint32_t WM_SYSCOMMAND_ = 0x0112;
inline constexpr std::uint32_t SC_CONTEXTHELP_ = 0xF180;

class Popups {
public:
    explicit Popups(HtmlHelpObject& object) : object_(object) {}

    // Shows the popup HHPopupType asks for, owned by CallingForm; success also when
    // nothing was shown. Every popup that reaches the engine resets the appearance.
    void HHDisplayPopup(std::int32_t CallingForm);
    // Puts CallingForm into context-help mode.
    void HHInvokeWhatsThisHelp(std::int32_t CallingForm);

    // "face, size, ascii, " and the styles that are exactly True.
    static std::u16string fontString(const std::u16string& face, const std::u16string& size, Bool16 bold, Bool16 italic,
                                     Bool16 underline);

private:
    void resetAppearance();

    HtmlHelpObject& object_;
};

}  // namespace morvel::htmlhelp
