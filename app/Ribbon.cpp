#include "Ribbon.h"

#include <algorithm>

#include "AppMessages.h"
#include "ShellGlobals.h"

#include <wx/artprov.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/ribbon/art.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/ribbon/page.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#if defined(__WXGTK__)
#include <dlfcn.h>
#endif

namespace {

// A list opens below itself with all its rows. GTK opens it over the list,
// the chosen row over the list's face, so a lower row opens scrolled (rows
// above cut off, an empty one below); laid out as a one-column grid it opens
// below. The toolkit is already loaded, so the call is looked up in it.
void OpenBelow(wxChoice* choice)
{
#if defined(__WXGTK__)
    using SetWrapWidth = void (*)(void* comboBox, int width);
    if (auto set = reinterpret_cast<SetWrapWidth>(dlsym(RTLD_DEFAULT, "gtk_combo_box_set_wrap_width")))
        set(choice->GetHandle(), 1);
#else
    (void)choice;
#endif
}

wxBitmap Art(const wxArtID& id, int size)
{
    wxBitmap bmp = wxArtProvider::GetBitmap(id, wxART_TOOLBAR, wxSize(size, size));
    if (!bmp.IsOk())
        bmp = wxArtProvider::GetBitmap(wxART_INFORMATION, wxART_OTHER, wxSize(size, size));
    return bmp;
}

wxChoice* AddChoice(wxWindow* parent, wxSizer* sizer, int id, int width, const wxArrayString& items)
{
    auto* choice = new wxChoice(parent, id, wxDefaultPosition, wxSize(width, -1), items);
    // At least the given width, and as wide as its longest row needs.
    choice->SetMinSize(wxSize(std::max(width, choice->GetBestSize().x), -1));
    OpenBelow(choice);
    sizer->Add(choice, 0, wxALL | wxEXPAND, 2);
    return choice;
}

// A disabled button standing as the label of the lists beside it.
CRibbonButtonBar* AddLabelButton(wxRibbonPanel* panel, wxSizer* sizer, int id, const wxString& text,
                                  const wxArtID& art)
{
    auto* bar = new CRibbonButtonBar(panel, wxID_ANY);
    bar->AddButton(id, text, Art(art, 32));
    bar->EnableButton(id, false);
    sizer->Add(bar, 0, wxALIGN_CENTER_VERTICAL);
    return bar;
}

bool RowText(int row, wxString& text)
{
    const std::string value = tarvel::ShellText(row);
    if (value.empty())
        return false;
    text = wxString::FromUTF8(value);
    return true;
}

} // namespace

wxString RibbonText(const wxString& text)
{
    // "(&X)" goes whole, also before a trailing "..." (which wx's own
    // stripping leaves behind); then the plain markers.
    wxString stripped = text;
    for (size_t at = stripped.find("(&"); at != wxString::npos; at = stripped.find("(&", at)) {
        if (at + 3 < stripped.length() && stripped[at + 2] != '&' && stripped[at + 3] == ')')
            stripped.erase(at, 4);
        else
            at += 2;
    }
    return wxStripMenuCodes(stripped, wxStrip_Mnemonics);
}

wxRibbonButtonBarButtonBase* CRibbonButtonBar::InsertButton(size_t pos, int id, const wxString& label,
                                                            const wxBitmap& bitmap, const wxBitmap& small,
                                                            const wxBitmap& disabled, const wxBitmap& smallDisabled,
                                                            wxRibbonButtonKind kind, const wxString& help)
{
    labels_[id] = RibbonText(label);
    return wxRibbonButtonBar::InsertButton(pos, id, labels_[id], bitmap, small, disabled, smallDisabled, kind, help);
}

void CRibbonButtonBar::SetButtonText(int id, const wxString& label)
{
    if (labels_.count(id))
        labels_[id] = RibbonText(label);
    wxRibbonButtonBar::SetButtonText(id, RibbonText(label));
}

wxString CRibbonButtonBar::ButtonLabel(int id) const
{
    const auto found = labels_.find(id);
    return found == labels_.end() ? wxString() : found->second;
}

wxMenu* CreateStyleMenu(int currentLook)
{
    auto* menu = new wxMenu;
    const char* const captions[] = {
        "Office 2007 (Blue style)(&B)", "Office 2007 (Black style)(&L)", "Office 2007 (Silver style)(&S)",
        "Office 2007 (Green style)(&A)", "Windows 7(&D)"};
    for (int i = 0; i < 5; ++i) {
        const int id = 215 + i;
        // Menus show the mnemonic as the platform does.
        menu->AppendRadioItem(id, wxString::FromUTF8(captions[i]));
        menu->Check(id, id == currentLook);
    }
    return menu;
}

