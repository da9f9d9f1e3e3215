#include "LanguageChange.h"

#include "LanguageTable.h"
#include "Prompter.h"
#include "ProgramPaths.h"
#include "Restarter.h"
#include "SettingsFiles.h"

const char* const kLanguageChangeCaption = "Tips";

namespace {

enum Sentence { Zh, En, Ru, Es, Pt };

const char* const kSentences[kLanguageCount] = {
    "软件将关闭，语言设置将在重新打开软件后生效",
    "Software will close and the language setting will take effect after reopening the software",
    "Программное обеспечение закроется, и языковые настройки вступят в силу после повторного открытия "
    "программного обеспечения",
    "El software se cerrará y la configuración de idioma entrará en vigor después de volver a abrir el software",
    "O software será fechado e as configurações de idioma entrarão em vigor após a reabertura do software",
};

// The order of the sentences for each chosen language.
const Sentence kOrder[kLanguageCount][kLanguageCount] = {
    {Zh, En, Ru, Es, Pt},
    {En, Zh, Ru, Es, Pt},
    {Ru, Zh, En, Es, Pt},
    {Es, Zh, En, Ru, Pt},
    {Pt, Es, Zh, En, Ru},
};

} // namespace

std::string LanguageChangeNotice(int index)
{
    if (index < 0 || index >= kLanguageCount) return std::string();
    std::string notice;
    for (int i = 0; i < kLanguageCount; ++i) {
        if (i > 0) notice += "\n\n";
        notice += kSentences[kOrder[index][i]];
    }
    return notice;
}

bool OnLanguageChanged(int newRow)
{
    // The combo has exactly the five languages; any other row means nothing
    // is selected, which is no reason to restart.
    if (newRow < 0 || newRow >= kLanguageCount || newRow == LanguageIndex) return false;
    LanguageIndex = newRow;
    ComboSelections rows = CurrentComboSelections();
    rows.languageRow = newRow;
    SaveLastConfig(rows);
    SaveLastStringConfig();
    tarvel::ShowMessage(LanguageChangeNotice(newRow), kLanguageChangeCaption, tarvel::MsgIcon::Exclamation);
    tarvel::GetRestarter().Restart(tarvel::ExecutablePath());
    return true;
}
