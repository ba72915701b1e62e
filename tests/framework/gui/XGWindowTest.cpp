#include "framework/gui/XGWindow.h"

#include "framework/gui/AppMain.h"
#include "framework/gui/XGButton.h"
#include "framework/gui/XGForm.h"

#include "tests/framework/gui/ViewsTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kova::test {
namespace {

constexpr std::int32_t kKey = KOVAMessageCode("keye");
constexpr std::int32_t kMenuKey = KOVAMessageCode("keym");
constexpr std::int32_t kTab = 9;
constexpr std::int32_t kReverse = 0x10000;

std::int16_t FocusID()
{
    const auto* view = dynamic_cast<const XGView*>(XGDispatch::GetFocus());
    return view != nullptr ? view->GetViewID() : -99;
}

TEST_F(ViewsTest, TabAndReverseTabFollowTheIdsAndWrap)
{
    TestWindow window;
    std::vector<TestView*> views;
    for (std::int16_t id : {2, 1, 3}) {
        views.push_back(new TestView(&window, id, true));
    }
    TestView outside(nullptr, 2, true);
    XGForm form;
    enum From { kNone, kWindow, kForm, kOutside, kID1, kID2, kID3 };
    const struct {
        From from;
        std::int32_t key;
        std::int16_t expected;
    } cases[] = {
        {kNone, kTab, 1},    {kNone, kTab | kReverse, 3},
        {kWindow, kTab, 1},  {kWindow, kTab | kReverse, 3},
        {kForm, kTab, 1},    {kForm, kTab | kReverse, 3},
        {kID3, kTab, 1},     {kID1, kTab | kReverse, 3},
        {kID2, kTab, 3},     {kID2, kTab | kReverse, 1},
        {kOutside, kTab, 3},
    };
    for (const auto& c : cases) {
        XGDispatch* const from[] = {nullptr,  &window,  &form,   &outside,
                                    views[1], views[0], views[2]};
        if (XGDispatch::GetFocus() != nullptr) {
            XGDispatch::GetFocus()->ReleaseFocus();
        }
        if (from[c.from] != nullptr) {
            from[c.from]->TakeFocus();
        }
        EXPECT_EQ(window.DoDispatch(kKey, c.key, nullptr, false), 0);
        EXPECT_EQ(FocusID(), c.expected) << "from " << c.from << ", key " << c.key;
    }
    // Declined: a set bit 31, or any key but Tab.
    for (std::int32_t key : {static_cast<std::int32_t>(0x80000000u | kTab), 13}) {
        EXPECT_EQ(window.DoDispatch(kKey, key, nullptr, false), kDispatchDeclined);
        EXPECT_EQ(FocusID(), 3);
    }
}

TEST_F(ViewsTest, TabSkipsASecondViewOfTheSameIdAndMovesNothingWithoutCandidates)
{
    TestWindow window;
    auto* one = new TestView(&window, 1, true);
    auto* two = new TestView(&window, 2, true);
    new TestView(&window, 2, true);
    two->TakeFocus();
    window.DoDispatch(kKey, kTab, nullptr, false);
    EXPECT_EQ(XGDispatch::GetFocus(), one);

    TestWindow empty("Empty");
    new TestView(&empty, 0, true);
    EXPECT_EQ(empty.DoDispatch(kKey, kTab, nullptr, false), 0);
    EXPECT_EQ(XGDispatch::GetFocus(), one);
}

TEST_F(ViewsTest, AcceleratorsFocusPushOrPassTheFocusOn)
{
    TestWindow window;
    auto* name = new TestView(&window, 0, false, "&Name");
    auto* field = new TestView(&window, 1, true, "Field");
    auto* open = new XGButton(&window, {10, 10, 90, 34}, 2, "&Open");
    auto* saveAs = new TestView(&window, 3, true, "Save &As");
    new TestView(&window, 0, false, "&Last");
    const struct {
        char key;
        XGView* focus;
        std::size_t clicks;
    } cases[] = {
        {'o', open, 1},   // a button takes the focus and is pushed
        {'a', saveAs, 1}, // another tab stop only takes the focus
        {'N', field, 1},  // a label passes it to the next tab stop
        {'l', field, 1},  // ... round through the window itself
    };
    for (const auto& c : cases) {
        EXPECT_EQ(window.DoDispatch(kMenuKey, 0x100 | c.key, nullptr, false), 0) << c.key;
        EXPECT_EQ(XGDispatch::GetFocus(), c.focus) << c.key;
        EXPECT_EQ(window.fClicks.size(), c.clicks) << c.key;
    }
    EXPECT_EQ(window.DoDispatch(kMenuKey, 'z', nullptr, false), kDispatchDeclined);
    EXPECT_EQ(name->IsTabStop(), false);
}

TEST_F(ViewsTest, ALabelWithNothingToPassTheFocusToDeclines)
{
    TestWindow window;
    new TestView(&window, 0, false, "&Name");
    new TestView(&window, 0, false, "Other");
    XGForm form;
    form.TakeFocus();
    EXPECT_EQ(window.DoDispatch(kMenuKey, 'n', nullptr, false), kDispatchDeclined);
    EXPECT_EQ(XGDispatch::GetFocus(), &form);
}

TEST_F(ViewsTest, KeyMessagesTravelTheMessageLoop)
{
    XGAppCore core;
    TestWindow window;
    auto* first = new XGButton(&window, {10, 10, 90, 34}, 1, "First");
    new XGButton(&window, {10, 40, 90, 64}, 2, "&Second");
    first->TakeFocus();
    // A key meant for a native button reaches the framework window around it.
    PostMessageA(first->GetControlHWnd(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(window.GetHWnd(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(window.GetHWnd(), WM_SYSCHAR, 's', 0x20000001);
    core.Quit();
    EXPECT_EQ(core.Run(), 0);
    EXPECT_EQ(FocusID(), 2);
    EXPECT_EQ(window.fClicks, (std::vector<std::int32_t>{2}));
}

TEST_F(ViewsTest, WindowsAreListedNewestFirstUntilClosedOrDestroyed)
{
    auto first = std::make_unique<TestWindow>("First");
    auto second = std::make_unique<TestWindow>("Second");
    auto third = std::make_unique<TestWindow>("Third");
    EXPECT_EQ(XGWindow::GetList(), third.get());
    EXPECT_EQ(third->GetNextXGWindow(), second.get());
    EXPECT_EQ(XGWindow::GetXGWindow(first->GetHWnd()), first.get());
    EXPECT_EQ(GetPropA(first->GetHWnd(), _GWindowClass), first.get());

    const HWND native = second->GetHWnd();
    EXPECT_TRUE(second->Close());
    EXPECT_FALSE(IsWindow(native));
    EXPECT_EQ(second->GetHWnd(), nullptr);
    EXPECT_EQ(XGWindow::GetXGWindow(native), nullptr);
    EXPECT_EQ(third->GetNextXGWindow(), first.get());

    // A closing request through the native window may be refused.
    first->fRefuse = true;
    SendMessageA(first->GetHWnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(first->fCloseCalls, 1);
    EXPECT_TRUE(IsWindow(first->GetHWnd()));
    third.reset();
    EXPECT_EQ(XGWindow::GetList(), first.get());
    EXPECT_EQ(first->GetNextXGWindow(), nullptr);
    first.reset();
    second.reset();
    EXPECT_EQ(XGWindow::GetList(), nullptr);
    EXPECT_EQ(XGWindow::GetXGWindow(NULL), nullptr);
}

LRESULT CALLBACK MDIChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefMDIChildProcA(window, message, wParam, lParam);
}

/// A frame with an MDI client, which the framework globals name.
class MDITest : public ViewsTest {
protected:
    void SetUp() override
    {
        ViewsTest::SetUp();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = MDIChildProc;
        windowClass.lpszClassName = "kova_plain_mdi_child";
        RegisterClassA(&windowClass);
        fFrame = std::make_unique<TestWindow>("Frame");
        CLIENTCREATESTRUCT client = {NULL, 100};
        _GMDIWindow = CreateWindowExA(0, "MDICLIENT", NULL, WS_CHILD | WS_VISIBLE, 0, 0, 300, 200,
                                      fFrame->GetHWnd(), NULL, GetModuleHandleA(NULL), &client);
        ASSERT_NE(_GMDIWindow, nullptr);
    }

    /// An MDI child that is not a framework window.
    HWND Unmarked()
    {
        return CreateWindowExA(WS_EX_MDICHILD, "kova_plain_mdi_child", "plain", 0, 0, 0, 100, 80,
                               _GMDIWindow, NULL, GetModuleHandleA(NULL), NULL);
    }

    std::unique_ptr<TestWindow> fFrame;
};

TEST_F(MDITest, TheFrontWindowIsTheFirstVisibleFrameworkChild)
{
    TestWindow back("Back", XGWindow::kMDIChild);
    TestWindow hidden("Hidden", XGWindow::kMDIChild);
    hidden.SetVisible(false);
    const HWND plain = Unmarked();
    ASSERT_EQ(GetWindow(_GMDIWindow, GW_CHILD), plain);
    TestView inBack(&back);
    TestView inHidden(&hidden);
    TestView inFrame(fFrame.get());

    EXPECT_EQ(XGWindow::GetFrontWindow(), &back);
    EXPECT_TRUE(inBack.IsActive());
    EXPECT_FALSE(inHidden.IsActive());
    back.SetVisible(false);
    EXPECT_EQ(XGWindow::GetFrontWindow(), nullptr);
    EXPECT_FALSE(inBack.IsActive());
    EXPECT_TRUE(inFrame.IsActive()) << "the active window's views stay active";

    // The modal window comes first, whatever the native windows say.
    TestCore core;
    core.SetModalWindow(&hidden);
    EXPECT_EQ(XGWindow::GetFrontWindow(), &hidden);
}

TEST_F(MDITest, NoFrontWindowAmongUnmarkedChildren)
{
    Unmarked();
    Unmarked();
    EXPECT_EQ(XGWindow::GetFrontWindow(), nullptr);
}

TEST_F(ViewsTest, WithoutMDIClientTheMainOrTheActiveWindowIsInFront)
{
    TestWindow main("Main");
    TestWindow active("Active");
    EXPECT_EQ(XGWindow::GetFrontWindow(), &active);
    _GMainWindow = main.GetHWnd();
    EXPECT_EQ(XGWindow::GetFrontWindow(), &main);
}

} // namespace
} // namespace kova::test
