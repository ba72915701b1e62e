/// A native scroll-bar control as a slider: its scroll requests become new values, which
/// the bar keeps between its minimum and its maximum.
#ifndef KOVA_FRAMEWORK_GUI_XGSCROLLBAR_H
#define KOVA_FRAMEWORK_GUI_XGSCROLLBAR_H

#include "framework/gui/XGSlider.h"

namespace kova {

class XGScrollBar : public XGSlider {
    KOVA_DECLARE_DISPATCH();

public:
    XGScrollBar(XGView* parent, const RECT& frame, std::int16_t viewID, bool vertical);
    ~XGScrollBar() noexcept(false) override;

    /// Limits the value to the range before the change is made.
    void SetSliderValue(std::int32_t value) override;

    /// The value's range; the current value is brought into it.
    void SetRange(std::int32_t minValue, std::int32_t maxValue);
    /// The distances of a line step and a page step.
    void SetSteps(std::int32_t stepSize, std::int32_t pageSize);
    /// Slider value units per unit of native thumb position, for ranges wider than the
    /// native position's 16 bits; at least 1.
    void SetThumbScale(std::int32_t thumbScale);

    std::int32_t GetStepSize() const { return fStepSize; }
    std::int32_t GetPageSize() const { return fPageSize; }

    /// `wint`: a native scroll request becomes a new value.
    std::int32_t DoWInternal(std::int32_t param, void* data);

    HWND GetControlHWnd() const override;

protected:
    void ShowSliderValue() override;

    std::int32_t fPageSize = 10;
    std::int32_t fStepSize = 1;
    DWORD fBarStyle;
    std::int32_t fMinValue = 0;
    std::int32_t fMaxValue = 0;
    std::int32_t fThumbScale = 1;
    HWND fScrollHWnd;

private:
    /// Shows range, page and position on the native control.
    void ShowScrollInfo(UINT mask);
};

} // namespace kova

#endif
