#include "framework/gui/XGButton.h"

namespace kova {

// The module's turn at start-up builds nothing: its class's dispatch table is constant
// data, complete before any code runs.

constinit const _DispatchTable XGButton::_Dispatch[] = {
    KOVADispatchEntry<&XGButton::DoWInternal>("wint"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(XGButton, XGDispatch, nullptr)

XGButton::XGButton(XGView* parent, const RECT& frame, std::int16_t viewID, const char* title)
    : XGControl(parent, frame, viewID)
{
    fTabStop = true;
    fButtonHWnd = CreateControl("BUTTON", title, BS_PUSHBUTTON);
}

XGButton::~XGButton() noexcept(false)
{
    DestroyControl(fButtonHWnd);
}

HWND XGButton::GetControlHWnd() const
{
    return fButtonHWnd;
}

void XGButton::PushButton()
{
    if (!IsEnabled() && !IsActive()) {
        return;
    }
    SendMessageA(fButtonHWnd, BM_CLICK, 0, 0);
}

std::int32_t XGButton::DoWInternal(std::int32_t, void* data)
{
    const MSG& message = *static_cast<const MSG*>(data);
    if (message.message != WM_COMMAND || HIWORD(message.wParam) != BN_CLICKED) {
        return kDispatchDeclined;
    }
    DoDispatch(KOVAMessageCode("cclk"), fViewID, nullptr, true);
    return 0;
}

} // namespace kova
