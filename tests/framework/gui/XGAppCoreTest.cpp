#include "framework/gui/XGAppCore.h"

#include "framework/core/XGKOVAUnexpected.h"
#include "framework/gui/AppMain.h"
#include "framework/gui/XGButton.h"

#include "tests/framework/gui/ViewsTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kova::test {
namespace {

constexpr std::int32_t kStatus = KOVAMessageCode("stat");
constexpr std::int32_t kMenu = KOVAMessageCode("menu");
constexpr std::int32_t kQuit = KOVAMessageCode("qapp");
TEST_F(ViewsTest, MenuStatusWithAndWithoutAModalWindow)
{
    TestCore core;
    TestWindow modal("Modal");
    const struct {
        bool modal;
        bool frontWindow;
        std::int32_t command;
        std::int32_t result;
        std::optional<bool> answer; // none: the sender's value stays
    } cases[] = {
        {false, true, 1, 0, true},
        {false, true, 2, 0, true},
        {false, false, 2, 0, false},
        {false, true, 3, 0, true},
        {false, true, 0, kDispatchDeclined, std::nullopt},
        {false, true, 4, kDispatchDeclined, std::nullopt},
        {false, true, -1, kDispatchDeclined, std::nullopt},
        {true, true, 1, kDispatchDeclined, std::nullopt},
        {true, true, 3, kDispatchDeclined, std::nullopt},
    };
    for (const auto& c : cases) {
        core.SetModalWindow(c.modal ? &modal : nullptr);
        // A main window that no window object owns leaves no front window.
        _GMainWindow = c.frontWindow ? modal.GetHWnd() : reinterpret_cast<HWND>(1);
        for (bool sent : {false, true}) {
            bool answer = sent;
            EXPECT_EQ(core.DoDispatch(kStatus, c.command, &answer, false), c.result) << c.command;
            EXPECT_EQ(answer, c.answer.value_or(sent))
                << "command " << c.command << ", modal " << c.modal;
        }
        // A query that is declined needs no answer slot; under the sanitizers a handler
        // that touched it would abort here.
        if (!c.answer) {
            EXPECT_EQ(core.DoDispatch(kStatus, c.command, nullptr, false), kDispatchDeclined)
                << c.command;
        }
    }
}

TEST_F(ViewsTest, AModalWindowBlocksMenuMessagesAtEveryWindow)
{
    TestCore core;
    TestWindow window("Window");
    TestWindow modal("Modal");
    for (bool isModal : {false, true}) {
        core.SetModalWindow(isModal ? &modal : nullptr);
        core.fCommandOnes = 0;
        // Sent to the window, on along its chain to the core unless the window stops it.
        bool enabled = false;
        EXPECT_EQ(window.DoDispatch(kStatus, 1, &enabled, true), 0);
        EXPECT_EQ(enabled, !isModal);
        EXPECT_EQ(window.DoDispatch(kMenu, 1, nullptr, true), 0);
        EXPECT_EQ(core.DoDispatch(kMenu, 1, nullptr, false), isModal ? kDispatchDeclined : 0);
        EXPECT_EQ(core.fCommandOnes, isModal ? 0 : 2);
        EXPECT_EQ(window.DoDispatch(KOVAMessageCode("else"), 1, nullptr, false), kDispatchDeclined);
    }
    // A modal window that closes blocks nothing any more.
    EXPECT_TRUE(modal.Close());
    EXPECT_EQ(core.GetModalWindow(), nullptr);
}

TEST_F(ViewsTest, MenuCommandsCloseTheFrontWindowAndQuitThroughTheFocus)
{
    TestCore core;
    auto back = std::make_unique<TestWindow>("Back");
    auto front = std::make_unique<TestWindow>("Front");
    EXPECT_EQ(core.DoDispatch(kMenu, 2, nullptr, false), 0);
    EXPECT_EQ(front->GetHWnd(), nullptr);
    EXPECT_EQ(XGWindow::GetList(), back.get());

    // Without a focus the quit request goes nowhere; with one it travels up to the core.
    EXPECT_EQ(core.DoDispatch(kMenu, 3, nullptr, false), 0);
    EXPECT_EQ(core.fQuits, 0);
    auto* view = new TestView(back.get());
    view->TakeFocus();
    EXPECT_EQ(core.DoDispatch(kMenu, 3, nullptr, false), 0);
    EXPECT_EQ(core.fQuits, 1);
    EXPECT_EQ(XGWindow::GetList(), nullptr);

    // With no window left command 2 does nothing.
    EXPECT_EQ(core.DoDispatch(kMenu, 2, nullptr, false), 0);
}

TEST_F(ViewsTest, QuitStopsAtTheFirstWindowThatRefuses)
{
    TestCore core;
    auto third = std::make_unique<TestWindow>("Third");
    auto second = std::make_unique<TestWindow>("Second");
    auto first = std::make_unique<TestWindow>("First");
    second->fRefuse = true;
    EXPECT_EQ(core.DoDispatch(kQuit, 0, nullptr, false), kDispatchDeclined);
    EXPECT_EQ(first->fCloseCalls, 1);
    EXPECT_EQ(second->fCloseCalls, 1);
    EXPECT_EQ(third->fCloseCalls, 0);
    EXPECT_EQ(core.fQuits, 0);
    EXPECT_EQ(XGWindow::GetList(), second.get());

    second->fRefuse = false;
    EXPECT_EQ(core.DoDispatch(kQuit, 0, nullptr, false), 0);
    EXPECT_EQ(third->fCloseCalls, 1);
    EXPECT_EQ(core.fQuits, 1);
    EXPECT_EQ(XGWindow::GetList(), nullptr);
}

TEST_F(ViewsTest, OneCoreAtATime)
{
    EXPECT_EQ(XGAppCore::GetApplication(), nullptr);
    {
        TestCore core;
        EXPECT_EQ(XGAppCore::GetApplication(), &core);
        try {
            TestCore second;
            FAIL() << "a second core was registered";
        } catch (const XGKOVAUnexpected& error) {
            const std::string expected = "Unexpected error gApplication == NULL at XGAppCore(";
            EXPECT_EQ(std::string(error.what()).rfind(expected, 0), 0u) << error.what();
        }
        EXPECT_EQ(XGAppCore::GetApplication(), &core);
    }
    EXPECT_EQ(XGAppCore::GetApplication(), nullptr);
}

TEST_F(ViewsTest, RunHandlesWhatWasPostedThenEndsAtQuit)
{
    XGAppCore core;
    TestWindow window;
    auto* button = new XGButton(&window, {10, 10, 90, 34}, 4, "Four");
    PostMessageA(button->GetControlHWnd(), BM_CLICK, 0, 0);
    core.Quit();
    PostMessageA(button->GetControlHWnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(core.Run(), 0);
    EXPECT_EQ(window.fClicks, (std::vector<std::int32_t>{4, 4}));
    EXPECT_EQ(XGAppCore::GetLastMessage().message, static_cast<UINT>(BM_CLICK));
}

} // namespace
} // namespace kova::test
