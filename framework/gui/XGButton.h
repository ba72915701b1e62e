/// A push button: a native click comes back as `cclk` with the button's view ID, sent up
/// the button's chain, and PushButton makes the native button click.
#ifndef KOVA_FRAMEWORK_GUI_XGBUTTON_H
#define KOVA_FRAMEWORK_GUI_XGBUTTON_H

#include "framework/gui/XGControl.h"

namespace kova {

class XGButton : public XGControl {
    KOVA_DECLARE_DISPATCH();

public:
    /// A button is a tab stop.
    XGButton(XGView* parent, const RECT& frame, std::int16_t viewID, const char* title);
    ~XGButton() noexcept(false) override;

    /// Clicks the native button when the button is enabled or its window is active.
    void PushButton();

    /// `wint`: a native click notification becomes `cclk`.
    std::int32_t DoWInternal(std::int32_t param, void* data);

    HWND GetControlHWnd() const override;

protected:
    HWND fButtonHWnd;
};

} // namespace kova

#endif
