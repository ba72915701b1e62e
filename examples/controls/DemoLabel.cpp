#include "examples/controls/DemoLabel.h"

DemoLabel::DemoLabel(kova::XGView* parent, const RECT& frame, const char* text)
    : XGControl(parent, frame, 0),
      fLabelHWnd(CreateControl("STATIC", text, SS_LEFT))
{
}

DemoLabel::~DemoLabel() noexcept(false)
{
    DestroyControl(fLabelHWnd);
}

void DemoLabel::SetText(const char* text)
{
    SetWindowTextA(fLabelHWnd, text);
}

HWND DemoLabel::GetControlHWnd() const
{
    return fLabelHWnd;
}
