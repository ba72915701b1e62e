// Buttons, scroll bars and scroll views, on real native controls.
#include "framework/gui/XGButton.h"
#include "framework/gui/XGScrollBar.h"
#include "framework/gui/XGScrollView.h"

#include "tests/framework/gui/ViewsTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <optional>
#include <vector>

namespace kova::test {
namespace {

constexpr RECT kButtonFrame = {10, 10, 90, 34};

TEST_F(ViewsTest, ANativeClickReachesTheChainAsClickWithTheViewId)
{
    TestWindow window;
    auto* seven = new XGButton(&window, kButtonFrame, 7, "Seven");
    auto* minus = new XGButton(&window, kButtonFrame, -1, "Minus one");
    SendMessageA(seven->GetControlHWnd(), BM_CLICK, 0, 0);
    SendMessageA(minus->GetControlHWnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(window.fClicks, (std::vector<std::int32_t>{7, -1}));
}

TEST_F(ViewsTest, AButtonTakesOnlyAClickNotification)
{
    TestWindow window;
    XGButton button(&window, kButtonFrame, 7, "Seven");
    const HWND native = button.GetControlHWnd();
    const struct {
        UINT message;
        WPARAM wParam;
        std::int32_t result;
    } cases[] = {
        {WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), 0},
        {WM_COMMAND, MAKEWPARAM(7, 5), kDispatchDeclined},
        {WM_HSCROLL, SB_LINEDOWN, kDispatchDeclined},
    };
    for (const auto& c : cases) {
        MSG message = {
            window.GetHWnd(), c.message, c.wParam, reinterpret_cast<LPARAM>(native), 0, {0, 0}};
        EXPECT_EQ(button.DoDispatch(KOVAMessageCode("wint"), 0, &message, false), c.result);
    }
    EXPECT_EQ(window.fClicks, (std::vector<std::int32_t>{7}));
}

TEST_F(ViewsTest, PushButtonClicksWhenEnabledOrActive)
{
    const struct {
        bool enabled;
        bool active;
        bool clicked;
    } cases[] = {
        {true, true, true}, {true, false, true}, {false, true, true}, {false, false, false}};
    for (const auto& c : cases) {
        TestWindow window;
        auto* button = new XGButton(&window, kButtonFrame, 3, "Push");
        button->SetEnabled(c.enabled);
        std::optional<TestWindow> other;
        if (!c.active) {
            other.emplace("Other");
        }
        ASSERT_EQ(button->IsActive(), c.active);
        button->PushButton();
        EXPECT_EQ(window.fClicks.size(), c.clicked ? 1u : 0u)
            << "enabled " << c.enabled << ", active " << c.active;
    }
}

/// A scroll bar that records the values its requests come to, instead of taking them.
class RecordingBar : public XGScrollBar {
public:
    explicit RecordingBar(XGView* parent) : XGScrollBar(parent, {0, 0, 16, 100}, 0, true)
    {
        SetRange(-100, 100);
        SetSteps(3, 25);
        SetThumbScale(2);
        fSet.clear();
    }

    void SetSliderValue(std::int32_t value) override { fSet.push_back(value); }

    std::int32_t Request(UINT message, WORD code, WORD thumb, std::int32_t current)
    {
        fValue = current;
        MSG native = {NULL, message, MAKEWPARAM(code, thumb), 0, 0, {0, 0}};
        return DoDispatch(KOVAMessageCode("wint"), 0, &native, false);
    }

