// The warning-lamp test page: Start and Exit Test, the question with its two
// YES/NO pairs (lamp on, lamp off; one pair shown at a time), and the two
// result pictures.
#pragma once

#include "EolLampPageParts.h"

class EolWarningLampLogic;
class wxStaticText;

class CABSEOLLampTest : public CEolLampTestPage {
public:
    static constexpr int kStartId = 1;
    static constexpr int kExitId = 2;
    static constexpr int kQuestionId = 1409;
    static constexpr int kLampOnYesId = 1410;
    static constexpr int kLampOnNoId = 1411;
    static constexpr int kLampOffYesId = 1412;
    static constexpr int kLampOffNoId = 1413;
    static constexpr int kLampOnCaptionId = 1303;
    static constexpr int kLampOffCaptionId = 1271;
    static constexpr int kLampOnPictureId = 1404;
    static constexpr int kLampOffPictureId = 1405;

    CABSEOLLampTest();
    // Asks a running end-of-line step to stop: the page is going away.
    ~CABSEOLLampTest() override;
    bool Create(wxWindow* parent) override;

    wxButton* Start() const { return start_; }
    wxButton* ExitTest() const { return exit_; }

protected:
    void RenderPage() override;

private:
    EolWarningLampLogic* Lamp() const;

    wxButton* start_ = nullptr;
    wxButton* exit_ = nullptr;
};
