/// What the view, control, window and application-core tests share: views with titles
/// and visible fields, a window that records clicks and can refuse to close, a core that
/// counts its actions, and a fixture that formats the class names and cleans up.
#ifndef KOVA_TESTS_FRAMEWORK_GUI_VIEWSTESTSUPPORT_H
#define KOVA_TESTS_FRAMEWORK_GUI_VIEWSTESTSUPPORT_H

#include "framework/gui/XGAppCore.h"
#include "framework/gui/XGView.h"
#include "framework/gui/XGWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kova::test {

/// A plain view whose title, root window and moves the test controls and sees.
class TestView : public XGView {
public:
    TestView(XGView* parent, std::int16_t id = 0, bool tabStop = false, std::string title = "")
        : XGView(parent, {0, 0, 10, 10}, id),
          fTitle(std::move(title))
    {
        fTabStop = tabStop;
    }

    void GetTitle(char* buffer) override;
    void OffsetView(std::int32_t h, std::int32_t v) override;

    using XGView::fRootWindow;
    std::string fTitle;
    std::vector<std::pair<std::int32_t, std::int32_t>> fOffsets;
};

/// A window that records the `cclk` messages reaching it and refuses to close on request.
class TestWindow : public XGWindow {
    KOVA_DECLARE_DISPATCH();

public:
    explicit TestWindow(const char* title = "Test", std::int16_t kind = kTopLevel)
        : XGWindow(title, {40, 40, 360, 280}, kind)
    {
    }

    bool Close() override;
    std::int32_t DoClick(std::int32_t viewID, void* data);

    bool fRefuse = false;
    int fCloseCalls = 0;
    std::vector<std::int32_t> fClicks;
};

/// A core that counts command one and quits without posting anything.
class TestCore : public XGAppCore {
public:
    void Quit() override { ++fQuits; }
    void DoCommandOne() override { ++fCommandOnes; }

    int fQuits = 0;
    int fCommandOnes = 0;
};

class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

} // namespace kova::test

#endif
