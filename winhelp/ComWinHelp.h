#pragma once
// clsKvHlpfHlpA as COM sees it: converts at the boundary, keeps AnyData as the host's
// variant, and hands every member to the portable core object.

#include "comkit/ComObject.h"
#include "library/Published.h"
#include "winhelp/ComAnyData.h"
#include "winhelp/Win32WinHelpPort.h"
#include "winhelp/WinHelpObject.h"

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
    Win32WinHelpPort port_;
    WinHelpObject object_{port_};
    ComAnyData anyData_;
};

}  // namespace morvel::winhelp
