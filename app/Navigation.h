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

    // Re-reads the captions and equipment flags and refills the tree.
    void RebuildNavTree();
    // A click at a point in the tree's client coordinates.
    tarvel::NavClickOutcome ClickAt(const wxPoint& point);

    CNavTree* Tree() const { return tree_; }
    // The item (root or page) under a point; null on empty area.
    const tarvel::NavItem* ItemAt(const wxPoint& point) const;

private:
    class Environment;
    void FillFixedEnglishTree();
    void OnLeftDown(wxMouseEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnRefreshTexts(AppMessageEvent& event);

    CNavTree* tree_ = nullptr;
    std::function<void(int)> selector_;
};
