#include "TarvelApp.h"

#include "CanComposition.h"
#include "CanDriverLibraries.h"
#include "ConnectionLife.h"
#include "MainFrame.h"
#include "ShellGlobals.h"
#include "TarvelDoc.h"
#include "TarvelView.h"
#include "WxFileChooser.h"
#include "WxPrompter.h"
#include "WxPump.h"
#include "WxTimer.h"

#include "Log.h"

#include "RestarterWx.h"

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/image.h>
#include <wx/listbox.h>

#include <cstdlib>

namespace {
wxString& ProfileFileForTests()
{
    static wxString path;
    return path;
}
tarvel::Prompter*& PrompterForTests()
{
    static tarvel::Prompter* prompter = nullptr;
    return prompter;
}
tarvel::TimerFactory*& TimerFactoryForTests()
{
    static tarvel::TimerFactory* timers = nullptr;
    return timers;
}
} // namespace

CTarvelApp::CTarvelApp()
{
#ifdef __WXGTK__
    // Scroll bars that stay on screen (the navigation tree's horizontal one
    // shows that a caption goes on beyond the pane), not GTK's overlay
    // indicators that appear only under the pointer. Read when GTK starts,
    // which is after the application object is made; a setting the user
    // made stays.
    setenv("GTK_OVERLAY_SCROLLING", "0", 0);
#endif
    SetAppName("Tarvel");
    SetVendorName("DOVU");
}

CTarvelApp::~CTarvelApp() = default;

void CTarvelApp::SetProfileFileForTests(const wxString& path)
{
    ProfileFileForTests() = path;
}

void CTarvelApp::SetPrompterForTests(tarvel::Prompter* prompter)
{
    PrompterForTests() = prompter;
}

void CTarvelApp::SetTimerFactoryForTests(tarvel::TimerFactory* timers)
{
    TimerFactoryForTests() = timers;
}

bool CTarvelApp::OnInit()
{
    wxInitAllImageHandlers();

    // The registry profile "DOVU" (a file config where there is no registry).
    if (!ProfileFileForTests().empty())
        delete wxConfigBase::Set(new wxFileConfig("Tarvel", "DOVU", ProfileFileForTests(), wxString(),
                                                  wxCONFIG_USE_LOCAL_FILE));
    wxConfigBase* config = wxConfigBase::Get();

    pump_ = std::make_unique<tarvel::WxPump>();
    prompter_ = std::make_unique<tarvel::WxPrompter>();
    timers_ = std::make_unique<tarvel::WxTimerFactory>();
    tarvel::SetPump(pump_.get());
    tarvel::SetPrompter(PrompterForTests() ? PrompterForTests() : prompter_.get());
    fileChooser_ = std::make_unique<tarvel::WxFileChooser>();
    tarvel::SetFileChooser(fileChooser_.get());
    tarvel::SetShellTimerFactory(TimerFactoryForTests() ? TimerFactoryForTests() : timers_.get());
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(argv[i].utf8_string());
    // A language change starts the program anew, with the arguments this one
    // was started with, then closes this one in order.
    restarter_ = std::make_shared<tarvel::WxRestarter>(std::function<void()>(), args);
    tarvel::SetRestarter(restarter_.get());

    // "--simulate" keeps to the simulated ECU even when adapter hardware is
    // present; without it the stand-in adapters reach the simulated ECU only
    // when no driver library (or, for Dravix, no adapter) is found.
    tarvel::ApplyAdapterCommandLine(args);
    tarvel::StartCanSurroundings();

    docManager_ = new CTarvelDocManager;
    new wxDocTemplate(docManager_, "Tarvel", "*.*", wxString(), wxString(), "CTarvelDoc", "CTarvelView",
                      CLASSINFO(CTarvelDoc), CLASSINFO(CTarvelView));
    docManager_->SetMaxDocsOpen(1);
    if (config)
        docManager_->FileHistoryLoad(*config);

    frame_ = new CMainFrame(docManager_, kMainWindowTitle);
    SetTopWindow(frame_);
    // Which driver each adapter opens with, and what the person at the
    // simulated trailer cannot make out, appear in the output pane too.
    tarvel::SetCanDriverNoticeSink([this](const std::string& line) {
        if (frame_ && frame_->OutputList())
            frame_->OutputList()->Append(wxString::FromUTF8(line));
    });
    // A simulated trailer with faults says so before anything else.
    if (frame_->OutputList())
        for (const std::string& line : tarvel::SimulatedWorldNotices())
            frame_->OutputList()->Append(wxString::FromUTF8(line));

    wxDocument* doc = docManager_->CreateDocument(wxString(), wxDOC_NEW);
    view_ = doc ? dynamic_cast<CTarvelView*>(doc->GetFirstView()) : nullptr;
    if (!view_) {
        tarvel::TraceLog("The view could not be created\n");
        tarvel::SetCanDriverNoticeSink({});
        frame_->Destroy();
        frame_ = nullptr;
        tarvel::StopCanSurroundings(); // OnExit does not run after a failed start
        return false;
    }
    // wx has no initial update of its own: run it now that the frame, the
    // ribbon and the navigation exist.
    view_->OnInitialUpdate();

    frame_->DragAcceptFiles(true);
    frame_->Maximize(true);
    frame_->Show(true);
    return true;
}

int CTarvelApp::OnExit()
{
    if (docManager_) {
        if (wxConfigBase* config = wxConfigBase::Get(false))
            docManager_->FileHistorySave(*config);
        delete docManager_;
        docManager_ = nullptr;
    }
    tarvel::SetCanDriverNoticeSink({});
    view_ = nullptr;
    frame_ = nullptr;
    tarvel::StopCanSurroundings();
    tarvel::SetShellTimerFactory(nullptr);
    tarvel::SetRestarter(nullptr);
    tarvel::SetFileChooser(nullptr);
    tarvel::SetPrompter(nullptr);
    tarvel::SetPump(nullptr);
    if (wxConfigBase* config = wxConfigBase::Get(false))
        config->Flush();
    delete wxConfigBase::Set(nullptr);
    return wxApp::OnExit();
}
