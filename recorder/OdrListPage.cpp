#include "OdrListPage.h"

#include "FittedColumns.h"
#include "ListRowHeight.h"

#include <algorithm>

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>

COdrListPage::COdrListPage(int tab) : CTarvelPage(tab) {}

COdrListPage::~COdrListPage()
{
    // The list, a child window, outlives this part of the page by a moment;
    // it must not keep the image list deleted here.
    if (list_)
        list_->SetImageList(nullptr, wxIMAGE_LIST_SMALL);
    delete rowHeight_;
}

bool COdrListPage::Create(wxWindow* parent)
{
    if (!CTarvelPage::Create(parent))
        return false;
    Bind(wxEVT_CHAR_HOOK, &COdrListPage::OnCharHook, this);
    return true;
}

void COdrListPage::OnCharHook(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER || key == WXK_ESCAPE)
        return; // swallowed
    event.Skip();
}

wxListCtrl* COdrListPage::CreateList(int id)
{
    list_ = new wxListCtrl(this, id, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_HRULES | wxLC_VRULES);
    // A 1 x 40 image list makes every row 40 pixels high.
    rowHeight_ = MakeRowHeightImages(kRowHeight);
    list_->SetImageList(rowHeight_, wxIMAGE_LIST_SMALL);
    // The value stays in view: the name gives way to it, the unit follows it
    // and the description takes what is left.
    KeepColumnsFitted(list_, {{ColumnRole::Whole},
                              {ColumnRole::GivesWay, kLeastNameWidth},
                              {ColumnRole::Whole},
                              {ColumnRole::Follows},
                              {ColumnRole::Fills}});
    return list_;
}

void COdrListPage::ShowCells(const std::vector<std::string>& headers, const std::vector<std::string>& cells)
{
    if (!list_)
        return;
    if (shownHeaders_ != headers) {
        shownHeaders_ = headers;
        list_->DeleteAllColumns();
        static const int widths[kColumns] = {60, 320, 160, 100, 1000};
        for (size_t c = 0; c < headers.size() && c < kColumns; ++c)
            list_->InsertColumn(static_cast<long>(c), wxString::FromUTF8(headers[c]),
                                c < kColumns - 1 ? wxLIST_FORMAT_CENTRE : wxLIST_FORMAT_LEFT, widths[c]);
        shownCells_.clear();
    }
    const size_t rows = cells.size() / kColumns;
    if (cells == shownCells_ && static_cast<size_t>(list_->GetItemCount()) == rows)
        return;
    shownCells_ = cells;
    list_->DeleteAllItems();
    for (size_t i = 0; i < rows; ++i) {
        const std::string* row = &cells[i * kColumns];
        const long item = list_->InsertItem(static_cast<long>(i), wxString::FromUTF8(row[0]), 0);
        for (int c = 1; c < kColumns; ++c)
            list_->SetItem(item, c, wxString::FromUTF8(row[c]));
    }
    RefitColumns(list_);
}
