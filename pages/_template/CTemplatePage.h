// The template page's window: builds its controls, forwards each event to
// the logic in one line and renders the logic's state. No decisions here.
#pragma once

#include "PageHostPage.h"

class wxButton;
class wxStaticText;

class CTemplatePage : public CTarvelPage {
public:
    CTemplatePage();
    bool Create(wxWindow* parent) override;

    wxStaticText* SerialLabel() const { return serial_; }

protected:
    void RenderState() override;

private:
    wxStaticText* serial_ = nullptr;
    wxButton* read_ = nullptr;
};