    std::vector<std::int32_t> fSet;
};

TEST_F(ViewsTest, EveryScrollRequestComesToItsValue)
{
    TestView root(nullptr);
    RecordingBar bar(&root);
    const struct {
        UINT message;
        WORD code;
        WORD thumb;
        std::int32_t current;
        std::optional<std::int32_t> set;
    } cases[] = {
        {WM_VSCROLL, SB_LINEUP, 0, 10, 7},
        {WM_VSCROLL, SB_LINEUP, 0, -100, -103}, // past the minimum: not limited here
        {WM_HSCROLL, SB_LINEDOWN, 0, 10, 13},
        {WM_VSCROLL, SB_PAGEUP, 0, 10, -15},
        {WM_HSCROLL, SB_PAGEDOWN, 0, 10, 35},
        {WM_VSCROLL, SB_THUMBPOSITION, 7, 10, 14},
        {WM_VSCROLL, SB_THUMBTRACK, 40000, 10, 80000}, // the position is unsigned
        {WM_HSCROLL, SB_TOP, 0, 10, -100},
        {WM_HSCROLL, SB_BOTTOM, 0, 10, 100},
        {WM_VSCROLL, SB_ENDSCROLL, 0, 10, std::nullopt},
        {WM_VSCROLL, 9, 0, 10, std::nullopt},
        {WM_VSCROLL, SB_LINEDOWN, 0, INT_MAX, INT_MIN + 2}, // 32-bit wrap-around
    };
    for (const auto& c : cases) {
        bar.fSet.clear();
        EXPECT_EQ(bar.Request(c.message, c.code, c.thumb, c.current), 0) << c.code;
        EXPECT_EQ(bar.fSet, c.set ? std::vector<std::int32_t>{*c.set} : std::vector<std::int32_t>{})
            << "request " << c.code;
    }
    EXPECT_EQ(bar.Request(WM_COMMAND, SB_LINEDOWN, 0, 10), kDispatchDeclined);
    EXPECT_EQ(bar.GetStepSize(), 3);
    EXPECT_EQ(bar.GetPageSize(), 25);
}

/// A content view of a scroll view, shown by a native window of its own so that each
/// repaint it asks for can be counted there.
class Content : public TestView {
public:
    Content(XGView* parent, HWND paintProbe) : TestView(parent) { fRootWindow = paintProbe; }
};

int gPaints = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        ++gPaints; // left invalid, so that every update paints again
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class ScrollViewTest : public ViewsTest {
protected:
    void SetUp() override
    {
        ViewsTest::SetUp();
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = CountingProc;
        windowClass.lpszClassName = "kova_paint_probe";
        RegisterClassA(&windowClass);
        fProbe = CreateWindowExA(0, "kova_paint_probe", "", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 50,
                                 50, NULL, NULL, NULL, NULL);
        InvalidateRect(fProbe, NULL, FALSE);
        gPaints = 0;
    }

    void TearDown() override
    {
        DestroyWindow(fProbe);
        ViewsTest::TearDown();
    }

    HWND fProbe = NULL;
};

/// A slider without a native control, whose repaints would be counted like the content's.
class TestSlider : public XGSlider {
public:
    TestSlider(XGView* parent, HWND paintProbe) : XGSlider(parent, {}, 0)
    {
        fRootWindow = paintProbe;
    }
    HWND GetControlHWnd() const override { return NULL; }

protected:
    void ShowSliderValue() override {}
};

TEST_F(ScrollViewTest, ASliderValueMovesTheOtherChildrenAgainstItsTravel)
{
    XGScrollView view(nullptr, {0, 0, 100, 100}, 0, 16);
    auto* first = new Content(&view, fProbe);
    auto* horizontal = new TestSlider(&view, fProbe);
    auto* vertical = new TestSlider(&view, fProbe);
    auto* other = new TestSlider(&view, fProbe);
    auto* second = new Content(&view, fProbe);
    auto* nested = new Content(second, fProbe);
    view.SetSliders(horizontal, vertical);

    using Moves = std::vector<std::pair<std::int32_t, std::int32_t>>;
    const struct {
        XGSlider* slider;
        Moves expected;
    } cases[] = {{horizontal, {{-64, 0}}}, {vertical, {{0, -64}}}, {other, {{0, -64}}}};
    for (const auto& c : cases) {
        first->fOffsets.clear();
        second->fOffsets.clear();
        gPaints = 0;
        SliderValueRecord record = {c.slider, 10, 14};
        EXPECT_EQ(view.DoDispatch(KOVAMessageCode("sval"), 0, &record, false), 0);
        EXPECT_EQ(first->fOffsets, c.expected);
        EXPECT_EQ(second->fOffsets, c.expected);
        // A third slider is content like any other child.
        EXPECT_EQ(gPaints, 3) << "each moved child repaints";
    }
    // Only the direct children are moved; the nested view goes along with its parent.
    EXPECT_TRUE(nested->fOffsets.empty());
    EXPECT_EQ(nested->GetGlobalRect().left, second->GetGlobalRect().left);
    EXPECT_EQ(second->GetPosition().h, -64);
    EXPECT_EQ(second->GetPosition().v, -128);
    for (const XGView* slider : {horizontal, vertical}) {
        EXPECT_EQ(slider->GetPosition().h, 0);
        EXPECT_EQ(slider->GetPosition().v, 0);
    }
}

TEST_F(ScrollViewTest, ASliderStartRepaintsTheContentAndMovesNothing)
{
    XGScrollView view(nullptr, {0, 0, 100, 100}, 0, 16);
    auto* horizontal = new TestSlider(&view, fProbe);
    auto* content = new Content(&view, fProbe);
    auto* vertical = new TestSlider(&view, fProbe);
    new Content(&view, fProbe);
    view.SetSliders(horizontal, vertical);
    EXPECT_EQ(view.DoDispatch(KOVAMessageCode("scrs"), 0, nullptr, false), 0);
    EXPECT_EQ(gPaints, 2);
    EXPECT_TRUE(content->fOffsets.empty());
}

TEST_F(ViewsTest, ANativeScrollRequestMovesTheNativeContent)
{
    TestWindow window;
    auto* view = new XGScrollView(&window, {10, 10, 210, 110}, 0, 4);
    auto* bar = new XGScrollBar(view, {184, 0, 200, 100}, 0, true);
    bar->SetRange(0, 50);
    bar->SetSteps(5, 20);
    auto* button = new XGButton(view, {10, 10, 90, 34}, 1, "Content");
    view->SetSliders(nullptr, bar);
    RECT before;
    GetWindowRect(button->GetControlHWnd(), &before);

    const HWND nativeBar = bar->GetControlHWnd();
    const auto request = [&](WORD code) {
        SendMessageA(GetParent(nativeBar), WM_VSCROLL, MAKEWPARAM(code, 0),
                     reinterpret_cast<LPARAM>(nativeBar));
    };
    request(SB_LINEDOWN);
    request(SB_LINEDOWN);
    request(SB_ENDSCROLL);
    EXPECT_EQ(bar->GetSliderValue(), 10);
    RECT after;
    GetWindowRect(button->GetControlHWnd(), &after);
    EXPECT_EQ(after.top - before.top, -40);
    EXPECT_EQ(after.left, before.left);
    SCROLLINFO info = {sizeof info, SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(nativeBar, SB_CTL, &info);
    EXPECT_EQ(info.nPos, 10);

    // The setter keeps the value in the range, and the bar never moves with the content.
    request(SB_BOTTOM);
    request(SB_PAGEDOWN);
    EXPECT_EQ(bar->GetSliderValue(), 50);
    RECT barRect;
    GetWindowRect(nativeBar, &barRect);
    request(SB_TOP);
    RECT barAfter;
    GetWindowRect(nativeBar, &barAfter);
    EXPECT_EQ(barAfter.top, barRect.top);
    GetWindowRect(button->GetControlHWnd(), &after);
    EXPECT_EQ(after.top, before.top);
}

} // namespace
} // namespace kova::test
