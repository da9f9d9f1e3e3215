// The navigation dialog in the left pane: a two-level tree of the program's
// functions. The tree is a thin view over the navigation model: each item
// carries the page it opens, and a click runs the model's guards.
#pragma once

#include "AppMessagesEvent.h"
#include "NavigationModel.h"
#include "WindowRegistry.h"

#include <wx/panel.h>
#include <wx/treectrl.h>

#include <functional>
#include <vector>

constexpr int IDC_NAV_TREE = 1352;
constexpr int IDD_NAVIGATION = 369;

// The tree of the navigation pane: items of a fixed height, and a
// horizontal scroll bar whenever an item is wider than the pane.
class CNavTree : public wxTreeCtrl {
public:
    CNavTree(wxWindow* parent, wxWindowID id);
    void SetItemHeight(int pixels);
    int ItemHeight() const { return itemHeight_; }

private:
    int itemHeight_ = 0;
};

constexpr int kNavItemHeight = 35;

class CNavigation : public wxPanel, public tarvel::MessageTarget {
public:
    explicit CNavigation(wxWindow* parent);

    bool HandleAppMessage(int message) override { return SendAppMessage(this, message); }

    // Where an accepted click hands its page (the view's page switch).
    void SetPageSelector(std::function<void(int page)> selector) { selector_ = std::move(selector); }
    // The pages shown, the one in front first: the highlight is on the item
    // of the first of them that has one (none when none has), after every
    // click, so a refused switch leaves it on the page that stays, and
    // whenever the shown pages change otherwise (the ribbon's page commands,
    // a disconnect).
    void SetShownPagesSource(std::function<std::vector<int>()> source) { shownPages_ = std::move(source); }
    // Told the width the pane needs to show every caption whole, whenever the
    // captions change.
    void SetWidthWanted(std::function<void(int width)> wanted) { widthWanted_ = std::move(wanted); }
    // The width this panel needs so that no caption is cut (valid once the
    // tree has laid its items out).
    int NeededWidth() const;
    // Highlights the item of the page in front, or nothing.
    void HighlightShownPage();

    // Re-reads the captions and equipment flags and refills the tree.
    void RebuildNavTree();
    // A click at a point in the tree's client coordinates.
    tarvel::NavClickOutcome ClickAt(const wxPoint& point);
    // A click on `item` (null: on empty tree area).
    tarvel::NavClickOutcome ClickOn(const tarvel::NavItem* item);

    CNavTree* Tree() const { return tree_; }
    // Every item below the hidden root, each root before its pages.
    std::vector<wxTreeItemId> TreeItems() const;
    // The item (root or page) under a point; null on empty area.
    const tarvel::NavItem* ItemAt(const wxPoint& point) const;

private:
    class Environment;
    void FillFixedEnglishTree();
    void OnLeftDown(wxMouseEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnRefreshTexts(AppMessageEvent& event);
    void OnTreeIdle(wxIdleEvent& event);

    CNavTree* tree_ = nullptr;
    std::function<void(int)> selector_;
    std::function<std::vector<int>()> shownPages_;
    std::vector<int> highlightedFor_;
    std::function<void(int)> widthWanted_;
    bool widthReportPending_ = false;
    // What the last press of the mouse was on.
    bool lastPressOnItem_ = false;
    tarvel::NavItem lastPress_;
};