wxMenu* CreatePrintMenu()
{
    auto* menu = new wxMenu;
    menu->Append(wxID_ANY, "Preview and print the document")->Enable(false);
    menu->Append(wxID_PRINT, "Fast printing(&Q)");
    menu->Append(wxID_PREVIEW, "Print Preview(&V)");
    menu->Append(wxID_PRINT_SETUP, "Print Setup(&U)");
    return menu;
}

void ApplyRibbonLook(wxRibbonBar* bar, int look)
{
    if (!bar)
        return;
    wxRibbonArtProvider* art = nullptr;
    if (look >= 205 && look <= 210)
        art = new wxRibbonAUIArtProvider;
    else
        art = new wxRibbonDefaultArtProvider;
    bar->SetArtProvider(art);
    switch (look) {
    case 216: bar->GetArtProvider()->SetColourScheme(wxColour(83, 83, 83), wxColour(255, 206, 102), wxColour(255, 255, 255)); break;
    case 217: bar->GetArtProvider()->SetColourScheme(wxColour(208, 212, 221), wxColour(255, 223, 114), wxColour(0, 0, 0)); break;
    case 218: bar->GetArtProvider()->SetColourScheme(wxColour(183, 219, 214), wxColour(255, 223, 114), wxColour(0, 0, 0)); break;
    case 219: bar->GetArtProvider()->SetColourScheme(wxColour(223, 233, 245), wxColour(255, 223, 114), wxColour(0, 0, 0)); break;
    case 211: case 212: case 213: case 214: break; // colour style left as it is
    default: bar->GetArtProvider()->SetColourScheme(wxColour(194, 216, 241), wxColour(255, 223, 114), wxColour(0, 0, 0)); break;
    }
    bar->Realize();
    bar->Refresh();
}

