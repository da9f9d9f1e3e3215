#include "Digistring.h"

#include <wx/dcbuffer.h>
#include <wx/graphics.h>

#include <memory>

namespace tarvel {

CDigistring::CDigistring(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
{
    // The paint covers the whole control, so erasing first would only flicker.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Create(parent, id, pos, size, wxBORDER_NONE);
    Bind(wxEVT_PAINT, &CDigistring::OnPaint, this);
}

wxColour CDigistring::ToWxColour(DigiColour colour)
{
    return wxColour(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

void CDigistring::Repaint()
{
    Refresh(true);
}

void CDigistring::SetDisplayText(const std::string& text)
{
    if (model_.SetDisplayText(text))
        Repaint();
}

void CDigistring::SetSegmentColours(DigiColour unlit, DigiColour lit)
{
    if (model_.SetSegmentColours(unlit, lit))
        Repaint();
}

void CDigistring::SetBackgroundColour(DigiColour colour)
{
    if (model_.SetBackgroundColour(colour))
        Repaint();
}

int CDigistring::ChangeDisplayStyle(uint32_t remove, uint32_t add)
{
    const int changed = model_.ChangeDisplayStyle(remove, add);
    if (changed)
        Repaint();
    return changed;
}

wxSize CDigistring::DoGetBestSize() const
{
    return FromDIP(wxSize(120, 40));
}

void CDigistring::OnPaint(wxPaintEvent&)
{
    // Double buffered: the picture is built off screen and copied in one go.
    wxAutoBufferedPaintDC dc(this);
    Render(dc, GetClientSize());
}

void CDigistring::Render(wxDC& dc, const wxSize& size)
{
    const auto& characters = model_.Characters();

    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(ToWxColour(model_.BackgroundColour())));
    dc.DrawRectangle(0, 0, size.x, size.y);

    const std::vector<DigiRect> rects = LayoutDigiCharacters(characters, size.x, size.y, model_.Style());
    if (rects.empty())
        return;

    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::CreateFromUnknownDC(dc));
    if (!gc)
        return;
    const wxPen unlitPen(ToWxColour(BlendDigiPen(model_.UnlitColour(), model_.BackgroundColour())), 1);
    const wxPen litPen(ToWxColour(BlendDigiPen(model_.LitColour(), model_.BackgroundColour())), 1);
    const wxBrush unlitBrush(ToWxColour(model_.UnlitColour()));
    const wxBrush litBrush(ToWxColour(model_.LitColour()));

    for (size_t c = 0; c < characters.size() && c < rects.size(); ++c) {
        const CDigiChar& character = *characters[c];
        const auto& segments = character.Segments();
        for (size_t s = 0; s < segments.size(); ++s) {
            const bool lit = character.IsLit(s);
            gc->SetPen(lit ? litPen : unlitPen);
            gc->SetBrush(lit ? litBrush : unlitBrush);

            std::vector<DigiPoint> mapped;
            mapped.reserve(segments[s].points.size());
            for (const DigiPoint& p : segments[s].points)
                mapped.push_back(MapDigiPoint(p, rects[c], character.Width()));

            wxGraphicsPath path = gc->CreatePath();
            for (const DigiPathCommand& command : BuildDigiPath(mapped, segments[s].kinds)) {
                switch (command.kind) {
                case DigiPathCommand::Move:
                    path.MoveToPoint(command.to.x, command.to.y);
                    break;
                case DigiPathCommand::Line:
                    path.AddLineToPoint(command.to.x, command.to.y);
                    break;
                case DigiPathCommand::Curve:
                    path.AddCurveToPoint(command.c1.x, command.c1.y, command.c2.x, command.c2.y, command.to.x,
                                         command.to.y);
                    break;
                }
            }
            path.CloseSubpath();
            gc->DrawPath(path);
        }
    }
}

} // namespace tarvel
