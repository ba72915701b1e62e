#include "framework/gui/XGScrollBar.h"

#include <algorithm>

namespace kova {

// The module's turn at start-up builds nothing: its class's dispatch table is constant
// data, complete before any code runs.

constinit const _DispatchTable XGScrollBar::_Dispatch[] = {
    KOVADispatchEntry<&XGScrollBar::DoWInternal>("wint"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(XGScrollBar, XGDispatch, nullptr)

XGScrollBar::XGScrollBar(XGView* parent, const RECT& frame, std::int16_t viewID, bool vertical)
    : XGSlider(parent, frame, viewID),
      fBarStyle(vertical ? SBS_VERT : SBS_HORZ)
{
    fScrollHWnd = CreateControl("SCROLLBAR", "", fBarStyle);
    ShowScrollInfo(SIF_RANGE | SIF_PAGE | SIF_POS);
}

XGScrollBar::~XGScrollBar() noexcept(false)
{
    DestroyControl(fScrollHWnd);
}

HWND XGScrollBar::GetControlHWnd() const
{
    return fScrollHWnd;
}

void XGScrollBar::SetSliderValue(std::int32_t value)
{
    XGSlider::SetSliderValue(std::clamp(value, fMinValue, std::max(fMinValue, fMaxValue)));
}

void XGScrollBar::SetRange(std::int32_t minValue, std::int32_t maxValue)
{
    fMinValue = minValue;
    fMaxValue = maxValue;
    ShowScrollInfo(SIF_RANGE | SIF_PAGE);
    SetSliderValue(fValue);
}

void XGScrollBar::SetSteps(std::int32_t stepSize, std::int32_t pageSize)
{
    fStepSize = stepSize;
    fPageSize = pageSize;
    ShowScrollInfo(SIF_PAGE);
}

void XGScrollBar::SetThumbScale(std::int32_t thumbScale)
{
    fThumbScale = std::max(thumbScale, 1);
    ShowScrollInfo(SIF_RANGE | SIF_PAGE | SIF_POS);
}

void XGScrollBar::ShowSliderValue()
{
    ShowScrollInfo(SIF_POS);
}

void XGScrollBar::ShowScrollInfo(UINT mask)
{
    if (fScrollHWnd == NULL) {
        return;
    }
    // The native bar counts in thumb units. Its range holds a last page, so that the thumb
    // reaches the end when the value reaches the maximum.
    const std::int32_t page = std::max(fPageSize / fThumbScale, 0);
    SCROLLINFO info = {sizeof(SCROLLINFO),
                       mask,
                       fMinValue / fThumbScale,
                       fMaxValue / fThumbScale + std::max(page - 1, 0),
                       static_cast<UINT>(page),
                       fValue / fThumbScale,
                       0};
    SetScrollInfo(fScrollHWnd, SB_CTL, &info, TRUE);
}

std::int32_t XGScrollBar::DoWInternal(std::int32_t, void* data)
{
    const MSG& message = *static_cast<const MSG*>(data);
    if (message.message != WM_HSCROLL && message.message != WM_VSCROLL) {
        return kDispatchDeclined;
    }
    // The arithmetic wraps at 32 bits, and nothing is limited here: SetSliderValue
    // decides what becomes of a value beyond either end.
    const std::uint32_t current = static_cast<std::uint32_t>(GetSliderValue());
    const std::uint32_t thumb = HIWORD(message.wParam);
    std::uint32_t value = 0;
    switch (LOWORD(message.wParam)) {
    case SB_LINEUP:
        value = current - static_cast<std::uint32_t>(GetStepSize());
        break;
    case SB_LINEDOWN:
        value = current + static_cast<std::uint32_t>(GetStepSize());
        break;
    case SB_PAGEUP:
        value = current - static_cast<std::uint32_t>(GetPageSize());
        break;
    case SB_PAGEDOWN:
        value = current + static_cast<std::uint32_t>(GetPageSize());
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        value = thumb * static_cast<std::uint32_t>(fThumbScale);
        break;
    case SB_TOP:
        value = static_cast<std::uint32_t>(fMinValue);
        break;
    case SB_BOTTOM:
        value = static_cast<std::uint32_t>(fMaxValue);
        break;
    default:
        return 0;
    }
    SetSliderValue(static_cast<std::int32_t>(value));
    return 0;
}

} // namespace kova