RibbonControls BuildMainRibbon(wxWindow* parent)
{
    RibbonControls rc;
    rc.bar = new wxRibbonBar(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxRIBBON_BAR_DEFAULT_STYLE | wxRIBBON_BAR_SHOW_HELP_BUTTON);

    // File category ("文件").
    rc.filePage = new wxRibbonPage(rc.bar, wxID_ANY, wxString::FromUTF8("文件"));
    auto* filePanel = new MyRibbonPanel(rc.filePage, wxID_ANY, wxString::FromUTF8("文件"));
    rc.panels.push_back(filePanel);
    auto* fileBar = new CRibbonButtonBar(filePanel, wxID_ANY);
    rc.fileButtons = fileBar;
    fileBar->AddButton(wxID_NEW, "New(&N)", Art(wxART_NEW, 32));
    fileBar->AddButton(wxID_OPEN, "Open(&O)...", Art(wxART_FILE_OPEN, 32));
    fileBar->AddButton(wxID_SAVE, "Save(&S)", Art(wxART_FILE_SAVE, 32));
    fileBar->AddButton(wxID_SAVEAS, "Save As(&A)...", Art(wxART_FILE_SAVE_AS, 32));
    fileBar->AddHybridButton(wxID_PRINT, "Print", Art(wxART_PRINT, 32));
    fileBar->AddDropdownButton(wxID_FILE, "Recently used documents", Art(wxART_FOLDER_OPEN, 32));
    auto* toolsPanel = new MyRibbonPanel(rc.filePage, wxID_ANY, "Tools");
    rc.panels.push_back(toolsPanel);
    auto* toolsBar = new CRibbonButtonBar(toolsPanel, wxID_ANY);
    rc.toolButtons = toolsBar;
    toolsBar->AddButton(ID_RSSCALIBBTN, "RSS Calibration", Art(wxART_EXECUTABLE_FILE, 32));
    toolsBar->AddButton(ID_PROGRAM_DOWNLOAD, "Program Download", Art(wxART_GO_DOWN, 32));
    toolsBar->AddButton(wxID_EXIT, "Quit(&X)", Art(wxART_QUIT, 32));

    // Home.
    rc.homePage = new wxRibbonPage(rc.bar, wxID_ANY, "Home");

    auto* devicePanel = new MyRibbonPanel(rc.homePage, wxID_ANY, "CAN Device Setting", wxNullBitmap, wxDefaultPosition,
                                           wxDefaultSize, wxRIBBON_PANEL_DEFAULT_STYLE | wxRIBBON_PANEL_NO_AUTO_MINIMISE);
    rc.panels.push_back(devicePanel);
    auto* deviceSizer = new wxBoxSizer(wxHORIZONTAL);
    rc.devicePanel = devicePanel;
    rc.deviceLabel = AddLabelButton(devicePanel, deviceSizer, ID_BUTTON_CANDEVICE, "CAN Device Setting", wxART_HARDDISK);
    auto* deviceLists = new wxBoxSizer(wxVERTICAL);
    wxArrayString adapters;
    if (tarvel::Services().adapterNames)
        for (const std::string& name : tarvel::Services().adapterNames())
            adapters.Add(wxString::FromUTF8(name));
    rc.adapter = AddChoice(devicePanel, deviceLists, ID_COMBO_CANDEVICE, 175, adapters);
    wxArrayString bauds;
    bauds.Add("500Kbps");
    bauds.Add("125Kbps");
    bauds.Add(wxString());
    rc.baudRate = AddChoice(devicePanel, deviceLists, ID_COMBO_CANBAUDRATE, 175, bauds);
    deviceSizer->Add(deviceLists, 0, wxALIGN_CENTER_VERTICAL);
    devicePanel->SetSizer(deviceSizer);

    auto* languagePanel = new MyRibbonPanel(rc.homePage, wxID_ANY, "Language", wxNullBitmap, wxDefaultPosition,
                                           wxDefaultSize, wxRIBBON_PANEL_DEFAULT_STYLE | wxRIBBON_PANEL_NO_AUTO_MINIMISE);
    rc.panels.push_back(languagePanel);
    auto* languageSizer = new wxBoxSizer(wxHORIZONTAL);
    rc.languagePanel = languagePanel;
    rc.languageLabel = AddLabelButton(languagePanel, languageSizer, ID_BUTTON_LANGUAGE, "Language", wxART_HELP_BOOK);
    wxArrayString languages;
    for (const char* name : {"中文", "ENGLISH", "русский язык", "español", "Português"})
        languages.Add(wxString::FromUTF8(name));
    rc.language = AddChoice(languagePanel, languageSizer, ID_COMBO_LANGUAGE, 100, languages);
    languagePanel->SetSizer(languageSizer);

    auto* commPanel = new MyRibbonPanel(rc.homePage, wxID_ANY, "Communication");
    rc.panels.push_back(commPanel);
    rc.commPanel = commPanel;
    auto* commBar = new CRibbonButtonBar(commPanel, wxID_ANY);
    rc.commButtons = commBar;
    // Toggle buttons: the connection state shows as the checked one of the two.
    commBar->AddToggleButton(ID_CAN_CONNECT, "Connect", Art(wxART_TICK_MARK, 32));
    commBar->AddToggleButton(ID_DISCONNECTCAN, "Disconnect", Art(wxART_CROSS_MARK, 32));

    auto* stylePanel = new MyRibbonPanel(rc.homePage, wxID_ANY, "Style");
    rc.panels.push_back(stylePanel);
    auto* styleBar = new CRibbonButtonBar(stylePanel, wxID_ANY);
    styleBar->AddDropdownButton(wxID_PROPERTIES, "Style", Art(wxART_LIST_VIEW, 32));
    styleBar->AddButton(wxID_ABOUT, "About", Art(wxART_INFORMATION, 32));

    // View: the panes the user may close and bring back.
    rc.viewPage = new wxRibbonPage(rc.bar, wxID_ANY, "View");
    auto* showPanel = new MyRibbonPanel(rc.viewPage, wxID_ANY, "Show/Hide");
    rc.panels.push_back(showPanel);
    rc.viewButtons = new CRibbonButtonBar(showPanel, wxID_ANY);
    rc.viewButtons->AddToggleButton(ID_VIEW_STATUS_BAR, "Status Bar", Art(wxART_LIST_VIEW, 32));
    rc.viewButtons->AddToggleButton(ID_VIEW_OUTPUTWND, "Output", Art(wxART_REPORT_VIEW, 32));
    rc.viewButtons->ToggleButton(ID_VIEW_STATUS_BAR, true);
    rc.viewButtons->ToggleButton(ID_VIEW_OUTPUTWND, true);

    rc.bar->SetActivePage(rc.homePage);
    rc.bar->Realize();
    return rc;
}

void RecaptionRibbon(const RibbonControls& rc)
{
    if (!rc.bar)
        return;
    wxString text;
    if (rc.homePage && RowText(0, text))
        rc.homePage->SetLabel(text);
    if (rc.deviceLabel && RowText(4, text))
        rc.deviceLabel->SetButtonText(ID_BUTTON_CANDEVICE, text);
    if (rc.languageLabel && RowText(5, text))
        rc.languageLabel->SetButtonText(ID_BUTTON_LANGUAGE, text);
    if (rc.commButtons && RowText(6, text))
        rc.commButtons->SetButtonText(ID_CAN_CONNECT, text);
    if (rc.commButtons && RowText(7, text))
        rc.commButtons->SetButtonText(ID_DISCONNECTCAN, text);
    if (rc.devicePanel && RowText(1, text))
        rc.devicePanel->SetPanelName(text);
    if (rc.languagePanel && RowText(3, text))
        rc.languagePanel->SetPanelName(text);
    if (rc.commPanel && RowText(2, text))
        rc.commPanel->SetPanelName(text);
    rc.bar->Realize();
    rc.bar->Refresh();
}
