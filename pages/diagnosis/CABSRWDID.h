// The parameters page's window: the record list, the five-column grid with
// its in-place editor on the Value column, and the Read, Write, Load from
// File and Save to File buttons. Every event goes to ABSRWDIDLogic; the
// window only shows its state.
#pragma once

#include "PageHostPage.h"

class ABSRWDIDLogic;
class wxButton;
class wxComboBox;
class wxFocusEvent;
class wxGrid;
class wxGridEvent;
class wxKeyEvent;
class wxStaticText;
class wxTextCtrl;

class CABSRWDID : public CTarvelPage {
public:
    // Window ids of the controls.
    static constexpr int kLabelId = 1248;
    static constexpr int kComboId = 1231;
    static constexpr int kGridId = 1226;
    static constexpr int kEditorId = 1167;
    static constexpr int kReadId = 1227;
    static constexpr int kWriteId = 1228;
    static constexpr int kLoadId = 1498;
    static constexpr int kSaveId = 1499;
    static constexpr int kRowHeight = 40;

    CABSRWDID();
    bool Create(wxWindow* parent) override;

    wxComboBox* Combo() const { return combo_; }
    wxGrid* Grid() const { return grid_; }
    wxTextCtrl* Editor() const { return editor_; }
    wxButton* ReadButton() const { return read_; }
    wxButton* WriteButton() const { return write_; }
    wxButton* LoadButton() const { return load_; }
    wxButton* SaveButton() const { return save_; }

protected:
    void RenderState() override;

private:
    ABSRWDIDLogic* PageLogicOf() const;

    wxStaticText* label_ = nullptr;
    wxComboBox* combo_ = nullptr;
    wxGrid* grid_ = nullptr;
    wxTextCtrl* editor_ = nullptr;
    wxButton* read_ = nullptr;
    wxButton* write_ = nullptr;
    wxButton* load_ = nullptr;
    wxButton* save_ = nullptr;
    ABSRWDIDLogic* tabsInstalledFor_ = nullptr;
};
