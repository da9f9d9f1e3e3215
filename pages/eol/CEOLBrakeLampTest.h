// The brake-lamp test page: Start, Exit Test, Skip Test and the "Never Test"
// box, the prompt with its two YES/NO pairs (lamp on, lamp off), and the two
// result pictures. The view's reset message applies the stored "Never Test"
// choice.
#pragma once

#include "EolLampPageParts.h"

class AppMessageEvent;
class EolBrakeLampLogic;
class wxCheckBox;
class wxStaticText;

class CEOLBrakeLampTest : public CEolLampTestPage {
public:
    static constexpr int kStartId = 1600;
    static constexpr int kExitId = 1601;
    static constexpr int kLampOffYesId = 1602;
    static constexpr int kLampOnYesId = 1603;
    static constexpr int kLampOffNoId = 1604;
    static constexpr int kLampOnNoId = 1605;
    static constexpr int kLampOnPictureId = 1606;
    static constexpr int kLampOffPictureId = 1607;
    static constexpr int kPromptId = 1608;
    static constexpr int kSkipId = 1207;
    static constexpr int kNeverTestId = 1616;
    static constexpr int kLampOnCaptionId = 1303;
    static constexpr int kLampOffCaptionId = 1271;

    CEOLBrakeLampTest();
    // Asks a running end-of-line step to stop: the page is going away.
    ~CEOLBrakeLampTest() override;
    bool Create(wxWindow* parent) override;

    wxButton* Start() const { return start_; }
    wxButton* ExitTest() const { return exit_; }
    wxButton* Skip() const { return skip_; }
    wxCheckBox* NeverTest() const { return neverTest_; }

protected:
    void RenderPage() override;

private:
    EolBrakeLampLogic* Lamp() const;
    void OnReset(AppMessageEvent& event);

    wxButton* start_ = nullptr;
    wxButton* exit_ = nullptr;
    wxButton* skip_ = nullptr;
    wxCheckBox* neverTest_ = nullptr;
};
