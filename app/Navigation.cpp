#include "Navigation.h"

#include "AppMessages.h"
#include "ShellGlobals.h"

#include <wx/settings.h>
#include <wx/sizer.h>
#ifdef __WXMSW__
#include <commctrl.h>
#endif

#include <algorithm>

namespace {

// The navigation item a tree row stands for.
class NavItemData : public wxTreeItemData {
public:
    explicit NavItemData(const tarvel::NavItem& item) : item_(item) {}
    const tarvel::NavItem& Item() const { return item_; }

private:
    tarvel::NavItem item_;
};

wxString Text(int row, const char* fallback)
{
    return wxString::FromUTF8(tarvel::ShellText(row, fallback));
}

// English captions for the rows the tree uses, shown while the language table
// lacks a row.
const char* FallbackCaption(int row)
{
    switch (row) {
    case 8: return "ECU Information";
    case 9: return "Parameters Setting";
    case 10: return "Data Flow";
    case 11: return "Trouble Codes";
    case 13: return "Supply Voltage Test";
    case 14: return "ABS Lamp Test";
    case 15: return "ABS Sensor Test";
    case 16: return "EBS Pressure Test";
    case 17: return "Backup Pressure Test";
    case 18: return "DTC Check";
    case 19: return "Test Report";
    case 20: return "Diagnostics";
    case 21: return "EOL Test";
    case 22: return "Print System Tag";
    case 24: return "Lifting Axle Test";
    case 276: return "Height Sensor Calibration";
    case 298: return "ODR";
    case 448: return "Brake Lamp Test";
    case 488: return "Lifting Sensor Calibration";
    case 580: return "Underwater Valve Test";
    default: return "";
    }
}

} // namespace

class CNavigation::Environment : public tarvel::NavigationEnvironment {
public:
    explicit Environment(CNavigation& nav) : nav_(nav) {}
    void SelectPage(int page) override
    {
        if (nav_.selector_)
            nav_.selector_(page);
    }

private:
    CNavigation& nav_;
};

CNavTree::CNavTree(wxWindow* parent, wxWindowID id)
    : wxTreeCtrl(parent, id, wxDefaultPosition, wxDefaultSize,
                 wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_HIDE_ROOT | wxBORDER_SUNKEN | wxHSCROLL | wxVSCROLL)
{
#ifdef __WXMSW__
    // A cut caption must not pop up in a tip over the item below it, where
    // the tip would take that item's click.
    const HWND tree = static_cast<HWND>(GetHWND());
    ::SetWindowLong(tree, GWL_STYLE, ::GetWindowLong(tree, GWL_STYLE) | TVS_NOTOOLTIPS);
#endif
    // Nor any tip of ours.
    Bind(wxEVT_TREE_ITEM_GETTOOLTIP, [](wxTreeEvent& event) { event.Veto(); });
}

void CNavTree::SetItemHeight(int pixels)
{
    itemHeight_ = pixels;
#ifdef __WXMSW__
    TreeView_SetItemHeight(GetHWND(), pixels);
#else
    // The generic tree measures its rows from the font and only ever makes
    // them taller than it measured; a font change measures them anew.
    m_lineHeight = pixels;
    Refresh();
#endif
}

CNavigation::CNavigation(wxWindow* parent) : wxPanel(parent, IDD_NAVIGATION)
{
    tree_ = new CNavTree(this, IDC_NAV_TREE);
    tree_->SetFont(wxFont(wxSize(0, 22), wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false,
                          "Arial"));
    tree_->SetItemHeight(kNavItemHeight);
    tree_->SetBackgroundColour(wxColour(246, 246, 246));
    SetBackgroundColour(wxColour(246, 246, 246));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(tree_, 1, wxEXPAND);
    SetSizer(sizer);

    FillFixedEnglishTree();

    tree_->Bind(wxEVT_LEFT_DOWN, &CNavigation::OnLeftDown, this);
    tree_->Bind(wxEVT_LEFT_DCLICK, &CNavigation::OnLeftDown, this);
    tree_->Bind(wxEVT_IDLE, &CNavigation::OnTreeIdle, this);
    Bind(wxEVT_CHAR_HOOK, &CNavigation::OnCharHook, this);
    Bind(EVT_APP_MESSAGE, &CNavigation::OnRefreshTexts, this, WM_NAV_REFRESH_TEXTS);
    tarvel::RegisterWindow(tarvel::WindowSlot::Navigation, this);
}

void CNavigation::FillFixedEnglishTree()
{
    // The tree as it stands until the first refresh (start-up sends one).
    RebuildNavTree();
}

void CNavigation::RebuildNavTree()
{
    tree_->Freeze();
    tree_->DeleteAllItems();
    wxTreeItemId hidden = tree_->AddRoot(wxString());
    for (const tarvel::NavRoot& group : tarvel::BuildNavTree(tarvel::CurrentNavEquipment())) {
        wxTreeItemId root = tree_->AppendItem(hidden, Text(group.root.textRow, FallbackCaption(group.root.textRow)),
                                              -1, -1, new NavItemData(group.root));
        for (const tarvel::NavItem& item : group.items)
            tree_->AppendItem(root, Text(item.textRow, FallbackCaption(item.textRow)), -1, -1,
                              new NavItemData(item));
        tree_->Expand(root);
    }
    tree_->SetItemHeight(kNavItemHeight);
    tree_->Thaw();
    HighlightShownPage();
    // The items get their places when the tree next idles; the width they
    // need is told then.
    widthReportPending_ = true;
}

