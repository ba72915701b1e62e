#include "examples/controls/DemoWindow.h"

#include "framework/gui/XGAppCore.h"

#include <cstdio>

using namespace kova;

namespace {

constexpr int kLineHeight = 24;
constexpr RECT kScrollFrame = {12, 52, 392, 232};

} // namespace

constinit const _DispatchTable DemoWindow::_Dispatch[] = {
    KOVADispatchEntry<&DemoWindow::DoClick>("cclk"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(DemoWindow, XGWindow, nullptr)

DemoWindow::DemoWindow() : XGWindow("Controls demo", {60, 60, 480, 420})
{
    // Tab order follows the view IDs; the label has none and passes its accelerator on to
    // the button created after it.
    fGreeting = new DemoLabel(this, {12, 16, 92, 34}, "&Greeting:");
    fHello = new XGButton(this, {100, 10, 190, 38}, 1, "&Hello");
    fOpen = new XGButton(this, {200, 10, 290, 38}, 2, "&Open");
    fSaveAs = new XGButton(this, {300, 10, 390, 38}, 3, "Save &As");

    fScroll = new XGScrollView(this, kScrollFrame, 0, kScrollUnit);
    const int width = kScrollFrame.right - kScrollFrame.left;
    const int height = kScrollFrame.bottom - kScrollFrame.top;
    fBar = new XGScrollBar(fScroll, {width - 18, 0, width, height}, 0, true);
    for (int i = 0; i < kLineCount; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "Line %d of the scrolled content", i + 1);
        const int top = 8 + i * kLineHeight;
        fLines.push_back(new DemoLabel(fScroll, {8, top, width - 26, top + kLineHeight - 4}, text));
    }
    // The content is scrolled by as much as it overhangs the view, one line per step.
    const int overhang = 8 + kLineCount * kLineHeight + 4 - height;
    fBar->SetRange(0, (overhang + kScrollUnit - 1) / kScrollUnit);
    fBar->SetSteps(kLineHeight / kScrollUnit, (height - kLineHeight) / kScrollUnit);
    fScroll->SetSliders(nullptr, fBar);

    fStatus = new DemoLabel(this, {12, 246, 392, 266}, "No button clicked yet.");
    fQuit = new XGButton(this, {300, 276, 390, 304}, kQuitID, "&Quit");
}

bool DemoWindow::Close()
{
    if (!XGWindow::Close()) {
        return false;
    }
    if (GetList() == nullptr && XGAppCore::GetApplication() != nullptr) {
        XGAppCore::GetApplication()->Quit();
    }
    return true;
}

std::int32_t DemoWindow::DoClick(std::int32_t viewID, void*)
{
    if (viewID == kQuitID && XGAppCore::GetApplication() != nullptr) {
        XGAppCore::GetApplication()->DoDispatch(KOVAMessageCode("qapp"), 0, nullptr, false);
        return 0;
    }
    const char* const names[] = {"", "Hello", "Open", "Save As"};
    char text[64];
    std::snprintf(text, sizeof text, "Clicked: %s (view %d)",
                  viewID >= 1 && viewID <= 3 ? names[viewID] : "?", static_cast<int>(viewID));
    fStatus->SetText(text);
    return 0;
}
