#include "PageHost.h"

#include "AppMessagesEvent.h"

CMyTabCtrl::CMyTabCtrl(wxWindow* parent, wxWindowID id, int pageCount)
    : wxAuiNotebook(parent, id, wxDefaultPosition, wxDefaultSize, wxAUI_NB_TOP | wxAUI_NB_SCROLL_BUTTONS),
      visibility_(pageCount),
      pages_(static_cast<size_t>(visibility_.PageCount()), nullptr),
      captions_(static_cast<size_t>(visibility_.PageCount()))
{
    // A page asks for a tab (shown without being selected).
    Bind(EVT_SHOW_PAGE_TAB, [this](ShowPageTabEvent& event) { ShowTab(event.Tab(), event.ShowIt(), true, false); });
}

bool CMyTabCtrl::AddFixedPage(int index, wxWindow* page, const wxString& caption)
{
    if (!Valid(index) || !page || pages_[static_cast<size_t>(index)] || page->GetParent() != this)
        return false;
    pages_[static_cast<size_t>(index)] = page;
    captions_[static_cast<size_t>(index)] = caption;
    page->Hide();
    return true;
}

wxWindow* CMyTabCtrl::FixedPage(int index) const
{
    return Valid(index) ? pages_[static_cast<size_t>(index)] : nullptr;
}

int CMyTabCtrl::FrontFixedIndex() const
{
    const int selected = GetSelection();
    if (selected == wxNOT_FOUND)
        return -1;
    const wxWindow* front = GetPage(static_cast<size_t>(selected));
    for (int i = 0; i < visibility_.PageCount(); ++i)
        if (pages_[static_cast<size_t>(i)] == front)
            return i;
    return -1;
}

std::vector<int> CMyTabCtrl::ShownFixedIndexes() const
{
    std::vector<int> shown;
    const int front = FrontFixedIndex();
    if (front >= 0)
        shown.push_back(front);
    for (int i = 0; i < visibility_.PageCount(); ++i)
        if (i != front && visibility_.IsShown(i))
            shown.push_back(i);
    return shown;
}

void CMyTabCtrl::SetFixedCaption(int index, const wxString& caption)
{
    if (!Valid(index))
        return;
    captions_[static_cast<size_t>(index)] = caption;
    if (visibility_.IsShown(index))
        SetPageText(static_cast<size_t>(visibility_.PositionOf(index)), caption);
}

wxString CMyTabCtrl::FixedCaption(int index) const
{
    return Valid(index) ? captions_[static_cast<size_t>(index)] : wxString();
}

bool CMyTabCtrl::ShowTab(int index, bool show, bool recalcLayout, bool activate)
{
    wxWindow* page = FixedPage(index);
    if (!page)
        return false;
    if (show) {
        if (!visibility_.IsShown(index)) {
            const int position = visibility_.PositionOf(index);
            // Keep the selection where it is unless asked to activate.
            const int selected = GetSelection();
            InsertPage(static_cast<size_t>(position), page, captions_[static_cast<size_t>(index)], false);
            visibility_.Set(index, true);
            if (!activate && selected != wxNOT_FOUND && position <= selected)
                SetSelection(static_cast<size_t>(selected + 1));
        }
        if (activate)
            SetSelection(static_cast<size_t>(visibility_.PositionOf(index)));
    } else if (visibility_.IsShown(index)) {
        RemovePage(static_cast<size_t>(visibility_.PositionOf(index)));
        visibility_.Set(index, false);
        page->Hide();
    }
    if (recalcLayout)
        Layout();
    return true;
}

void CMyTabCtrl::HideAllTabs()
{
    for (int i = 0; i < visibility_.PageCount(); ++i)
        ShowTab(i, false, false, false);
    Layout();
}

void CMyTabCtrl::DestroyFixedPages()
{
    HideAllTabs();
    for (int i = visibility_.PageCount() - 1; i >= 0; --i) {
        wxWindow* page = pages_[static_cast<size_t>(i)];
        pages_[static_cast<size_t>(i)] = nullptr;
        if (page)
            page->Destroy();
    }
}
