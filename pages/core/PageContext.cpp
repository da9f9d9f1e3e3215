#include "PageContext.h"

#include "LanguageTable.h"
#include "PageLogic.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"

namespace tarvel {

namespace {

class InstalledClock : public Clock {
public:
    uint64_t NowUs() const override { return GetClock().NowUs(); }
    void SleepUs(uint64_t us) override { GetClock().SleepUs(us); }
};

class InstalledPrompter : public Prompter {
public:
    MsgAnswer Show(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons) override
    {
        return GetPrompter().Show(text, caption, icon, buttons);
    }
    MsgAnswer ShowWithDefault(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons,
                              MsgDefault defaultButton) override
    {
        return GetPrompter().ShowWithDefault(text, caption, icon, buttons, defaultButton);
    }
    void Instruct(const std::string& text) override { GetPrompter().Instruct(text); }
};

class InstalledFileChooser : public FileChooser {
public:
    std::optional<std::string> Choose(const FileRequest& request) override
    {
        return GetFileChooser().Choose(request);
    }
};

class LanguageTableTexts : public TextTable {
public:
    std::string Text(int row, const std::string& fallback) const override
    {
        std::string text = LanguageText(row);
        if (!text.empty())
            return text;
        return fallback.empty() ? std::string(tarvel::BuiltInRowText(row)) : fallback;
    }
    int Language() const override { return LanguageIndex; }
};

} // namespace

const TextTable& ProgramTexts()
{
    static const LanguageTableTexts texts;
    return texts;
}

ReplaceQuestion ReplaceFileQuestion(const TextTable& texts)
{
    return {texts.Text(kRowReplaceFileQuestion, "A file of this name already exists. Do you want to replace it?"),
            texts.Text(kRowReplaceFileCaption, "Confirm Save")};
}

struct GlobalPageServices::Forwarders {
    InstalledClock clock;
    InstalledPrompter prompter;
    InstalledFileChooser files;
    LanguageTableTexts texts;
};

GlobalPageServices::GlobalPageServices(TimerFactory& timers, UiDispatcher& ui, std::string dataFolder)
    : forwarders_(std::make_unique<Forwarders>())
{
    context_.reset(new PageContext{forwarders_->clock, timers, forwarders_->prompter, ui, forwarders_->texts,
                                   forwarders_->files, std::move(dataFolder)});
}

GlobalPageServices::~GlobalPageServices() = default;

bool DeliverPageMessage(PageLogic& logic, int message)
{
    const PageSpec* spec = FindPageSpec(logic.Tab());
    if (!spec || message == 0)
        return false;
    if (message == spec->languageMessage) {
        logic.OnLanguageChanged();
        return true;
    }
    for (int activate : spec->activate) {
        if (activate == message) {
            logic.OnActivate(message);
            return true;
        }
    }
    return false;
}

} // namespace tarvel
