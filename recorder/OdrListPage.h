// The window half both recorder pages share: the five-column list (No.,
// parameter name, value, unit, description), every row 40 pixels high and
// refilled only when what it shows changes, so a render with nothing new
// leaves the list (and where the user scrolled it) alone; and Enter and
// Escape swallowed, so they neither close the page nor press a button.
#pragma once

#include "PageHostPage.h"

#include <string>
#include <vector>

class wxImageList;
class wxKeyEvent;
class wxListCtrl;

class COdrListPage : public CTarvelPage {
public:
    static constexpr int kColumns = 5;
    static constexpr int kRowHeight = 40;
    // The narrowest the name column is made to leave the value in view.
    static constexpr int kLeastNameWidth = 120;

    ~COdrListPage() override;
    // Creates the page; a page builds its controls after this.
    bool Create(wxWindow* parent) override;

protected:
    explicit COdrListPage(int tab);

    // Creates the list as the page's child.
    wxListCtrl* CreateList(int id);
    wxListCtrl* List() const { return list_; }

    // Shows `headers` and one line a row; a row has No, ParameterName, Value,
    // Unit and Description.
    template <class Row>
    void ShowList(const std::vector<std::string>& headers, const std::vector<Row>& rows)
    {
        std::vector<std::string> cells;
        cells.reserve(rows.size() * kColumns);
        for (const Row& row : rows)
            cells.insert(cells.end(), {row.No, row.ParameterName, row.Value, row.Unit, row.Description});
        ShowCells(headers, cells);
    }

private:
    // `cells` holds kColumns cells a row, row after row.
    void ShowCells(const std::vector<std::string>& headers, const std::vector<std::string>& cells);
    void OnCharHook(wxKeyEvent& event);

    wxListCtrl* list_ = nullptr;
    wxImageList* rowHeight_ = nullptr;
    std::vector<std::string> shownCells_;
    std::vector<std::string> shownHeaders_;
};
