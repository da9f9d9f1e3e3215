// A static control that shows a short text as a 7- or 14-segment display,
// the segments drawn as filled outlines scaled to the control's size.
#pragma once

#include "DigiChar.h"

#include <wx/control.h>

#include <string>

class wxDC;

namespace tarvel {

class CDigistring : public wxControl {
public:
    CDigistring(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize);

    void SetDisplayText(const std::string& text);
    void SetSegmentColours(DigiColour unlit, DigiColour lit);
    using wxControl::SetBackgroundColour;
    void SetBackgroundColour(DigiColour colour);
    int ChangeDisplayStyle(uint32_t remove, uint32_t add);

    const DigiDisplayModel& Model() const { return model_; }

    // Draws the whole display into dc over a client area of the given size.
    void Render(wxDC& dc, const wxSize& size);

    static wxColour ToWxColour(DigiColour colour);

protected:
    wxSize DoGetBestSize() const override;

private:
    void OnPaint(wxPaintEvent& event);
    void Repaint();

    DigiDisplayModel model_;
};

} // namespace tarvel
