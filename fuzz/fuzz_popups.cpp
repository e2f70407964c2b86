// Text popups with any appearance a host can set: the font text and the colour pair the
// engine gets, and the appearance reset after every popup shown.
#include <cstdlib>

#include "FuzzInput.h"
#include "htmlhelp/HtmlHelpObject.h"

using namespace morvel;
using namespace morvel::htmlhelp;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    FakePlatform fake;
    fuzz::addFiles(in, fake, 3);
    fake.resources[in.ConsumeIntegralInRange<std::int32_t>(0, 3)] = fuzz::text(in, 32);
    fuzz::tweakPlatform(in, fake);
    HtmlHelpObject object(fake);
    HtmlHelpState& s = object.state;
    s.HHPopupType = in.PickValueInArray<std::int32_t>({0, 1, 2, 4, 3, -1});
    s.CHMFile = fuzz::maybeNull(in, 32);
    s.HHPopupFile = fuzz::maybeNull(in, 16);
    s.HHPopupText = fuzz::maybeNull(in, 32);
    s.HHPopupID = in.ConsumeIntegralInRange<std::int32_t>(-1, 4);
    s.HHPopupTextColor = in.ConsumeIntegral<std::int32_t>();
    s.HHPopupBackColor = in.ConsumeIntegral<std::int32_t>();
    s.HHPopupCustomTextColor = in.ConsumeIntegral<std::int32_t>();
    s.HHPopupCustomBackColor = in.ConsumeIntegral<std::int32_t>();
    s.HHPopupCustomColors = in.PickValueInArray<Bool16>({True, False, 1, -2});
    s.HHPopupTextFont = fuzz::maybeNull(in, 24);
    s.HHPopupTextSize = fuzz::maybeNull(in, 6);
    s.HHPopupTextBold = in.ConsumeIntegral<Bool16>();
    s.HHPopupTextItalic = in.ConsumeIntegral<Bool16>();
    s.HHPopupTextUnderline = in.ConsumeIntegral<Bool16>();
    const HtmlHelpState before = s;

    try {
        object.popups.HHDisplayPopup(in.ConsumeIntegral<std::int32_t>());
    } catch (const AutomationError&) {
        // A missing resource or engine ends the call with its error.
    }
    if (fake.helpCalls.empty()) return 0;
    if (fake.helpCalls.size() != 1) std::abort();
    const Popup& popup = std::get<Popup>(fake.helpCalls[0].data);
    const bool custom = before.HHPopupCustomColors == True;
    if (popup.clrForeground != (custom ? before.HHPopupCustomTextColor : before.HHPopupTextColor) ||
        popup.clrBackground != (custom ? before.HHPopupCustomBackColor : before.HHPopupBackColor))
        std::abort();
    const std::u16string face = isEmpty(before.HHPopupTextFont) ? u"Arial" : *before.HHPopupTextFont;
    const std::u16string points = isEmpty(before.HHPopupTextSize) ? u"10" : *before.HHPopupTextSize;
    if (!popup.pszFont ||
        popup.pszFont->text() != Popups::fontString(face, points, before.HHPopupTextBold, before.HHPopupTextItalic,
                                                    before.HHPopupTextUnderline))
        std::abort();
    // One call, one form: every text of the record goes ANSI, or every one goes wide.
    if (popup.pszText && popup.pszText->isWide() != popup.pszFont->isWide()) std::abort();
    // Shown once, the appearance starts plain again.
    if (s.HHPopupTextFont != u"Arial" || s.HHPopupTextSize != u"10" || s.HHPopupTextBold != False ||
        s.HHPopupTextColor != 0 || s.HHPopupCustomBackColor != 0)
        std::abort();
    return 0;
}
