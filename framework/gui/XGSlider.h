/// A control with a 32-bit value. Each change is announced up the slider's chain: `scrs`
/// as it begins, then `sval` with the slider and the values before and after it.
#ifndef KOVA_FRAMEWORK_GUI_XGSLIDER_H
#define KOVA_FRAMEWORK_GUI_XGSLIDER_H

#include "framework/gui/XGControl.h"

namespace kova {

class XGSlider;

/// What `sval` carries: the slider, then the value before the change and the value after.
struct SliderValueRecord {
    XGSlider* fSlider;
    std::int32_t fOldValue;
    std::int32_t fNewValue;
};

class XGSlider : public XGControl {
public:
    virtual std::int32_t GetSliderValue();
    /// Takes any value; a change is shown on the native control and announced.
    virtual void SetSliderValue(std::int32_t value);

protected:
    XGSlider(XGView* parent, const RECT& frame, std::int16_t viewID);

    /// Shows the current value on the native control.
    virtual void ShowSliderValue() = 0;

    std::int32_t fValue = 0;
};

} // namespace kova

#endif
