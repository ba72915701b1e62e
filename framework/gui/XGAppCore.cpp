#include "framework/gui/XGAppCore.h"

#include "framework/core/ErrorCode.h"
#include "framework/gui/XGWindow.h"

namespace kova {

constinit const _DispatchTable XGAppCore::_Dispatch[] = {
    KOVADispatchEntry<&XGAppCore::DoGetMenuStatus>("stat"),
    KOVADispatchEntry<&XGAppCore::DoMenuCommand>("menu"),
    KOVADispatchEntry<&XGAppCore::DoQuitApplication>("qapp"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(XGAppCore, XGDispatch, nullptr)

XGAppCore* XGAppCore::gApplication = nullptr;
MSG XGAppCore::gLastMessage;

XGAppCore::~XGAppCore() noexcept(false)
{
    if (gApplication == this) {
        gApplication = nullptr;
    }
}

std::int32_t XGAppCore::Run()
{
    fQuitFlag = false;
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        XGWindow::RouteKeyMessage(message);
        gLastMessage = message;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<std::int32_t>(message.wParam);
}

void XGAppCore::Quit()
{
    if (!fQuitFlag) {
        fQuitFlag = true;
        PostQuitMessage(0);
    }
}

void XGAppCore::SetModalWindow(XGWindow* window)
{
    fModalWindow = window;
}

void XGAppCore::DoCommandOne()
{
}

std::int32_t XGAppCore::DoGetMenuStatus(std::int32_t command, void* data)
{
    if (fModalWindow != nullptr) {
        return kDispatchDeclined;
    }
    // The answer goes to `data` only for the commands answered here: a status query for
    // any other command may carry no answer slot at all.
    bool enabled;
    switch (command) {
    case 1:
    case 3:
        enabled = true;
        break;
    case 2:
        enabled = XGWindow::GetFrontWindow() != nullptr;
        break;
    default:
        return kDispatchDeclined;
    }
    *static_cast<bool*>(data) = enabled;
    return 0;
}

std::int32_t XGAppCore::DoMenuCommand(std::int32_t command, void*)
{
    if (fModalWindow != nullptr) {
        return kDispatchDeclined;
    }
    switch (command) {
    case 1:
        DoCommandOne();
        return 0;
    case 2:
        if (XGWindow* front = XGWindow::GetFrontWindow()) {
            front->Close();
        }
        return 0;
    case 3:
        SendDispatch(KOVAMessageCode("qapp"), 0, nullptr);
        return 0;
    default:
        return kDispatchDeclined;
    }
}

std::int32_t XGAppCore::DoQuitApplication(std::int32_t, void*)
{
    // A window that closes leaves the list, so the head is a new window every time.
    while (XGWindow* window = XGWindow::GetList()) {
        if (!window->Close()) {
            return kDispatchDeclined;
        }
    }
    Quit();
    return 0;
}

// NOTE: the registration check reports itself under the module's name; it stands last so
// that the renumbering touches nothing else.
XGAppCore::XGAppCore()
{
#line 117 "XGAppCore"
    KOVAAssert(gApplication == NULL);
    gApplication = this;
}

} // namespace kova
