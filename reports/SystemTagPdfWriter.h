// The system tag: the braking-system plate as a one-page PDF, saved where the
// user chooses.
#pragma once

#include <string>

#include "LocalTime.h"
#include "PageContext.h"
#include "PdfCanvas.h"

namespace tarvel::report {

// Language rows of the writer's boxes.
constexpr int kSystemTagSavedRow = 179;
constexpr int kSystemTagNotSavedRow = 180;
constexpr int kSystemTagTipsCaptionRow = 74;
constexpr int kSystemTagErrorCaptionRow = 76;
// Report row of the box shown when no document can be made.
constexpr int kSystemTagNoDocumentPdfRow = 0;
// The save dialog's filter.
extern const char* const kSystemTagPdfFilter; // "文件 (*.pdf;)|*.pdf"

// "SystemTag-<%Y-%m-%d>  <%H-%M-%S>.pdf" (two blanks) for `localTime`.
std::string SystemTagDefaultFileName(const tarvel::LocalDateTime& localTime);
// The folder of a path: everything up to and including its last '/' or '\';
// empty when it has neither.
std::string FolderOfPath(const std::string& path);
// The folder the save dialog opens in: PrintSystemFilePath when it is an
// existing folder, else the user's home folder.
std::string SystemTagStartFolder();

// Draws the plate with the brand `brandIndex` on `canvas`, asks for the file
// (default name from `localTime`), saves and tells the outcome. Returns 1
// after a save was attempted, 0 when the canvas holds no document (report row
// 0 box) or the user cancelled (no box). A chosen path gets ".pdf" when it
// lacks it before anyone is asked about replacing a file; it is kept in
// SystemTagPdfPath and its folder in PrintSystemFilePath. A failed save
// leaves an older file as it was; its box (180/76) names the file and the
// reason.
int SystemTagPdfWriter(int brandIndex, const tarvel::PageContext& context, PdfCanvas& canvas,
                       const tarvel::LocalDateTime& localTime);

// The same on a new libharu document, at the local time now.
int SystemTagPdfWriter(int brandIndex, const tarvel::PageContext& context);

} // namespace tarvel::report
