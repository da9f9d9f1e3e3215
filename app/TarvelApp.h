// The application object: profile, document template, main frame, view and
// the wx implementations of the pump, prompter and timers.
#pragma once

#include <wx/app.h>

#include <memory>

class wxDocManager;
class CMainFrame;
class CTarvelView;

namespace tarvel {
class WxPump;
class WxPrompter;
class Prompter;
class WxFileChooser;
class TimerFactory;
class WxTimerFactory;
class Restarter;
} // namespace tarvel

class CTarvelApp : public wxApp {
public:
    CTarvelApp();
    ~CTarvelApp() override;

    bool OnInit() override;
    int OnExit() override;

    // Tests keep the user's profile untouched by naming a file of their own;
    // call before OnInit.
    static void SetProfileFileForTests(const wxString& path);
    // Tests record every box, start-up included, with a prompter of their
    // own (not owned); call before OnInit.
    static void SetPrompterForTests(tarvel::Prompter* prompter);
    // Tests run the shell's and the pages' timers on a clock of their own
    // (not owned; null: wx timers); call before OnInit.
    static void SetTimerFactoryForTests(tarvel::TimerFactory* timers);

    CMainFrame* MainFrame() const { return frame_; }
    CTarvelView* View() const { return view_; }
    wxDocManager* DocManager() const { return docManager_; }

private:
    wxDocManager* docManager_ = nullptr;
    CMainFrame* frame_ = nullptr;
    CTarvelView* view_ = nullptr;
    std::unique_ptr<tarvel::WxPump> pump_;
    std::unique_ptr<tarvel::WxPrompter> prompter_;
    std::unique_ptr<tarvel::WxFileChooser> fileChooser_;
    std::unique_ptr<tarvel::WxTimerFactory> timers_;
    std::shared_ptr<tarvel::Restarter> restarter_; // shared: the type is incomplete here
};

wxDECLARE_APP(CTarvelApp);
