#include "framework/gui/XGView.h"

#include "tests/framework/gui/ViewsTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kova::test {
namespace {

/// One view of a tree laid out by a test: its parent's index (-1 for the root) and state.
struct Node {
    int parent;
    std::int16_t id;
    bool tabStop = true;
    bool visible = true;
    bool enabled = true;
    const char* title = "";
};

struct Tree {
    explicit Tree(const std::vector<Node>& nodes)
    {
        for (const Node& node : nodes) {
            auto* view = new TestView(node.parent < 0 ? nullptr : views[node.parent], node.id,
                                      node.tabStop, node.title);
            view->SetVisible(node.visible);
            view->SetEnabled(node.enabled);
            views.push_back(view);
        }
        root.reset(views[0]);
    }

    int IndexOf(const XGView* view) const
    {
        for (std::size_t i = 0; i < views.size(); ++i) {
            if (views[i] == view) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    std::vector<TestView*> views;
    std::unique_ptr<TestView> root; // owns the others
};

struct TabCase {
    const char* name;
    std::vector<Node> nodes;
    std::int16_t bound;
    int first, last, before, after; // indices of the expected views; -1 for none
};

class TabSearch : public ViewsTest, public ::testing::WithParamInterface<TabCase> {};

TEST_P(TabSearch, FindsTheCandidateOfEachEnd)
{
    const TabCase& c = GetParam();
    Tree tree(c.nodes);
    XGView& root = *tree.root;
    EXPECT_EQ(tree.IndexOf(root.FindFirstView()), c.first);
    EXPECT_EQ(tree.IndexOf(root.FindLastView()), c.last);
    EXPECT_EQ(tree.IndexOf(root.FindBeforeView(c.bound)), c.before);
    EXPECT_EQ(tree.IndexOf(root.FindAfterView(c.bound)), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Views, TabSearch,
    ::testing::Values(
        TabCase{"IdsThreeOneTwo", {{-1, 0, false}, {0, 3}, {0, 1}, {0, 2}}, 1, 2, 1, -1, 3},
        // Pre-order: 2, 1 (a grandchild), 1, 2: of equal IDs the first met wins.
        TabCase{"TiesGoToTheFirstInPreOrder",
                {{-1, 0, false}, {0, 2}, {1, 1}, {0, 1}, {0, 2}},
                2,
                2,
                1,
                2,
                -1},
        TabCase{"NegativeIdsComeFirst", {{-1, 0, false}, {0, 3}, {0, -5}}, 3, 2, 1, 2, -1},
        TabCase{"SignedNotUnsigned", {{-1, 0, false}, {0, -1}, {0, 32767}}, 0, 1, 2, 1, 2},
        TabCase{"OnlyVisibleEnabledTabStopsWithAnId",
                {{-1, 0, false},
                 {0, 0, false, false},
                 {1, 1},
                 {0, 0, false, true, false},
                 {3, 2},
                 {0, 3},
                 {0, 4, false},
                 {0, 0, true}},
                2,
                5,
                5,
                -1,
                5},
        TabCase{"TheRootItselfTakesPart", {{-1, 5}, {0, 7}}, 6, 0, 1, 0, 1},
        TabCase{"NoCandidateAtAll", {{-1, 0, false}, {0, 0}}, 0, -1, -1, -1, -1}),
    [](const ::testing::TestParamInfo<TabCase>& info) { return std::string(info.param.name); });

struct AccelCase {
    const char* name;
    std::vector<Node> nodes;
    char key;
    int expected;
};

class Accelerator : public ViewsTest, public ::testing::WithParamInterface<AccelCase> {};

TEST_P(Accelerator, FindsTheFirstMarkedTitleInPreOrder)
{
    const AccelCase& c = GetParam();
    Tree tree(c.nodes);
    EXPECT_EQ(tree.IndexOf(tree.root->FindViewByAccel(c.key)), c.expected);
}

Node Titled(int parent, const char* title, bool visible = true, bool enabled = true)
{
    return {parent, 0, false, visible, enabled, title};
}

INSTANTIATE_TEST_SUITE_P(
    Views, Accelerator,
    ::testing::Values(
        AccelCase{"LowerCaseKey", {Titled(-1, ""), Titled(0, "&Open")}, 'o', 1},
        AccelCase{"UpperCaseKey", {Titled(-1, ""), Titled(0, "&Open")}, 'O', 1},
        AccelCase{"MarkInsideTitle", {Titled(-1, ""), Titled(0, "Save &As")}, 'a', 1},
        AccelCase{"UnmarkedLetter", {Titled(-1, ""), Titled(0, "Save &As")}, 's', -1},
        AccelCase{"DoubledAmpersandMarksAmpersand", {Titled(-1, ""), Titled(0, "R&&D")}, '&', 1},
        AccelCase{"DoubledAmpersandMarksNext", {Titled(-1, ""), Titled(0, "R&&D")}, 'd', 1},
        AccelCase{"NoAmpersand", {Titled(-1, ""), Titled(0, "Nothing")}, 'n', -1},
        AccelCase{"TrailingAmpersandMarksTheEnd", {Titled(-1, ""), Titled(0, "End&")}, '\0', 1},
        AccelCase{"OnlyAsciiLettersFold", {Titled(-1, ""), Titled(0, "&\xE9t\xE9")}, '\xC9', -1},
        AccelCase{"OtherBytesExactly", {Titled(-1, ""), Titled(0, "&\xE9t\xE9")}, '\xE9', 1},
        AccelCase{"OwnTitleBeforeChildren", {Titled(-1, "&Root"), Titled(0, "&Rest")}, 'r', 0},
        AccelCase{"DepthFirst",
                  {Titled(-1, ""), Titled(0, "Box"), Titled(1, "&Inner"), Titled(0, "&Item")},
                  'i',
                  2},
        AccelCase{"HiddenAndDisabledStillFound",
                  {Titled(-1, ""), Titled(0, "&Hidden", false, false)},
                  'h',
                  1}),
    [](const ::testing::TestParamInfo<AccelCase>& info) { return std::string(info.param.name); });

TEST_F(ViewsTest, VisibleAndEnabledOnlyWithAllAncestors)
{
    Tree tree({{-1, 0}, {0, 0}, {1, 0}});
    XGView& leaf = *tree.views[2];
    EXPECT_TRUE(leaf.IsVisible());
    tree.root->SetVisible(false);
    EXPECT_FALSE(leaf.IsVisible());
    EXPECT_TRUE(leaf.IsEnabled());
    tree.views[1]->SetEnabled(false);
    EXPECT_FALSE(leaf.IsEnabled());
    EXPECT_TRUE(tree.root->IsEnabled());
}

TEST_F(ViewsTest, FindNextViewWalksTheWholeTreeInPreOrder)
{
    Tree tree({{-1, 0}, {0, 0}, {1, 0}, {1, 0}, {0, 0}});
    std::vector<int> order;
    for (XGView* view = tree.root.get(); view != nullptr; view = view->FindNextView()) {
        order.push_back(tree.IndexOf(view));
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    // From inside a subtree the walk leaves it for the rest of the tree.
    EXPECT_EQ(tree.views[3]->FindNextView(), tree.views[4]);
}

TEST_F(ViewsTest, ADestroyedViewLeavesItsParentAndTheFocus)
{
    Tree tree({{-1, 0}, {0, 1}, {0, 2}, {2, 3}, {0, 4}});
    tree.views[3]->TakeFocus();
    delete tree.views[2]; // and with it its child, which has the focus
    EXPECT_EQ(XGDispatch::GetFocus(), nullptr);
    EXPECT_EQ(tree.root->GetChild(), tree.views[1]);
    EXPECT_EQ(tree.views[1]->GetSibling(), tree.views[4]);
    EXPECT_EQ(tree.root->FindLastView(), tree.views[4]);
    delete tree.views[4];
    EXPECT_EQ(tree.views[1]->GetSibling(), nullptr);
}

TEST_F(ViewsTest, AViewWithoutARootWindowIsNeverActive)
{
    TestView view(nullptr);
    EXPECT_FALSE(view.IsActive());
    view.UpdateView(); // no window to repaint: nothing happens
    TestWindow window;
    EXPECT_TRUE(window.IsActive());
    TestView inside(&window);
    EXPECT_EQ(inside.GetRootWindow(), window.GetHWnd());
    EXPECT_TRUE(inside.IsActive());
}

} // namespace
} // namespace kova::test
