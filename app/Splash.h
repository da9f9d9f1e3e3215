// The splash window shown while the view builds its pages: the logo, the
// program's name and a progress bar.
#pragma once

#include <wx/frame.h>
#include <wx/timer.h>

class wxGauge;
class wxStaticBitmap;

constexpr int IDD_SPLASH = 346;
constexpr int IDC_SPLASH_PICTURE = 1614;
constexpr int IDC_SPLASH_PROGRESS = 1468;

class CSplashDlg : public wxFrame {
public:
    CSplashDlg();
    // Creates and shows the window; the logo follows ReportLogoMode.
    bool Create(wxWindow* parent);

    // Loads a picture file scaled to width x height into the logo; false (and
    // a trace line) when the file cannot be read or is empty.
    bool LoadLogoBitmap(const wxString& file, int width, int height);
    bool ShowsPictureLogo() const { return pictureLogo_; }
    wxGauge* Progress() const { return progress_; }
    // One tick of the progress timer.
    void Tick();

    static wxBitmap BuiltInLogo(int width, int height);

    // Brings the shown window onto the screen now: dispatches only window
    // events (paint, size) until it has been painted once, for at most
    // `maxMs` milliseconds. True once it was painted.
    bool PaintNow(int maxMs);
    bool Painted() const { return painted_; }

private:
    void OnTimer(wxTimerEvent& event);

    wxStaticBitmap* picture_ = nullptr;
    wxGauge* progress_ = nullptr;
    wxTimer timer_;
    bool pictureLogo_ = false;
    bool painted_ = false;
};
