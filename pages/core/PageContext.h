// Everything a page's logic reaches the outside world through, handed to it
// once by its constructor: time, timers, message boxes, the UI thread, the
// texts of the current language, the data folder and file dialogs. The
// program fills it with the real services, the page bench with virtual and
// recording ones.
#pragma once

#include "Clock.h"
#include "FileChooser.h"
#include "FileSave.h"
#include "Prompter.h"
#include "Timer.h"
#include "UiDispatcher.h"

#include <memory>
#include <string>

namespace tarvel {

// The program's texts in the current language, by LanguageTable row.
class TextTable {
public:
    virtual ~TextTable() = default;
    // The row's text, or `fallback` when the table has no text for it.
    virtual std::string Text(int row, const std::string& fallback = std::string()) const = 0;
    // The current language: 0 Chinese, 1 English, 2 Russian, 3 Spanish,
    // 4 Portuguese (anything else reads English).
    virtual int Language() const = 0;
};

// The program's texts as its pages read them: LanguageTable, in the
// language loaded.
const TextTable& ProgramTexts();

// The question a save asks before it replaces a file, in the current language.
ReplaceQuestion ReplaceFileQuestion(const TextTable& texts);

struct PageContext {
    Clock& clock;
    TimerFactory& timers;
    Prompter& prompter;
    UiDispatcher& ui;
    const TextTable& texts;
    FileChooser& files;
    // Folder the data files are found in ('/' separators, no trailing '/').
    std::string dataFolder;
};

// Services that reach whatever is installed program-wide at the moment of
// each call (GetClock, GetPrompter, GetFileChooser, LanguageTable), so a
// context built once keeps following what tests or the program install later.
class GlobalPageServices {
public:
    // `timers` and `ui` are not owned and must outlive the context.
    GlobalPageServices(TimerFactory& timers, UiDispatcher& ui, std::string dataFolder);
    ~GlobalPageServices();
    GlobalPageServices(const GlobalPageServices&) = delete;
    GlobalPageServices& operator=(const GlobalPageServices&) = delete;

    const PageContext& Context() const { return *context_; }

private:
    struct Forwarders;
    std::unique_ptr<Forwarders> forwarders_;
    std::unique_ptr<PageContext> context_;
};

} // namespace tarvel
