// The page host: a tab control whose pages keep fixed indices 0..22 while
// only the shown ones are tabs. Hiding a tab removes it from the control
// (the page stays alive, owned by the control); showing inserts it again at
// the place its index gives among the shown tabs.
#pragma once

#include "PageHostModel.h"

#include <wx/aui/auibook.h>

#include <vector>

class CMyTabCtrl : public wxAuiNotebook {
public:
    CMyTabCtrl(wxWindow* parent, wxWindowID id, int pageCount);

    // Places a page created as a child of this control at its fixed index,
    // hidden. False for a bad index, an index already taken or a page with
    // another parent.
    bool AddFixedPage(int index, wxWindow* page, const wxString& caption);

    // Shows or hides the tab of a fixed index; false for a bad index or an
    // empty slot. Showing does not select the tab unless `activate` is set.
    bool ShowTab(int index, bool show, bool recalcLayout = true, bool activate = false);
    void HideAllTabs();

    bool IsTabShown(int index) const { return visibility_.IsShown(index); }
    int ShownTabCount() const { return visibility_.ShownCount(); }
    // The page at a fixed index, or null.
    wxWindow* FixedPage(int index) const;
    int FixedPageCount() const { return visibility_.PageCount(); }
    // The fixed index of the page in front, or -1 when no tab is shown.
    int FrontFixedIndex() const;
    // The fixed indexes of the shown pages, the one in front first.
    std::vector<int> ShownFixedIndexes() const;
    void SetFixedCaption(int index, const wxString& caption);
    wxString FixedCaption(int index) const;

    // Removes every tab and destroys the pages, highest index first.
    void DestroyFixedPages();

private:
    bool Valid(int index) const { return index >= 0 && index < visibility_.PageCount(); }

    tarvel::PageVisibility visibility_;
    std::vector<wxWindow*> pages_;
    std::vector<wxString> captions_;
};
