/// A line of static text on the framework: a native STATIC control that never takes the
/// focus. A label whose text marks a character with an ampersand passes the focus on to the
/// control that follows it.
#ifndef KOVA_EXAMPLES_CONTROLS_DEMOLABEL_H
#define KOVA_EXAMPLES_CONTROLS_DEMOLABEL_H

#include "framework/gui/XGControl.h"

class DemoLabel : public kova::XGControl {
public:
    DemoLabel(kova::XGView* parent, const RECT& frame, const char* text);
    ~DemoLabel() noexcept(false) override;

    void SetText(const char* text);
    HWND GetControlHWnd() const override;

private:
    HWND fLabelHWnd;
};

#endif
