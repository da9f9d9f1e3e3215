// Clicks on the navigation tree with the mouse, as the user makes them:
//   - a switch the program refuses (a test runs, a download runs) leaves the
//     highlight on the page that stays in front;
//   - a click on an item opens that item, also right under a caption cut by
//     the pane's edge and on an item the tree only half shows.
#include "PageTour.h"

#include "EolGlobals.h"
#include "NavigationModel.h"

#include <gtest/gtest.h>


#include <filesystem>
#include <string>
#include <vector>

namespace {

class NavigationClicks : public ::testing::Test {
protected:
    void SetUp() override
    {
        startFolder_ = std::filesystem::current_path();
        ASSERT_TRUE(pagetour::StartIn(program_, "navigation_clicks", 1));
        app_ = program_.app;
        ASSERT_TRUE(pagetour::SizeWindow(app_->MainFrame(), wxSize(1024, 768)));
        ASSERT_TRUE(guidriver::Connect(app_));
        pagetour::EnableEveryItem(app_->MainFrame());
        pagetour::Settle();
    }
    void TearDown() override
    {
        EolTestIdle = 1;
        DownloadIdle = 1;
        program_.Stop();
        std::filesystem::current_path(startFolder_);
    }

    CNavigation* Nav() const { return app_->MainFrame()->Navigation(); }
    CNavTree* Tree() const { return Nav()->Tree(); }
    CMyTabCtrl* Tabs() const { return app_->View()->TabCtrl(); }

    // The item that opens `page`.
    wxTreeItemId ItemOf(int page) const
    {
        for (const wxTreeItemId& id : Nav()->TreeItems()) {
            wxRect rect;
            if (Tree()->GetBoundingRect(id, rect, true)) {
                const tarvel::NavItem* item = Nav()->ItemAt(wxPoint(rect.x + 2, rect.y + rect.height / 2));
                if (item && item->page == page)
                    return id;
            }
        }
        return wxTreeItemId();
    }

    // The mouse events the window system delivers, sent to the tree as it
    // gets them (a real pointer would be shared with the other tests that
    // run beside this one on the same display).
    void Send(wxEventType type, const wxPoint& point, bool leftDown)
    {
        wxMouseEvent event(type);
        event.SetPosition(point);
        event.SetLeftDown(leftDown);
        event.SetEventObject(Tree());
        event.SetId(Tree()->GetId());
        Tree()->GetEventHandler()->ProcessEvent(event);
    }

    // The mouse comes to rest at `point`.
    void MoveTo(const wxPoint& point)
    {
        Send(wxEVT_ENTER_WINDOW, point, false);
        Send(wxEVT_MOTION, point, false);
        pagetour::Settle(4);
    }

    // A left click at `point`; `second`: the second press of a double click
    // (the window system then sends a double click in place of the press).
    void ClickTreeAt(const wxPoint& point, bool second = false)
    {
        MoveTo(point);
        Send(second ? wxEVT_LEFT_DCLICK : wxEVT_LEFT_DOWN, point, true);
        Send(wxEVT_LEFT_UP, point, false);
        pagetour::Settle(6);
    }

    void ClickItem(int page)
    {
        const wxTreeItemId id = ItemOf(page);
        ASSERT_TRUE(id.IsOk()) << page;
        Tree()->EnsureVisible(id);
        pagetour::Settle(4);
        wxRect rect;
        ASSERT_TRUE(Tree()->GetBoundingRect(id, rect, true));
        ClickTreeAt(wxPoint(rect.x + 8, rect.y + rect.height / 2));
    }

