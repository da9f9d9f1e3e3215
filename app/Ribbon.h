// The ribbon of the main frame, built in code: the File category, Home with
// the adapter, baud-rate and language lists and Connect/Disconnect, and the
// Style menu and About button.
#pragma once

#include <wx/ribbon/bar.h>
#include <wx/ribbon/panel.h>

#include <vector>

class wxChoice;
class wxRibbonButtonBar;
class wxMenu;
class wxFileHistory;

// A ribbon panel whose caption the language refresh can replace.
class MyRibbonPanel : public wxRibbonPanel {
public:
    using wxRibbonPanel::wxRibbonPanel;
    void SetPanelName(const wxString& name)
    {
        SetLabel(name);
        Refresh();
    }
};

struct RibbonControls {
    wxRibbonBar* bar = nullptr;
    wxRibbonPage* filePage = nullptr;
    wxRibbonPage* homePage = nullptr;
    std::vector<MyRibbonPanel*> panels;
    MyRibbonPanel* devicePanel = nullptr;
    MyRibbonPanel* languagePanel = nullptr;
    MyRibbonPanel* commPanel = nullptr;
    wxRibbonButtonBar* deviceLabel = nullptr;   // ID_BUTTON_CANDEVICE
    wxRibbonButtonBar* languageLabel = nullptr; // ID_BUTTON_LANGUAGE
    wxRibbonButtonBar* commButtons = nullptr;   // ID_CAN_CONNECT, ID_DISCONNECTCAN
    wxChoice* adapter = nullptr;   // ID_COMBO_CANDEVICE
    wxChoice* baudRate = nullptr;  // ID_COMBO_CANBAUDRATE
    wxChoice* language = nullptr;  // ID_COMBO_LANGUAGE
};

// Builds the ribbon as a child of `parent`.
RibbonControls BuildMainRibbon(wxWindow* parent);

// Re-captions Home, its panels and buttons from the language table; a row
// without text keeps the built-in caption.
void RecaptionRibbon(const RibbonControls& controls);

// The Style menu: looks 215 to 219 with the current one checked.
wxMenu* CreateStyleMenu(int currentLook);
// The Print button's sub-menu.
wxMenu* CreatePrintMenu();

// The look's art for the ribbon (205..219; other values give the default 215).
void ApplyRibbonLook(wxRibbonBar* bar, int look);
