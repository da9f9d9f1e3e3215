// The underwater-valve test page: Start and Exit Test, the prompt with the
// two YES/NO pairs right below it (valve open, valve closed; one pair shown
// at a time, both in the same place), the valve picture (the valve open or
// closed, as the operator should see it; it shrinks where the page is low)
// and the two result pictures.
#pragma once

#include "EolTestPage.h"
#include "EolUnderwaterValveLogic.h"

class CShrinkingPicture;
class wxStaticText;

class CEOLUnderwaterValveTest : public CEolTestPage, public ValvePictureTarget {
public:
    static constexpr int kStartId = 1700;
    static constexpr int kExitId = 1617;
    static constexpr int kOpenYesId = 1670;
    static constexpr int kOpenNoId = 1269;
    static constexpr int kCloseYesId = 1704;
    static constexpr int kCloseNoId = 1207;
    static constexpr int kPromptId = 1701;
    static constexpr int kValvePictureId = 1702;
    static constexpr int kOpenPictureId = 1703;
    static constexpr int kClosePictureId = 1530;
    static constexpr int kOpenCaptionId = 1303;
    static constexpr int kCloseCaptionId = 1271;

    CEOLUnderwaterValveTest();
    // Asks a running end-of-line step to stop: the page is going away.
    ~CEOLUnderwaterValveTest() override;
    bool Create(wxWindow* parent) override;

    wxButton* Start() const { return start_; }
    wxButton* ExitTest() const { return exit_; }
    wxButton* OpenYes() const { return openYes_; }
    wxButton* OpenNo() const { return openNo_; }
    wxButton* CloseYes() const { return closeYes_; }
    wxButton* CloseNo() const { return closeNo_; }
    CShrinkingPicture* ValvePictureControl() const { return valve_; }

    // Loads the PNG at `path`, scales it to width x height with high quality
    // and sets it into the valve picture; 1 loaded, 0 failed (the picture
    // keeps what it showed).
    int LoadPngIntoPicture(const std::string& path, int width, int height) override;

protected:
    void RenderPage() override;

private:
    EolUnderwaterValveLogic* Valve() const;

    wxButton* start_ = nullptr;
    wxButton* exit_ = nullptr;
    wxButton* openYes_ = nullptr;
    wxButton* openNo_ = nullptr;
    wxButton* closeYes_ = nullptr;
    wxButton* closeNo_ = nullptr;
    CShrinkingPicture* valve_ = nullptr;
    wxStaticText* openCaption_ = nullptr;
    wxStaticText* closeCaption_ = nullptr;
    EolUnderwaterValveLogic* pictureLogic_ = nullptr;
};
