// Starts the program in-process, as a user would from the build's bin folder,
// but on a temporary copy of the shipped data and with a profile file of its
// own, so no test touches the user's settings. Every message box is recorded
// instead of waiting for a click, and a failed wx check fails the test.
#pragma once

#include "TarvelApp.h"

#include "ProgramPaths.h"
#include "Prompter.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/init.h>

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace tarvel_test {

class ProgramUnderTest {
public:
    using Preparation = std::function<void(const std::filesystem::path& folder)>;

    // `prepare` may change the copied data before the program starts. Returns
    // whether the program's start-up succeeded.
    bool Start(const char* name, const Preparation& prepare = {})
    {
        namespace fs = std::filesystem;
        folder = fs::temp_directory_path() / (std::string(name) + "-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        // The shipped data (XML files and data folders), not the binaries.
        for (const auto& entry : fs::directory_iterator(fs::current_path())) {
            if (entry.is_directory())
                fs::copy(entry.path(), folder / entry.path().filename(), fs::copy_options::recursive);
            else if (entry.path().extension() == ".xml")
                fs::copy_file(entry.path(), folder / entry.path().filename());
        }
#ifdef TARVEL_SHIPPED_DATA_DIR
        // The settings files beside the program keep what its user chose
        // last; a test starts from the shipped ones.
        for (const char* file : {"LastConfig.xml", "LastStringConfig.xml"})
            fs::copy_file(fs::path(TARVEL_SHIPPED_DATA_DIR) / file, folder / file,
                          fs::copy_options::overwrite_existing);
        fs::remove(folder / "LastStringBackup.xml");
#endif
        if (prepare)
            prepare(folder);
        return Run(name);
    }

    // Starts the program in a program folder that exists already and that
    // Stop leaves in place (a second run of the same installation).
    bool StartIn(const char* name, const std::filesystem::path& existing)
    {
        folder = existing;
        keepFolder = true;
        return Run(name);
    }

    bool Run(const char* name)
    {

        wxSetAssertHandler([](const wxString& file, int line, const wxString& func, const wxString& cond,
                              const wxString& msg) {
            ADD_FAILURE() << "wx assertion " << cond << " " << msg << " in " << func << " at " << file << ":"
                          << line;
        });
        tarvel::SetProgramFolder(folder.string());
        CTarvelApp::SetProfileFileForTests(wxString::FromUTF8((folder / "profile.ini").string()));
        app = new CTarvelApp;
        wxApp::SetInstance(app);
        // The program's name, then `arguments` (its command line).
        static std::vector<std::string> words;
        static std::vector<char*> argvWords;
        static int argc = 0;
        words.assign(1, name);
        words.insert(words.end(), arguments.begin(), arguments.end());
        argvWords.clear();
        for (std::string& word : words)
            argvWords.push_back(word.data());
        argvWords.push_back(nullptr);
        argc = static_cast<int>(words.size());
        char** argv = argvWords.data();
        // Boxes of the start-up itself (a missing data file) are recorded too.
        prompter = new tarvel::RecordingPrompter;
        CTarvelApp::SetPrompterForTests(prompter);
        if (!wxEntryStart(argc, argv))
            return false;
        started = app->CallOnInit();
        tarvel::SetPrompter(prompter);
        return started;
    }

    // Closes the main window as the user would, then ends the program and
    // removes the copied data.
    void Stop()
    {
        if (app && started) {
            if (wxWindow* top = wxTheApp->GetTopWindow())
                top->Close(true);
            for (int i = 0; i < 5; ++i)
                wxTheApp->Yield(true);
            app->OnExit();
        }
        wxEntryCleanup();
        tarvel::SetPrompter(nullptr);
        CTarvelApp::SetPrompterForTests(nullptr);
        delete prompter;
        prompter = nullptr;
        app = nullptr;
        started = false;
        tarvel::SetProgramFolder(std::string());
        std::error_code ec;
        if (!keepFolder)
            std::filesystem::remove_all(folder, ec);
    }

    // What the program finds on its command line after its name.
    std::vector<std::string> arguments;
    CTarvelApp* app = nullptr;
    tarvel::RecordingPrompter* prompter = nullptr;
    bool started = false;
    bool keepFolder = false;
    std::filesystem::path folder;
};

} // namespace tarvel_test
