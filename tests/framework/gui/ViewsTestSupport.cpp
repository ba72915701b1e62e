#include "tests/framework/gui/ViewsTestSupport.h"

#include "framework/gui/AppMain.h"

#include <cstring>

// The tests link the entry for its globals; they never run it.
kova::XGAppCore* StartApplication()
{
    return nullptr;
}

namespace kova::test {

void TestView::GetTitle(char* buffer)
{
    std::strncpy(buffer, fTitle.c_str(), kTitleSize - 1);
    buffer[kTitleSize - 1] = '\0';
}

void TestView::OffsetView(std::int32_t h, std::int32_t v)
{
    fOffsets.emplace_back(h, v);
    XGView::OffsetView(h, v);
}

constinit const _DispatchTable TestWindow::_Dispatch[] = {
    KOVADispatchEntry<&TestWindow::DoClick>("cclk"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(TestWindow, XGWindow, nullptr)

bool TestWindow::Close()
{
    ++fCloseCalls;
    return !fRefuse && XGWindow::Close();
}

std::int32_t TestWindow::DoClick(std::int32_t viewID, void* data)
{
    EXPECT_EQ(data, nullptr);
    fClicks.push_back(viewID);
    return 0;
}

void ViewsTest::SetUp()
{
    FormatWindowClassNames(reinterpret_cast<UINT_PTR>(GetModuleHandleA(NULL)));
    _GMDIWindow = NULL;
    _GMainWindow = NULL;
}

void ViewsTest::TearDown()
{
    XGDispatch* focus = XGDispatch::GetFocus();
    if (focus != nullptr) {
        focus->ReleaseFocus();
    }
    _GMDIWindow = NULL;
    _GMainWindow = NULL;
}

} // namespace kova::test
