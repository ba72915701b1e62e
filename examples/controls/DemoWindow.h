/// The demo's window: three buttons behind a label with an accelerator, a scroll view of
/// sixteen lines with its scroll bar, a line that tells which button was clicked last, and
/// a button that quits.
#ifndef KOVA_EXAMPLES_CONTROLS_DEMOWINDOW_H
#define KOVA_EXAMPLES_CONTROLS_DEMOWINDOW_H

#include "examples/controls/DemoLabel.h"
#include "framework/gui/XGButton.h"
#include "framework/gui/XGScrollBar.h"
#include "framework/gui/XGScrollView.h"
#include "framework/gui/XGWindow.h"

#include <vector>

class DemoWindow : public kova::XGWindow {
    KOVA_DECLARE_DISPATCH();

public:
    static constexpr int kLineCount = 16;
    static constexpr std::int32_t kScrollUnit = 4; ///< pixels per scroll-bar unit
    static constexpr std::int16_t kQuitID = 4;

    DemoWindow();

    /// The last window to close ends the application.
    bool Close() override;

    /// `cclk`: shows which button was clicked; the Quit button quits.
    std::int32_t DoClick(std::int32_t viewID, void* data);

    DemoLabel* fGreeting;
    kova::XGButton* fHello;
    kova::XGButton* fOpen;
    kova::XGButton* fSaveAs;
    kova::XGScrollView* fScroll;
    kova::XGScrollBar* fBar;
    std::vector<DemoLabel*> fLines;
    DemoLabel* fStatus;
    kova::XGButton* fQuit;
};

#endif
