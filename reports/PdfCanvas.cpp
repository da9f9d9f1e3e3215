#include "PdfCanvas.h"

namespace tarvel::report {

void TextOutFromTop(PdfCanvas& canvas, float x, float v, const std::string& utf8)
{
    canvas.TextOut(x, canvas.PageHeight() - v, utf8);
}

void DrawImageFromTop(PdfCanvas& canvas, PdfImage image, float x, float v, float width, float height)
{
    canvas.DrawImage(image, x, canvas.PageHeight() - v, width, height);
}

} // namespace tarvel::report
