// The system-tag page's window: Read Parameter and Print System Tag, the
// four-column parameter list with 40-pixel rows, and the edit box that opens
// over the value cell of the manufacturer, type and VIN rows.
#pragma once

#include "PageHostPage.h"
#include "PrintSystemTagState.h"

#include <vector>

class AppMessageEvent;
class wxButton;
class wxCommandEvent;
class wxFocusEvent;
class wxKeyEvent;
class wxListCtrl;
class wxMouseEvent;
class wxTextCtrl;

class CPrintSystemTag : public CTarvelPage {
public:
    static constexpr int kReadButtonId = 1532;
    static constexpr int kLoadButtonId = 1533;
    static constexpr int kEditorId = 1535;
    static constexpr int kPrintButtonId = 1536;
    static constexpr int kListId = 1537;
    static constexpr int kRowHeight = 40;
    // The narrowest the name column is made to leave the value in view.
    static constexpr int kLeastNameWidth = 120;

    CPrintSystemTag();
    bool Create(wxWindow* parent) override;

    wxButton* ReadButton() const { return read_; }
    wxButton* LoadButton() const { return load_; }
    wxButton* PrintButton() const { return print_; }
    wxListCtrl* List() const { return list_; }
    wxTextCtrl* Editor() const { return editor_; }
    // The window the rows are drawn in (the list itself, or its item area
    // below the header); double clicks and the edit box live there.
    wxWindow* ItemArea() const { return itemArea_; }

    // A double click at `point` of the item area.
    void DoubleClickAt(const wxPoint& point);
    // The rectangle of a cell in item-area coordinates (empty when there is none).
    wxRect CellRect(long row, int column) const;

protected:
    void RenderState() override;

private:
    void OnReadButton(wxCommandEvent& event);
    void OnPrintButton(wxCommandEvent& event);
    void OnUpdate(AppMessageEvent& event);
    void OnItemAreaDoubleClick(wxMouseEvent& event);
    void OnEditorKillFocus(wxFocusEvent& event);
    void OnEditorSetFocus(wxFocusEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void CommitEditor();

    wxButton* read_ = nullptr;
    wxButton* load_ = nullptr;
    wxButton* print_ = nullptr;
    wxListCtrl* list_ = nullptr;
    wxWindow* itemArea_ = nullptr;
    wxTextCtrl* editor_ = nullptr;
    std::vector<PrintSystemTagState::Row> shownRows_;
};
