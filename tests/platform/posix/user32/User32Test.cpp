// What the framework relies on from user32, checked the same way against the stand-in and
// against real windows under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Seen> gSeen;
bool gValidatePaint = true;
LPVOID gCreateParam = nullptr;

/// Records the messages the tests look at; everything goes on to the default procedure.
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        gCreateParam = reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams;
        [[fallthrough]];
    case WM_COMMAND:
    case WM_DESTROY:
    case WM_NCDESTROY:
    case WM_USER:
    case WM_CHAR:
        gSeen.push_back({window, message, wParam, lParam});
        break;
    case WM_PAINT:
        gSeen.push_back({window, message, wParam, lParam});
        if (!gValidatePaint) {
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK MDIChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefMDIChildProcA(window, message, wParam, lParam);
}

constexpr const char* kRecording = "kova_user32_recording";
constexpr const char* kMDIChild = "kova_user32_mdichild";

class User32 : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = kRecording;
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        windowClass.lpfnWndProc = MDIChildProc;
        windowClass.lpszClassName = kMDIChild;
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }

    void SetUp() override
    {
        gSeen.clear();
        gValidatePaint = true;
    }

    void TearDown() override
    {
        for (HWND window : fWindows) {
            if (IsWindow(window)) {
                DestroyWindow(window);
            }
        }
    }

    HWND TopLevel(const char* title, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE)
    {
        HWND window = CreateWindowExA(0, kRecording, title, style, 20, 20, 320, 240, NULL, NULL,
                                      GetModuleHandleA(NULL), NULL);
        fWindows.push_back(window);
        return window;
    }

    static HWND Child(HWND parent, const char* className, const char* title, int id = 0,
                      DWORD style = WS_VISIBLE)
    {
        return CreateWindowExA(0, className, title, WS_CHILD | style, 10, 10, 80, 24, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(NULL), NULL);
    }

    static std::vector<HWND> Children(HWND parent)
    {
        std::vector<HWND> children;
        for (HWND child = GetWindow(parent, GW_CHILD); child != NULL;
             child = GetWindow(child, GW_HWNDNEXT)) {
            children.push_back(child);
        }
        return children;
    }

    static std::vector<Seen> SeenOf(UINT message)
    {
        std::vector<Seen> seen;
        for (const Seen& s : gSeen) {
            if (s.message == message) {
                seen.push_back(s);
            }
        }
        return seen;
    }

    std::vector<HWND> fWindows;
};

TEST_F(User32, CreationSendsCreateAndChildrenStandInCreationOrder)
{
    int param = 0;
    HWND top = CreateWindowExA(0, kRecording, "Top", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL,
                               NULL, GetModuleHandleA(NULL), &param);
    fWindows.push_back(top);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(gCreateParam, &param);
    ASSERT_EQ(SeenOf(WM_CREATE).size(), 1u);

    HWND first = Child(top, kRecording, "first");
    HWND second = Child(top, "BUTTON", "second");
    HWND third = Child(top, "STATIC", "third");
    EXPECT_EQ(Children(top), (std::vector<HWND>{first, second, third}));
    EXPECT_EQ(GetParent(second), top);
    EXPECT_EQ(GetWindow(third, GW_CHILD), nullptr);

    EXPECT_EQ(CreateWindowExA(0, "kova_no_such_class", "", 0, 0, 0, 1, 1, NULL, NULL, NULL, NULL),
              nullptr);
}

