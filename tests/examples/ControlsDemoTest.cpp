// The controls demo, driven through the real message path: messages are posted to its
// native windows, and the application core's loop hands them on.
#include "examples/controls/DemoWindow.h"

#include "framework/gui/AppMain.h"
#include "framework/gui/XGAppCore.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

// The test links the entry for its globals; it never runs it.
kova::XGAppCore* StartApplication()
{
    return nullptr;
}

namespace {

using kova::XGDispatch;

class ControlsDemo : public ::testing::Test {
protected:
    void SetUp() override
    {
        kova::FormatWindowClassNames(reinterpret_cast<UINT_PTR>(GetModuleHandleA(NULL)));
        fCore = std::make_unique<kova::XGAppCore>();
        fWindow = std::make_unique<DemoWindow>();
    }

    /// Posts the messages, then lets the loop handle them.
    void Drive(std::initializer_list<MSG> messages)
    {
        for (const MSG& message : messages) {
            PostMessageA(message.hwnd, message.message, message.wParam, message.lParam);
        }
        fCore->Quit();
        fCore->Run();
    }

    MSG Key(WPARAM key) const
    {
        return {fWindow->GetHWnd(), WM_KEYDOWN, key, 0x000F0001, 0, {0, 0}};
    }

    MSG Accelerator(char key) const
    {
        return {fWindow->GetHWnd(), WM_SYSCHAR, static_cast<WPARAM>(key), 0x20000001, 0, {0, 0}};
    }

    /// A scroll request from the bar, as the bar sends it to its native parent.
    MSG Scroll(WORD request) const
    {
        const HWND bar = fWindow->fBar->GetControlHWnd();
        return {
            GetParent(bar), WM_VSCROLL, MAKEWPARAM(request, 0), reinterpret_cast<LPARAM>(bar), 0,
            {0, 0}};
    }

    std::string Status() const
    {
        char text[64];
        GetWindowTextA(fWindow->fStatus->GetControlHWnd(), text, sizeof text);
        return text;
    }

    static RECT ScreenRect(const kova::XGControl* control)
    {
        RECT rect;
        GetWindowRect(control->GetControlHWnd(), &rect);
        return rect;
    }

    // Held by pointer: their destructors may throw, a fixture's may not.
    std::unique_ptr<kova::XGAppCore> fCore;
    std::unique_ptr<DemoWindow> fWindow;
};

TEST_F(ControlsDemo, TabMovesTheFocusThroughTheButtons)
{
    Drive({Key(VK_TAB)});
    EXPECT_EQ(XGDispatch::GetFocus(), fWindow->fHello);
    Drive({Key(VK_TAB), Key(VK_TAB)});
    EXPECT_EQ(XGDispatch::GetFocus(), fWindow->fSaveAs);
    Drive({Key(VK_TAB), Key(VK_TAB)});
    EXPECT_EQ(XGDispatch::GetFocus(), fWindow->fHello) << "after Quit the focus wraps";
    EXPECT_EQ(Status(), "No button clicked yet.");
}

TEST_F(ControlsDemo, TheLabelsAcceleratorPassesTheFocusToTheNextButton)
{
    Drive({Key(VK_TAB), Key(VK_TAB), Accelerator('g')});
    EXPECT_EQ(XGDispatch::GetFocus(), fWindow->fHello);
    EXPECT_EQ(Status(), "No button clicked yet.");
}

TEST_F(ControlsDemo, AButtonsAcceleratorPushesIt)
{
    Drive({Accelerator('A')});
    EXPECT_EQ(XGDispatch::GetFocus(), fWindow->fSaveAs);
    EXPECT_EQ(Status(), "Clicked: Save As (view 3)");
    Drive({Accelerator('o')});
    EXPECT_EQ(Status(), "Clicked: Open (view 2)");
}

TEST_F(ControlsDemo, ScrollRequestsMoveTheContentWithinTheView)
{
    const RECT first = ScreenRect(fWindow->fLines.front());
    const RECT bar = ScreenRect(fWindow->fBar);
    Drive({Scroll(SB_LINEDOWN), Scroll(SB_ENDSCROLL)});
    EXPECT_EQ(ScreenRect(fWindow->fLines.front()).top - first.top, -24) << "one line up";

    Drive({Scroll(SB_PAGEDOWN), Scroll(SB_PAGEDOWN), Scroll(SB_PAGEDOWN), Scroll(SB_ENDSCROLL)});
    const RECT last = ScreenRect(fWindow->fLines.back());
    RECT view;
    GetWindowRect(GetParent(fWindow->fBar->GetControlHWnd()), &view);
    EXPECT_LE(last.bottom, view.bottom) << "the last line has come into view";
    EXPECT_GT(last.bottom, view.bottom - 24);
    EXPECT_EQ(ScreenRect(fWindow->fBar).top, bar.top) << "the bar stays where it is";

    Drive({Scroll(SB_TOP)});
    EXPECT_EQ(ScreenRect(fWindow->fLines.front()).top, first.top);
}

TEST_F(ControlsDemo, TheQuitButtonClosesTheWindowAndEndsTheLoop)
{
    PostMessageA(fWindow->fQuit->GetControlHWnd(), BM_CLICK, 0, 0);
    fCore->Run(); // ends without a quit of the test's own
    EXPECT_EQ(fWindow->GetHWnd(), nullptr);
    EXPECT_EQ(kova::XGWindow::GetList(), nullptr);
}

} // namespace