    tarvel_test::ProgramUnderTest program_;
    CTarvelApp* app_ = nullptr;
    std::filesystem::path startFolder_;
};

TEST_F(NavigationClicks, ARefusedSwitchLeavesTheHighlightOnThePageInFront)
{
    ClickItem(tarvel::TabDeviceInfo);
    ASSERT_EQ(Tabs()->FrontFixedIndex(), tarvel::TabDeviceInfo);
    ASSERT_EQ(Tree()->GetSelection(), ItemOf(tarvel::TabDeviceInfo));

    struct Refusal {
        const char* what;
        std::atomic<int32_t>* eolIdle;
        int32_t* downloadIdle;
    };
    for (const Refusal& refusal : {Refusal{"a test runs", &EolTestIdle, nullptr},
                                   Refusal{"a download runs", nullptr, &DownloadIdle}}) {
        if (refusal.eolIdle)
            *refusal.eolIdle = 0;
        if (refusal.downloadIdle)
            *refusal.downloadIdle = 0;
        ClickItem(tarvel::TabTroubleCodes);
        EXPECT_EQ(Tabs()->FrontFixedIndex(), tarvel::TabDeviceInfo) << refusal.what;
        EXPECT_EQ(Tree()->GetSelection(), ItemOf(tarvel::TabDeviceInfo)) << refusal.what << ", highlighted: " << Tree()->GetItemText(Tree()->GetSelection());
        EolTestIdle = 1;
        DownloadIdle = 1;
    }
    // Allowed again, the click opens the page and the highlight follows.
    ClickItem(tarvel::TabTroubleCodes);
    EXPECT_EQ(Tabs()->FrontFixedIndex(), tarvel::TabTroubleCodes);
    EXPECT_EQ(Tree()->GetSelection(), ItemOf(tarvel::TabTroubleCodes));
    // A page the tree has no item for (from the ribbon) takes the highlight
    // off the tree.
    guidriver::Press(app_->MainFrame()->Ribbon().toolButtons, ID_RSSCALIBBTN);
    pagetour::Settle(12);
    EXPECT_EQ(Tabs()->FrontFixedIndex(), tarvel::TabRssCalibration);
    EXPECT_FALSE(Tree()->GetSelection().IsOk() && Tree()->IsSelected(Tree()->GetSelection()));
}

TEST_F(NavigationClicks, AClickOpensTheItemUnderTheMouse)
{
    // A caption far wider than the pane, over the item below it.
    const std::string wide = "Supply Voltage Test of the trailer brake system, checked at the end of the line";
    tarvel::Services().text = [&wide](int row) { return row == 13 ? wide : std::string(); };
    Nav()->RebuildNavTree();
    pagetour::Settle(8);
    const wxTreeItemId cut = ItemOf(tarvel::TabEolVoltage);
    ASSERT_TRUE(cut.IsOk());
    Tree()->EnsureVisible(cut);
    pagetour::Settle(4);
    wxRect rect;
    ASSERT_TRUE(Tree()->GetBoundingRect(cut, rect, true));
    ASSERT_GT(rect.GetRight(), Tree()->GetClientSize().x) << "the caption is cut by the pane's edge";
    // The mouse rests on the cut caption, then clicks the item right under it.
    MoveTo(wxPoint(rect.x + 20, rect.y + rect.height / 2));
    pagetour::Settle(20);
    ClickTreeAt(wxPoint(rect.x + 20, rect.GetBottom() + 6));
    EXPECT_EQ(Tabs()->FrontFixedIndex(), tarvel::TabEolLamp);
    tarvel::ResetShellServices();
    Nav()->RebuildNavTree();
    pagetour::Settle(8);

    // Two quick clicks a few pixels apart across the border of two items are
    // a double click for the window system; the second opens its own item.
    const wxTreeItemId upper = ItemOf(tarvel::TabEolVoltage);
    ASSERT_TRUE(upper.IsOk());
    Tree()->EnsureVisible(upper);
    pagetour::Settle(4);
    ASSERT_TRUE(Tree()->GetBoundingRect(upper, rect, true));
    const int border = rect.GetBottom();
    ClickTreeAt(wxPoint(rect.x + 20, border - 1));
    EXPECT_EQ(Tabs()->FrontFixedIndex(), tarvel::TabEolVoltage);
    ClickTreeAt(wxPoint(rect.x + 20, border + 3), true);
    EXPECT_EQ(Tabs()->FrontFixedIndex(), tarvel::TabEolLamp);
    // A double click on one item opens it once.
    const int activations = app_->View()->Page(tarvel::TabEolLamp)->ActivationCount();
    ClickTreeAt(wxPoint(rect.x + 24, border + 12));
    ClickTreeAt(wxPoint(rect.x + 24, border + 12), true);
    EXPECT_EQ(Tabs()->FrontFixedIndex(), tarvel::TabEolLamp);
    EXPECT_EQ(app_->View()->Page(tarvel::TabEolLamp)->ActivationCount(), activations + 1);

    // An item the tree shows only half at its bottom edge: the tree scrolls
    // it into view as it is clicked, and the item clicked is the one opened.
    const int height = Tree()->GetClientSize().y;
    for (int step = 0; step < 40; ++step) {
        Tree()->Scroll(0, step);
        pagetour::Settle(2);
        wxTreeItemId half;
        int page = tarvel::NoPage;
        for (const wxTreeItemId& id : Nav()->TreeItems()) {
            wxRect r;
            if (Tree()->GetBoundingRect(id, r, true) && r.y < height - 8 && r.GetBottom() > height + 8) {
                const tarvel::NavItem* item = Nav()->ItemAt(wxPoint(r.x + 8, (r.y + height) / 2));
                if (item && item->page != tarvel::NoPage) {
                    half = id;
                    page = item->page;
                    rect = r;
                    break;
                }
            }
        }
        if (!half.IsOk())
            continue;
        ClickTreeAt(wxPoint(rect.x + 8, rect.y + 4));
        EXPECT_EQ(Tabs()->FrontFixedIndex(), page) << Tree()->GetItemText(half);
        return;
    }
    FAIL() << "no item was ever half shown";
}

} // namespace
