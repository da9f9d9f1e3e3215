#include "Splash.h"

#include "ShellGlobals.h"
#include "SplashLogic.h"

#include "Log.h"

#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>

#include <memory>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/time.h>
#include <wx/utils.h>
#include <wx/filename.h>
#include <wx/gauge.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

namespace {
constexpr int kLogoWidth = 510;
constexpr int kLogoHeight = 283;
} // namespace

CSplashDlg::CSplashDlg() : timer_(this, 1) {}

wxBitmap CSplashDlg::BuiltInLogo(int width, int height)
{
    wxBitmap bmp(width, height, 24);
    wxMemoryDC dc(bmp);
    dc.GradientFillLinear(wxRect(0, 0, width, height), wxColour(20, 60, 130), wxColour(90, 150, 220), wxSOUTH);
    dc.SetTextForeground(*wxWHITE);
    dc.SetFont(wxFont(wxFontInfo(40).Bold().Family(wxFONTFAMILY_SWISS)));
    const wxString name = "VADE";
    wxSize extent = dc.GetTextExtent(name);
    dc.DrawText(name, (width - extent.x) / 2, (height - extent.y) / 2);
    dc.SelectObject(wxNullBitmap);
    return bmp;
}

bool CSplashDlg::Create(wxWindow* parent)
{
    if (!wxFrame::Create(parent, IDD_SPLASH, "Tarvel", wxDefaultPosition, wxDefaultSize,
                         wxFRAME_NO_TASKBAR | wxSTAY_ON_TOP | wxBORDER_SIMPLE | wxFRAME_TOOL_WINDOW))
        return false;
    auto* panel = new wxPanel(this);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    picture_ = new wxStaticBitmap(panel, IDC_SPLASH_PICTURE, BuiltInLogo(kLogoWidth, kLogoHeight));
    sizer->Add(picture_, 0, wxALL, 6);
    sizer->Add(new wxStaticText(panel, wxID_ANY, "VADE  Diagnostic  Tool  V2.6.15"), 0,
               wxALIGN_CENTER_HORIZONTAL | wxALL, 4);
    progress_ = new wxGauge(panel, IDC_SPLASH_PROGRESS, tarvel::SplashProgressMax);
    sizer->Add(progress_, 0, wxEXPAND | wxALL, 6);
    panel->SetSizer(sizer);
    sizer->SetSizeHints(this);

    const int mode = tarvel::Services().reportLogoMode ? tarvel::Services().reportLogoMode() : 0;
    const auto logo = tarvel::ChooseSplashLogo(mode, [this] {
        const std::string path = tarvel::Services().programFolder
                                     ? tarvel::Services().programFolder() + "/" + tarvel::SplashLogoFile
                                     : std::string(tarvel::SplashLogoFile);
        return LoadLogoBitmap(wxString::FromUTF8(path), kLogoWidth, kLogoHeight);
    });
    pictureLogo_ = logo == tarvel::SplashLogo::Picture;

    // Painted once the window has been drawn on the screen.
    panel->Bind(wxEVT_PAINT, [this, panel](wxPaintEvent&) {
        wxPaintDC dc(panel);
        painted_ = true;
    });
    Bind(wxEVT_TIMER, &CSplashDlg::OnTimer, this, 1);
    timer_.Start(tarvel::SplashTimerMs);
    CentreOnScreen();
    Show();
    return true;
}

bool CSplashDlg::LoadLogoBitmap(const wxString& file, int width, int height)
{
    if (!picture_ || width <= 0 || height <= 0)
        return false;
    wxImage image;
    {
        wxLogNull quiet; // a missing file is traced, not shown
        if (!wxFileName::FileExists(file) || !image.LoadFile(file)) {
            tarvel::TraceLog("Splash picture could not be loaded: " + std::string(file.utf8_str()) + "\n");
            return false;
        }
    }
    if (!image.IsOk() || image.GetWidth() == 0 || image.GetHeight() == 0) {
        tarvel::TraceLog("Splash picture is empty\n");
        return false;
    }
    image.Rescale(width, height, wxIMAGE_QUALITY_HIGH);
    picture_->SetBitmap(wxBitmap(image, 24));
    return true;
}

bool CSplashDlg::PaintNow(int maxMs)
{
    Raise();
    // Start-up runs before the main loop: a loop of its own dispatches the
    // window events meanwhile.
    std::unique_ptr<wxEventLoopBase> own;
    std::unique_ptr<wxEventLoopActivator> activate;
    if (!wxEventLoopBase::GetActive() && wxTheApp && wxTheApp->GetTraits()) {
        own.reset(wxTheApp->GetTraits()->CreateEventLoop());
        activate = std::make_unique<wxEventLoopActivator>(own.get());
    }
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    const wxLongLong start = wxGetLocalTimeMillis();
    while (loop && !painted_ && wxGetLocalTimeMillis() - start < maxMs) {
        Update();
        loop->YieldFor(wxEVT_CATEGORY_UI);
        if (!painted_)
            wxMilliSleep(2);
    }
    return painted_;
}

void CSplashDlg::Tick()
{
    bool stop = false;
    const int position = tarvel::SplashTimerTick(stop);
    if (progress_)
        progress_->SetValue(position);
    if (stop)
        timer_.Stop();
}

void CSplashDlg::OnTimer(wxTimerEvent&)
{
    Tick();
}