TEST_F(User32, DestructionReachesTheWholeSubtreeAndLeavesNoHandle)
{
    HWND top = TopLevel("Top");
    HWND child = Child(top, kRecording, "child");
    HWND grandchild = Child(child, kRecording, "grandchild");
    gSeen.clear();
    ASSERT_TRUE(DestroyWindow(top));

    std::vector<HWND> destroyed;
    for (const Seen& s : SeenOf(WM_DESTROY)) {
        destroyed.push_back(s.window);
    }
    std::vector<HWND> finished;
    for (const Seen& s : SeenOf(WM_NCDESTROY)) {
        finished.push_back(s.window);
    }
    EXPECT_EQ(destroyed, (std::vector<HWND>{top, child, grandchild}));
    EXPECT_EQ(finished, (std::vector<HWND>{grandchild, child, top}));
    for (HWND window : {top, child, grandchild}) {
        EXPECT_FALSE(IsWindow(window));
    }
    SetLastError(0);
    EXPECT_EQ(GetWindow(top, GW_CHILD), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(GetPropA(top, "anything"), nullptr);
}

TEST_F(User32, PropertiesAreNamedWithoutRegardToCase)
{
    HWND top = TopLevel("Top");
    int a = 0;
    int b = 0;
    EXPECT_EQ(GetPropA(top, "_XGWindow_00400000"), nullptr);
    ASSERT_TRUE(SetPropA(top, "_XGWindow_00400000", &a));
    EXPECT_EQ(GetPropA(top, "_xgwindow_00400000"), &a);
    ASSERT_TRUE(SetPropA(top, "_XGWINDOW_00400000", &b));
    EXPECT_EQ(GetPropA(top, "_XGWindow_00400000"), &b);
    EXPECT_EQ(GetPropA(top, "_XGWindow_00400001"), nullptr);
    EXPECT_EQ(RemovePropA(top, "_XGWindow_00400000"), &b);
    EXPECT_EQ(GetPropA(top, "_XGWindow_00400000"), nullptr);
    EXPECT_EQ(RemovePropA(top, "_XGWindow_00400000"), nullptr);
}

TEST_F(User32, VisibilityIsInheritedAndShowingActivatesATopLevelWindow)
{
    HWND hidden = TopLevel("Hidden", WS_OVERLAPPEDWINDOW);
    HWND child = Child(hidden, "BUTTON", "child");
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_FALSE(IsWindowVisible(child));

    EXPECT_FALSE(ShowWindow(hidden, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_EQ(GetActiveWindow(), hidden);
    EXPECT_TRUE(ShowWindow(child, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_TRUE(IsWindowVisible(hidden));
}

TEST_F(User32, TheActiveWindowFollowsActivationAndDestruction)
{
    HWND first = TopLevel("First");
    HWND second = TopLevel("Second");
    EXPECT_EQ(GetActiveWindow(), second);
    EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), first);

    EXPECT_EQ(SetActiveWindow(first), second);
    EXPECT_EQ(GetActiveWindow(), first);
    HWND child = Child(second, "BUTTON", "child");
    SetActiveWindow(child);
    EXPECT_EQ(GetActiveWindow(), first) << "a child window is never the active window";

    DestroyWindow(first);
    EXPECT_EQ(GetActiveWindow(), second);
}

TEST_F(User32, MDIChildrenStandFrontToBackAndShowThemselves)
{
    HWND frame = TopLevel("Frame");
    CLIENTCREATESTRUCT client = {NULL, 100};
    HWND mdi = CreateWindowExA(0, "MDICLIENT", NULL, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                               300, 200, frame, NULL, GetModuleHandleA(NULL), &client);
    ASSERT_NE(mdi, nullptr);
    std::vector<HWND> made;
    for (const char* title : {"one", "two", "three"}) {
        made.push_back(CreateWindowExA(WS_EX_MDICHILD, kMDIChild, title, 0, 0, 0, 100, 80, mdi,
                                       NULL, GetModuleHandleA(NULL), NULL));
        ASSERT_NE(made.back(), nullptr);
    }
    EXPECT_EQ(Children(mdi), (std::vector<HWND>{made[2], made[1], made[0]}));
    for (HWND child : made) {
        EXPECT_TRUE(IsWindowVisible(child));
    }
    ShowWindow(made[2], SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(made[2]));
    EXPECT_EQ(GetWindow(mdi, GW_CHILD), made[2]) << "hiding keeps the z-order";
}

TEST_F(User32, ButtonClicksNotifyTheParentEvenWhenDisabled)
{
    HWND top = TopLevel("Top");
    HWND button = Child(top, "BUTTON", "&Open", 7);
    ASSERT_NE(button, nullptr);
    for (BOOL enabled : {TRUE, FALSE}) {
        EnableWindow(button, enabled);
        EXPECT_EQ(IsWindowEnabled(button), enabled);
        gSeen.clear();
        SendMessageA(button, BM_CLICK, 0, 0);
        const std::vector<Seen> commands = SeenOf(WM_COMMAND);
        ASSERT_EQ(commands.size(), 1u) << "enabled " << enabled;
        EXPECT_EQ(commands[0].window, top);
        EXPECT_EQ(LOWORD(commands[0].wParam), 7);
        EXPECT_EQ(HIWORD(commands[0].wParam), BN_CLICKED);
        EXPECT_EQ(commands[0].lParam, reinterpret_cast<LPARAM>(button));
    }
}

TEST_F(User32, AClickActivatesTheButtonsWindow)
{
    HWND first = TopLevel("First");
    HWND button = Child(first, "BUTTON", "button");
    HWND second = TopLevel("Second");
    ASSERT_EQ(GetActiveWindow(), second);
    SendMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_EQ(GetFocus(), button);
}

TEST_F(User32, ScrollBarsKeepTheirPositionWithinTheRange)
{
    HWND top = TopLevel("Top");
    HWND bar = Child(top, "SCROLLBAR", "", 0, WS_VISIBLE | SBS_VERT);
    ASSERT_NE(bar, nullptr);
    const struct {
        UINT mask;
        int min, max;
        UINT page;
        int pos;
        int expected;
    } cases[] = {
        {SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 50, 50},
        {SIF_POS, 0, 0, 0, 200, 91}, // the last page starts at 91
        {SIF_POS, 0, 0, 0, -5, 0},
        {SIF_RANGE | SIF_PAGE | SIF_POS, -20, 20, 0, 20, 20},
        {SIF_RANGE | SIF_POS, 0, 300, 0, 300, 300},
    };
    for (const auto& c : cases) {
        SCROLLINFO set = {sizeof set, c.mask, c.min, c.max, c.page, c.pos, 0};
        EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &set, TRUE), c.expected);
        SCROLLINFO got = {sizeof got, SIF_POS, 0, 0, 0, 0, 0};
        ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &got));
        EXPECT_EQ(got.nPos, c.expected);
    }
    SCROLLINFO range = {sizeof range, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &range));
    EXPECT_EQ(range.nMin, 0);
    EXPECT_EQ(range.nMax, 300);
    EXPECT_EQ(range.nPage, 0u);
}

