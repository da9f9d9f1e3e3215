// The ribbon of the main frame, built in code: the File category, Home with
// the adapter, baud-rate and language lists and Connect/Disconnect, and the
// Style menu and About button.
#pragma once

#include <wx/ribbon/bar.h>
#include <wx/ribbon/panel.h>

#include <wx/ribbon/buttonbar.h>

#include <map>
#include <vector>

class wxChoice;
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

// A ribbon button text as the ribbon shows it: the ribbon cannot underline
// a mnemonic, so the marker goes, "(&N)" suffixes included ("New(&N)" ->
// "New", "Open(&O)..." -> "Open...", "&About" -> "About"); "&&" stays "&".
wxString RibbonText(const wxString& text);

// A ribbon button bar whose buttons show their texts as RibbonText gives,
// and tell what they show.
class CRibbonButtonBar : public wxRibbonButtonBar {
public:
    using wxRibbonButtonBar::wxRibbonButtonBar;
    using wxRibbonButtonBar::InsertButton;

    wxRibbonButtonBarButtonBase* InsertButton(size_t pos, int id, const wxString& label, const wxBitmap& bitmap,
                                              const wxBitmap& small, const wxBitmap& disabled,
                                              const wxBitmap& smallDisabled, wxRibbonButtonKind kind,
                                              const wxString& help) override;
    void SetButtonText(int id, const wxString& label) override;
    // The text the button `id` shows; empty for no such button.
    wxString ButtonLabel(int id) const;

private:
    std::map<int, wxString> labels_;
};

struct RibbonControls {
    wxRibbonBar* bar = nullptr;
    wxRibbonPage* filePage = nullptr;
    wxRibbonPage* homePage = nullptr;
    std::vector<MyRibbonPanel*> panels;
    MyRibbonPanel* devicePanel = nullptr;
    MyRibbonPanel* languagePanel = nullptr;
    MyRibbonPanel* commPanel = nullptr;
    wxRibbonPage* viewPage = nullptr;
    CRibbonButtonBar* viewButtons = nullptr;     // ID_VIEW_STATUS_BAR, ID_VIEW_OUTPUTWND (toggles)
    CRibbonButtonBar* fileButtons = nullptr;     // New, Open, Save, Save As, Print, recent files
    CRibbonButtonBar* toolButtons = nullptr;     // RSS Calibration, Program Download, Quit
    CRibbonButtonBar* deviceLabel = nullptr;   // ID_BUTTON_CANDEVICE
    CRibbonButtonBar* languageLabel = nullptr; // ID_BUTTON_LANGUAGE
    CRibbonButtonBar* commButtons = nullptr;   // ID_CAN_CONNECT, ID_DISCONNECTCAN
    wxChoice* adapter = nullptr;   // ID_COMBO_CANDEVICE
    wxChoice* baudRate = nullptr;  // ID_COMBO_CANBAUDRATE
    wxChoice* language = nullptr;  // ID_COMBO_LANGUAGE
};

// The View commands: the status bar and the output pane, each shown or hidden.
constexpr int ID_VIEW_OUTPUTWND = 149;
constexpr int ID_VIEW_STATUS_BAR = 22900;

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
