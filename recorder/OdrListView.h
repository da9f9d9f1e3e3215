// The five-column list both recorder pages show: No., parameter name, value,
// unit and description, every row 40 pixels high. It is refilled only when
// what it shows changes, so a render with nothing new leaves the list (and
// where the user scrolled it) alone.
#pragma once

#include <string>
#include <vector>

class wxImageList;
class wxListCtrl;
class wxWindow;

class OdrListView {
public:
    static constexpr int kColumns = 5;
    static constexpr int kRowHeight = 40;

    OdrListView() = default;
    ~OdrListView();
    OdrListView(const OdrListView&) = delete;
    OdrListView& operator=(const OdrListView&) = delete;

    // Creates the list control on `parent` (the page owns it as its child).
    wxListCtrl* Create(wxWindow* parent, int id);
    wxListCtrl* Control() const { return list_; }

    // Shows `headers` and one line a row; a row has No, ParameterName, Value,
    // Unit and Description.
    template <class Row>
    void Show(const std::vector<std::string>& headers, const std::vector<Row>& rows)
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

    wxListCtrl* list_ = nullptr;
    wxImageList* rowHeight_ = nullptr;
    std::vector<std::string> shownCells_;
    std::vector<std::string> shownHeaders_;
};