TEST_F(User32, WindowTextIsCutToTheBuffer)
{
    HWND top = TopLevel("Top");
    HWND button = Child(top, "BUTTON", "Save &As");
    char text[256];
    EXPECT_EQ(GetWindowTextA(button, text, sizeof text), 8);
    EXPECT_STREQ(text, "Save &As");
    EXPECT_EQ(GetWindowTextA(button, text, 4), 3);
    EXPECT_STREQ(text, "Sav");
    ASSERT_TRUE(SetWindowTextA(button, "R&&D"));
    EXPECT_EQ(GetWindowTextA(button, text, sizeof text), 4);
    EXPECT_STREQ(text, "R&&D");
}

TEST_F(User32, MovingAChildMovesItOnTheScreen)
{
    HWND top = TopLevel("Top");
    HWND child = Child(top, "BUTTON", "child");
    RECT before;
    RECT after;
    ASSERT_TRUE(GetWindowRect(child, &before));
    ASSERT_TRUE(SetWindowPos(child, NULL, 10 - 64, 10 + 16, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(GetWindowRect(child, &after));
    EXPECT_EQ(after.left - before.left, -64);
    EXPECT_EQ(after.top - before.top, 16);
    EXPECT_EQ(after.right - after.left, 80);
    ASSERT_TRUE(MoveWindow(child, 0, 0, 50, 20, TRUE));
    RECT client;
    ASSERT_TRUE(GetClientRect(child, &client));
    EXPECT_EQ(client.right, 50);
    EXPECT_EQ(client.bottom, 20);
}

TEST_F(User32, UpdateWindowPaintsOnlyWhatIsInvalid)
{
    HWND top = TopLevel("Top");
    UpdateWindow(top); // whatever showing it left invalid
    gSeen.clear();
    UpdateWindow(top);
    EXPECT_TRUE(SeenOf(WM_PAINT).empty());

    // A procedure that does not validate is asked again at every update.
    gValidatePaint = false;
    InvalidateRect(top, NULL, FALSE);
    UpdateWindow(top);
    UpdateWindow(top);
    EXPECT_EQ(SeenOf(WM_PAINT).size(), 2u);
    gValidatePaint = true;
    UpdateWindow(top);
    gSeen.clear();
    UpdateWindow(top);
    EXPECT_TRUE(SeenOf(WM_PAINT).empty());
}

TEST_F(User32, PostedMessagesComeInOrderAndTheQuitLast)
{
    HWND top = TopLevel("Top");
    PostQuitMessage(3);
    PostMessageA(top, WM_USER, 1, 0);
    PostMessageA(top, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageA(top, WM_USER, 2, 0);
    MSG message;
    std::vector<std::pair<UINT, WPARAM>> got;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (message.hwnd == top) {
            got.emplace_back(message.message, message.wParam);
        }
    }
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 3u);
    // The Tab key's character was posted behind the last message and still came before
    // the quit.
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_USER, 1}, {WM_KEYDOWN, VK_TAB}, {WM_USER, 2}, {WM_CHAR, '\t'}};
    EXPECT_EQ(got, expected);
    std::vector<WPARAM> dispatched;
    for (const Seen& s : gSeen) {
        if (s.message == WM_USER || s.message == WM_CHAR) {
            dispatched.push_back(s.wParam);
        }
    }
    EXPECT_EQ(dispatched, (std::vector<WPARAM>{1, 2, '\t'}));
}

} // namespace
