#include "framework/gui/XGControl.h"

#include "framework/gui/AppMain.h"

namespace kova {

XGControl* XGControl::GetXGControl(HWND control)
{
    return static_cast<XGControl*>(GetPropA(control, _GControlClass));
}

XGControl::XGControl(XGView* parent, const RECT& frame, std::int16_t viewID)
    : XGView(parent, frame, viewID)
{
}

void XGControl::GetTitle(char* buffer)
{
    buffer[0] = '\0';
    if (const HWND control = GetControlHWnd()) {
        GetWindowTextA(control, buffer, kTitleSize);
    }
}

HWND XGControl::CreateControl(const char* className, const char* title, DWORD style)
{
    const HWND host = GetHostHWnd();
    if (host == NULL) {
        return NULL;
    }
    style |= WS_CHILD | (IsVisible() ? WS_VISIBLE : 0) | (IsEnabled() ? 0 : WS_DISABLED);
    // The control's ID is the view ID, as its 16 bits.
    const HWND control = CreateWindowExA(
        0, className, title, style, fGlobalRect.left, fGlobalRect.top,
        fGlobalRect.right - fGlobalRect.left, fGlobalRect.bottom - fGlobalRect.top, host,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(static_cast<std::uint16_t>(fViewID))),
        GetModuleHandleA(NULL), NULL);
    if (control != NULL) {
        SetPropA(control, _GControlClass, this);
    }
    return control;
}

void XGControl::DestroyControl(HWND control)
{
    // NOTE: the control dies with its native parent; a handle left over from then may
    // have been given to another window since, which the property tells apart.
    if (control != NULL && GetXGControl(control) == this) {
        RemovePropA(control, _GControlClass);
        DestroyWindow(control);
    }
}

void XGControl::PlaceNative()
{
    MoveNativeWindow(GetControlHWnd());
}

void XGControl::SyncNativeState()
{
    if (const HWND control = GetControlHWnd()) {
        ShowWindow(control, IsVisible() ? SW_SHOWNA : SW_HIDE);
        EnableWindow(control, IsEnabled() ? TRUE : FALSE);
    }
    XGView::SyncNativeState();
}

} // namespace kova
