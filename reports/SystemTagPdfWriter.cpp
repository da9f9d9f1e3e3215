#include "SystemTagPdfWriter.h"

#include "HaruPdfCanvas.h"
#include "ReportGlobals.h"
#include "ReportTextTable.h"
#include "SystemTagPlate.h"

#include "Log.h"
#include "SettingsFiles.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace tarvel::report {

const char* const kSystemTagPdfFilter = "\xE6\x96\x87\xE4\xBB\xB6 (*.pdf;)|*.pdf";

namespace {

std::string HomeFolder()
{
    for (const char* name : {"HOME", "USERPROFILE"})
        if (const char* value = std::getenv(name))
            if (*value)
                return value;
    return std::string();
}

} // namespace

std::string SystemTagDefaultFileName(const tarvel::LocalDateTime& localTime)
{
    return "SystemTag-" + tarvel::FormatLocalTime(localTime, "%Y-%m-%d") + "  " +
           tarvel::FormatLocalTime(localTime, "%H-%M-%S") + ".pdf";
}

std::string FolderOfPath(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string SystemTagStartFolder()
{
    std::error_code error;
    if (!PrintSystemFilePath.empty() && std::filesystem::is_directory(PrintSystemFilePath, error))
        return PrintSystemFilePath;
    return HomeFolder();
}

int SystemTagPdfWriter(int brandIndex, const tarvel::PageContext& context, PdfCanvas& canvas,
                       const tarvel::LocalDateTime& localTime)
{
    const tarvel::TextTable& texts = context.texts;
    if (!canvas.Valid()) {
        context.prompter.Show(PdfText(kSystemTagNoDocumentPdfRow), std::string(), tarvel::MsgIcon::None,
                              tarvel::MsgButtons::Ok);
        return 0;
    }
    DrawSystemTagPlate(canvas, SystemTagPlateInputsNow(brandIndex), PlateVariant::SystemTag);

    tarvel::FileRequest request;
    request.save = true;
    request.folder = SystemTagStartFolder();
    request.fileName = SystemTagDefaultFileName(localTime);
    request.filter = kSystemTagPdfFilter;
    request.defaultExtension = "pdf";
    // A cancelled dialog writes nothing and says nothing.
    const std::optional<std::string> chosen =
        tarvel::ChooseSaveFile(context.files, context.prompter, request, tarvel::ReplaceFileQuestion(texts));
    if (!chosen)
        return 0;
    const std::string& path = *chosen;
    SystemTagPdfPath = path;
    PrintSystemFilePath = FolderOfPath(path);
    const tarvel::SaveResult saved = canvas.SaveToFile(path);
    if (saved) {
        context.prompter.Show(texts.Text(kSystemTagSavedRow, "File saved successfully"),
                              texts.Text(kSystemTagTipsCaptionRow, "Tips"), tarvel::MsgIcon::Exclamation,
                              tarvel::MsgButtons::Ok);
    } else {
        TraceLog("system tag: could not write " + path + ": " + saved.Reason());
        context.prompter.Show(
            tarvel::NotSavedText(texts.Text(kSystemTagNotSavedRow, "The file was not saved"), path, saved),
            texts.Text(kSystemTagErrorCaptionRow, "Error"), tarvel::MsgIcon::Exclamation, tarvel::MsgButtons::Ok);
    }
    return 1;
}

int SystemTagPdfWriter(int brandIndex, const tarvel::PageContext& context)
{
    HaruPdfCanvas canvas;
    return SystemTagPdfWriter(brandIndex, context, canvas, tarvel::LocalNow());
}

} // namespace tarvel::report
