// Pictures of the PDF reports. A picture that is missing or cannot be read is
// skipped (and logged): the report is still written, without it.
#pragma once

#include <string>

#include "PdfCanvas.h"

namespace tarvel::report {

// The built-in report logo (90 x 50 pixels), compiled into the program.
constexpr int kBuiltinLogoResource = 535;

// The built-in picture `resourceId` loaded into the canvas's document; an
// empty image for an unknown id. The picture is handed to the document
// straight from memory, so no temporary file is written.
PdfImage BitmapResourceToTempJpeg(PdfCanvas& canvas, int resourceId);

// A picture file beside the program (e.g. "ReportImage\\load.png"; '\' and '/'
// both work), loaded as PNG when its name ends in ".png" and as JPEG
// otherwise. An empty image when it is missing or unreadable.
PdfImage LoadReportPicture(PdfCanvas& canvas, const std::string& relativePath);

// Loads the picture and draws it with its lower-left corner at (x, y) points,
// scaled to width x height. Returns false, drawing nothing, when the picture
// could not be loaded.
bool DrawReportPicture(PdfCanvas& canvas, const std::string& relativePath, float x, float y, float width,
                       float height);

} // namespace tarvel::report
