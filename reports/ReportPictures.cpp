#include "ReportPictures.h"

#include <algorithm>
#include <cctype>

#include "Log.h"
#include "ProgramPaths.h"

namespace tarvel::report {

namespace {

#include "logo/BuiltinLogoJpeg.inc"

bool EndsWithPng(const std::string& path)
{
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".png";
}

} // namespace

PdfImage BitmapResourceToTempJpeg(PdfCanvas& canvas, int resourceId)
{
    if (resourceId != kBuiltinLogoResource) {
        TraceLog("report: no built-in picture " + std::to_string(resourceId));
        return {};
    }
    return canvas.LoadJpegMemory(kBuiltinLogoJpeg, sizeof kBuiltinLogoJpeg);
}

PdfImage LoadReportPicture(PdfCanvas& canvas, const std::string& relativePath)
{
    const std::string path = ProgramDataPath(relativePath);
    return EndsWithPng(path) ? canvas.LoadPngFile(path) : canvas.LoadJpegFile(path);
}

bool DrawReportPicture(PdfCanvas& canvas, const std::string& relativePath, float x, float y, float width,
                       float height)
{
    const PdfImage image = LoadReportPicture(canvas, relativePath);
    if (!image) return false;
    canvas.DrawImage(image, x, y, width, height);
    return true;
}

} // namespace tarvel::report
