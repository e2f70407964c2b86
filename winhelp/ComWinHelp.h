#pragma once
// clsKvHlpfHlpA as COM sees it.

#include "frame/Published.h"
#include "frame/ComObject.h"
#include "frame/Handles.h"

namespace morvel::winhelp {

class ComWinHelp final : public ComObject<ComWinHelp, _clsKvHlpfHlpA> {
public:
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
    Bstr fileName_;
    Variant anyData_;
};

}  // namespace morvel::winhelp
