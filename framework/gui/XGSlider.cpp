#include "framework/gui/XGSlider.h"

namespace kova {

XGSlider::XGSlider(XGView* parent, const RECT& frame, std::int16_t viewID)
    : XGControl(parent, frame, viewID)
{
}

std::int32_t XGSlider::GetSliderValue()
{
    return fValue;
}

void XGSlider::SetSliderValue(std::int32_t value)
{
    if (value == fValue) {
        return;
    }
    // The slider's own classes answer neither message: both travel up its chain to
    // whoever shows what the slider moves.
    DoDispatch(KOVAMessageCode("scrs"), 0, nullptr, true);
    SliderValueRecord record = {this, fValue, value};
    fValue = value;
    ShowSliderValue();
    DoDispatch(KOVAMessageCode("sval"), 0, &record, true);
}

} // namespace kova
