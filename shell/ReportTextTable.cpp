#include "ReportTextTable.h"

#include "ProgramPaths.h"
#include "Prompter.h"

std::vector<_tagSAVELANGUAGEdesc_> PdfTextTable;

const char* const kPdfLanguageConfigFileName = "VADE_PDFUsedStringConfig/LanguagePDFConfig.xml";

bool LoadPdfLanguageConfig()
{
    if (!LoadTextTableFile(tarvel::ProgramDataPath(kPdfLanguageConfigFileName), LanguageIndex, true, PdfTextTable)) {
        tarvel::GetPrompter().Show(kLanguageConfigNotFoundText, kSettingsWarningCaption, tarvel::MsgIcon::Exclamation,
                                   tarvel::MsgButtons::OkCancel);
        return false;
    }
    return true;
}

std::string PdfText(int row)
{
    if (row < 0 || static_cast<size_t>(row) >= PdfTextTable.size()) return std::string();
    return PdfTextTable[static_cast<size_t>(row)].text;
}
