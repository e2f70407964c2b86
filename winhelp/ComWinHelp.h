#pragma once
// clsKvHlpfHlpA as COM sees it: FileName and AnyData as the host assigned them, the four
// context-help members and WinHelpHlpf, over the WinHelp port.

#include <memory>

#include "frame/ComObject.h"
#include "frame/Handles.h"
#include "frame/Published.h"
#include "frame/Text.h"
#include "winhelp/WinHelpCommands.h"
#include "winhelp/WinHelpPort.h"

namespace morvel::winhelp {

class ComWinHelp final : public ComObject<ComWinHelp, _clsKvHlpfHlpA> {
public:
    ComWinHelp();
    ~ComWinHelp() override;

    STDMETHODIMP get_FileName(BSTR* result) override;
    STDMETHODIMP put_FileName(BSTR rhs) override;
    STDMETHODIMP get_AnyData(VARIANT* result) override;
    STDMETHODIMP put_AnyData(VARIANT rhs) override;
    STDMETHODIMP GetMenuContextHelpIdHlpf(LONG* lMenuHandle, LONG* result) override;
    STDMETHODIMP GetWindowContextHelpIdHlpf(LONG* lWindowHandle, LONG* result) override;
    STDMETHODIMP SetMenuContextHelpIdHlpf(LONG* lMenuHandle, LONG* lslFlags, LONG* result) override;
    STDMETHODIMP SetWindowContextHelpIdHlpf(LONG* lWindowHandle, LONG* lslFlags, LONG* result) override;
    STDMETHODIMP WinHelpHlpf(LONG* lWindowHandle, WinHelpCmdHlpfConstants* lHelpCommand, LONG* result) override;

private:
    // AnyData as WinHelpHlpf hands it on; throws the coercion's run-time error.
    AnyDataValue decideAnyData() const;

    std::unique_ptr<WinHelpPort> port_;
    Text fileName_;  // the null text until the host assigns one
    Variant anyData_;
};

}  // namespace morvel::winhelp
