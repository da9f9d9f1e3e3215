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

bool EndsWithPdf(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".pdf";
}

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
    const std::optional<std::string> chosen = context.files.Choose(request);
    if (!chosen || chosen->empty()) {
        context.prompter.Show(texts.Text(kSystemTagNotSavedRow, "The file was not saved"),
                              texts.Text(kSystemTagErrorCaptionRow, "Error"), tarvel::MsgIcon::Exclamation,
                              tarvel::MsgButtons::Ok);
        return 0;
    }
    std::string path = *chosen;
    if (!EndsWithPdf(path))
        path += ".pdf";
    SystemTagPdfPath = path;
    PrintSystemFilePath = FolderOfPath(path);
    if (canvas.SaveToFile(path)) {
        context.prompter.Show(texts.Text(kSystemTagSavedRow, "File saved successfully"),
                              texts.Text(kSystemTagTipsCaptionRow, "Tips"), tarvel::MsgIcon::Exclamation,
                              tarvel::MsgButtons::Ok);
    } else {
        TraceLog("system tag: could not write " + path);
        context.prompter.Show(texts.Text(kSystemTagNotSavedRow, "The file was not saved"),
                              texts.Text(kSystemTagErrorCaptionRow, "Error"), tarvel::MsgIcon::Exclamation,
                              tarvel::MsgButtons::Ok);
    }
    return 1;
}

int SystemTagPdfWriter(int brandIndex, const tarvel::PageContext& context)
{
    HaruPdfCanvas canvas;
    return SystemTagPdfWriter(brandIndex, context, canvas, tarvel::LocalNow());
}

} // namespace tarvel::report
