// The connectors page's window (tab 22, hidden): the Update Version button,
// the current and required version, the GIO list (GIO 1..5 by pin 1, 3, 4)
// and the connector list, whose assignment cells open a drop-down list of the
// connector's options. Cells of pins claimed twice are drawn red. It answers
// the page's three messages and shows what its logic worked out.
#pragma once

#include "PageHostPage.h"

#include <wx/colour.h>
#include <wx/font.h>

class AppMessageEvent;
class CNILikeStatic;
class wxButton;
class wxCommandEvent;
class wxGrid;
class wxGridEvent;
class wxStaticText;

class ABSConnectors : public CTarvelPage {
public:
    static constexpr int kUpdateButtonId = 1713;
    static constexpr int kCurrentLabelId = 1711;
    static constexpr int kCurrentValueId = 1710;
    static constexpr int kRequiredLabelId = 1712;
    static constexpr int kRequiredValueId = 1709;
    static constexpr int kGioListId = 1708;
    static constexpr int kConnectorListId = 1287;
    static constexpr int kRowHeight = 40;
    // The face the page font asks for (the system's face where it is missing).
    static const wxString kFontFace;
    static constexpr int kFontHeight = 25;
    // Conflicting cells.
    static const wxColour kConflictColour;

    ABSConnectors();
    bool Create(wxWindow* parent) override;

    wxButton* UpdateButton() const { return update_; }
    wxStaticText* CurrentLabel() const { return currentLabel_; }
    wxStaticText* RequiredLabel() const { return requiredLabel_; }
    CNILikeStatic* CurrentValue() const { return currentValue_; }
    CNILikeStatic* RequiredValue() const { return requiredValue_; }
    wxGrid* GioList() const { return gio_; }
    wxGrid* ConnectorList() const { return list_; }
    const wxFont& PageFont() const { return pageFont_; }

protected:
    void RenderState() override;

private:
    void OnUpdateButton(wxCommandEvent& event);
    void OnReadVersion(AppMessageEvent& event);
    void OnRelabel(AppMessageEvent& event);
    void OnRefresh(AppMessageEvent& event);
    void OnConnectorClick(wxGridEvent& event);
    void OnAssignmentChanged(wxGridEvent& event);

    wxButton* update_ = nullptr;
    wxStaticText* currentLabel_ = nullptr;
    wxStaticText* requiredLabel_ = nullptr;
    CNILikeStatic* currentValue_ = nullptr;
    CNILikeStatic* requiredValue_ = nullptr;
    wxGrid* gio_ = nullptr;
    wxGrid* list_ = nullptr;
    wxFont pageFont_;
};
