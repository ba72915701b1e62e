/// A view that stands for a native control: the control is shown, enabled, placed and named
/// as the view is, and carries a property that leads its notifications back to the view.
#ifndef KOVA_FRAMEWORK_GUI_XGCONTROL_H
#define KOVA_FRAMEWORK_GUI_XGCONTROL_H

#include "framework/gui/XGView.h"

namespace kova {

class XGControl : public XGView {
public:
    /// The control object of a native control, or null for any other window.
    static XGControl* GetXGControl(HWND control);

    /// The native control's text.
    void GetTitle(char* buffer) override;

    /// The native control; null when the view is in no native window.
    virtual HWND GetControlHWnd() const = 0;

protected:
    XGControl(XGView* parent, const RECT& frame, std::int16_t viewID);

    /// Creates the native control of a system class in the window that shows this view.
    HWND CreateControl(const char* className, const char* title, DWORD style);
    /// Destroys a native control made by CreateControl, if it still belongs to this object.
    void DestroyControl(HWND control);

    void PlaceNative() override;
    void SyncNativeState() override;
};

} // namespace kova

#endif