void CNavigation::OnTreeIdle(wxIdleEvent& event)
{
    event.Skip();
    if (shownPages_ && shownPages_() != highlightedFor_)
        HighlightShownPage();
    if (!widthReportPending_)
        return;
    widthReportPending_ = false;
    if (widthWanted_)
        widthWanted_(NeededWidth());
}

int CNavigation::NeededWidth() const
{
    // The right end of the widest caption, wherever the tree is scrolled.
    int right = 0;
    int unit = 0;
    tree_->GetScrollPixelsPerUnit(&unit, nullptr);
    const int scrolled = tree_->GetViewStart().x * unit;
    for (const wxTreeItemId& id : TreeItems()) {
        wxRect rect;
        if (tree_->GetBoundingRect(id, rect, true))
            right = std::max(right, rect.GetRight() + 1 + scrolled);
    }
    // A little air after the text, the tree's border, and room for its
    // vertical scroll bar whether it shows now or not.
    constexpr int kAir = 16;
    const int border = tree_->GetSize().x - tree_->GetClientSize().x;
    const int bar = tree_->HasScrollbar(wxVERTICAL) && border >= wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, tree_)
                        ? 0
                        : wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, tree_);
    return right + kAir + border + bar + (GetSize().x - tree_->GetSize().x);
}

void CNavigation::HighlightShownPage()
{
    highlightedFor_ = shownPages_ ? shownPages_() : std::vector<int>();
    const std::vector<wxTreeItemId> items = TreeItems();
    for (int page : highlightedFor_) {
        for (const wxTreeItemId& id : items) {
            const auto* data = static_cast<NavItemData*>(tree_->GetItemData(id));
            if (data && data->Item().page == page) {
                if (tree_->GetSelection() != id)
                    tree_->SelectItem(id);
                return;
            }
        }
    }
    tree_->UnselectAll();
}

std::vector<wxTreeItemId> CNavigation::TreeItems() const
{
    std::vector<wxTreeItemId> items;
    std::vector<wxTreeItemId> pending{tree_->GetRootItem()};
    while (!pending.empty()) {
        const wxTreeItemId parent = pending.back();
        pending.pop_back();
        wxTreeItemIdValue cookie;
        for (wxTreeItemId id = tree_->GetFirstChild(parent, cookie); id.IsOk();
             id = tree_->GetNextChild(parent, cookie)) {
            pending.push_back(id);
            items.push_back(id);
        }
    }
    return items;
}

const tarvel::NavItem* CNavigation::ItemAt(const wxPoint& point) const
{
    int flags = 0;
    wxTreeItemId id = tree_->HitTest(point, flags);
    const int outside = wxTREE_HITTEST_NOWHERE | wxTREE_HITTEST_ABOVE | wxTREE_HITTEST_BELOW |
                        wxTREE_HITTEST_TOLEFT | wxTREE_HITTEST_TORIGHT;
    if (!id.IsOk() || (flags & outside))
        return nullptr;
    auto* data = static_cast<NavItemData*>(tree_->GetItemData(id));
    return data ? &data->Item() : nullptr;
}

tarvel::NavClickOutcome CNavigation::ClickAt(const wxPoint& point)
{
    return ClickOn(ItemAt(point));
}

tarvel::NavClickOutcome CNavigation::ClickOn(const tarvel::NavItem* hit)
{
    // Copy the item: the click may rebuild the tree (a page sending
    // WM_NAV_REFRESH_TEXTS) while it runs.
    tarvel::NavItem item;
    if (hit)
        item = *hit;
    Environment env(*this);
    const tarvel::NavClickOutcome outcome = tarvel::OnNavTreeClick(env, hit ? &item : nullptr);
    // The highlight shows the page in front: the clicked one, or, when the
    // switch was refused, the one that stays.
    HighlightShownPage();
    return outcome;
}

void CNavigation::OnLeftDown(wxMouseEvent& event)
{
    // The item is the one under the mouse now: the tree may scroll a half
    // shown item into view as it selects it, and what lies under the same
    // point afterwards is another item.
    const tarvel::NavItem* hit = ItemAt(event.GetPosition());
    const bool onItem = hit != nullptr;
    tarvel::NavItem item;
    if (hit)
        item = *hit;
    event.Skip(); // let the tree select and expand as usual
    // The second press of a double click on the item the first press was
    // handled for only keeps the highlight where the page in front has it.
    const bool again = event.GetEventType() == wxEVT_LEFT_DCLICK && onItem == lastPressOnItem_ &&
                       (!onItem || (item.page == lastPress_.page && item.textRow == lastPress_.textRow));
    lastPressOnItem_ = onItem;
    lastPress_ = item;
    if (again) {
        CallAfter([this] { HighlightShownPage(); });
        return;
    }
    // Run the click after the tree has finished with the mouse: its guards
    // may show a modal box.
    CallAfter([this, onItem, item] { ClickOn(onItem ? &item : nullptr); });
}

void CNavigation::OnCharHook(wxKeyEvent& event)
{
    // Enter and Escape must neither close nor hide the pane.
    if (event.GetKeyCode() == WXK_RETURN || event.GetKeyCode() == WXK_ESCAPE ||
        event.GetKeyCode() == WXK_NUMPAD_ENTER)
        return;
    event.Skip();
}

void CNavigation::OnRefreshTexts(AppMessageEvent&)
{
    RebuildNavTree();
}
