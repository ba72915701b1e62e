/// A view whose content moves under two sliders: when a slider's value changes, every
/// other child moves by the change times fScrollUnit, within a native window of the view's
/// own that clips it.
#ifndef KOVA_FRAMEWORK_GUI_XGSCROLLVIEW_H
#define KOVA_FRAMEWORK_GUI_XGSCROLLVIEW_H

#include "framework/gui/XGView.h"

namespace kova {

class XGSlider;

class XGScrollView : public XGView {
    KOVA_DECLARE_DISPATCH();

public:
    XGScrollView(XGView* parent, const RECT& frame, std::int16_t viewID, std::int32_t scrollUnit);
    ~XGScrollView() noexcept(false) override;

    /// Names the two sliders among the children (either may be null); they are kept in
    /// front of the content and never moved with it.
    void SetSliders(XGSlider* horizontal, XGSlider* vertical);

    /// `scrs`: repaints the content before it moves.
    std::int32_t DoSliderStart(std::int32_t param, void* data);
    /// `sval`: moves the content against the slider's travel and repaints it.
    std::int32_t DoSliderValue(std::int32_t param, void* data);

protected:
    HWND GetContentHWnd() const override;
    void PlaceNative() override;
    void SyncNativeState() override;

    std::int32_t fScrollUnit;
    XGSlider* fHSlider = nullptr;
    XGSlider* fVSlider = nullptr;
    HWND fContentHWnd = NULL;

private:
    bool IsSlider(const XGView* view) const;
};

} // namespace kova

#endif
