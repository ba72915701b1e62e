#include "framework/gui/XGScrollView.h"

#include "framework/gui/AppMain.h"
#include "framework/gui/XGSlider.h"
#include "framework/gui/XGWindow.h"

#include <initializer_list>

namespace kova {

// The module's turn at start-up builds nothing: its class's dispatch table is constant
// data, complete before any code runs.

constinit const _DispatchTable XGScrollView::_Dispatch[] = {
    KOVADispatchEntry<&XGScrollView::DoSliderStart>("scrs"),
    KOVADispatchEntry<&XGScrollView::DoSliderValue>("sval"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(XGScrollView, XGDispatch, nullptr)

XGScrollView::XGScrollView(XGView* parent, const RECT& frame, std::int16_t viewID,
                           std::int32_t scrollUnit)
    : XGView(parent, frame, viewID),
      fScrollUnit(scrollUnit)
{
    if (const HWND host = GetHostHWnd()) {
        XGWindow::RegisterWindowClasses();
        fContentHWnd = CreateWindowExA(
            0, _GControlClass, "",
            WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (IsVisible() ? WS_VISIBLE : 0),
            fGlobalRect.left, fGlobalRect.top, fGlobalRect.right - fGlobalRect.left,
            fGlobalRect.bottom - fGlobalRect.top, host, NULL, GetModuleHandleA(NULL), NULL);
    }
}

XGScrollView::~XGScrollView() noexcept(false)
{
    // The content's native controls go with the content window; their views, destroyed
    // next, find them gone.
    if (fContentHWnd != NULL && IsWindow(fContentHWnd)) {
        DestroyWindow(fContentHWnd);
    }
}

void XGScrollView::SetSliders(XGSlider* horizontal, XGSlider* vertical)
{
    fHSlider = horizontal;
    fVSlider = vertical;
    for (XGSlider* slider : {horizontal, vertical}) {
        if (slider != nullptr && slider->GetControlHWnd() != NULL) {
            SetWindowPos(slider->GetControlHWnd(), HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
}

bool XGScrollView::IsSlider(const XGView* view) const
{
    return view == fHSlider || view == fVSlider;
}

std::int32_t XGScrollView::DoSliderStart(std::int32_t, void*)
{
    for (XGView* child = fChild; child != nullptr; child = child->GetSibling()) {
        if (!IsSlider(child)) {
            child->UpdateView();
        }
    }
    return 0;
}

std::int32_t XGScrollView::DoSliderValue(std::int32_t, void* data)
{
    const SliderValueRecord& record = *static_cast<const SliderValueRecord*>(data);
    // Wrapping 32-bit arithmetic: an overflow is not an error here.
    const std::uint32_t change =
        static_cast<std::uint32_t>(record.fOldValue) - static_cast<std::uint32_t>(record.fNewValue);
    const std::uint32_t distance = change * static_cast<std::uint32_t>(fScrollUnit);
    const bool horizontal = record.fSlider == fHSlider;
    const std::int32_t h = horizontal ? static_cast<std::int32_t>(distance) : 0;
    const std::int32_t v = horizontal ? 0 : static_cast<std::int32_t>(distance);
    for (XGView* child = fChild; child != nullptr; child = child->GetSibling()) {
        if (!IsSlider(child)) {
            child->OffsetView(h, v);
            child->UpdateView();
        }
    }
    return 0;
}

HWND XGScrollView::GetContentHWnd() const
{
    return fContentHWnd;
}

void XGScrollView::PlaceNative()
{
    MoveNativeWindow(fContentHWnd);
}

void XGScrollView::SyncNativeState()
{
    if (fContentHWnd != NULL) {
        ShowWindow(fContentHWnd, IsVisible() ? SW_SHOWNA : SW_HIDE);
        EnableWindow(fContentHWnd, IsEnabled() ? TRUE : FALSE);
    }
    XGView::SyncNativeState();
}

} // namespace kova
