// The underwater-valve test: the operator is shown a picture of the open valve
// and asked whether the valve is open; after a YES the ECU is told to switch
// the valve (output 07 of identifier 0x0004) and the operator is shown the
// closed valve and asked whether it is closed. Each NO records the item as
// failed with its remark and writes the failure marker. Start sends no
// command; Exit hands nothing back (the valve output stays with the ECU's last
// command until its next restart).
//
// Start, Exit and the answers run in order (EolEventOrder): one that arrives
// while another runs or a request is in flight waits; an answer then acts only
// if its question is still open.
#pragma once

#include "EolEventOrder.h"
#include "EolPageLogic.h"

#include <cstdint>
#include <string>

// Which question is open (its YES/NO pair is shown).
enum class ValveQuestion { None, Open, Close };
// What the valve picture shows.
enum class ValvePicture { None, Open, Close };

// Puts a PNG file into the page's valve picture, scaled to width x height.
// Answers 1 when the picture now shows the file, 0 when it could not be
// loaded (the picture then keeps what it showed).
class ValvePictureTarget {
public:
    virtual ~ValvePictureTarget() = default;
    virtual int LoadPngIntoPicture(const std::string& path, int width, int height) = 0;
};

struct EolValveState {
    ValveQuestion open = ValveQuestion::None;
    ValvePicture picture = ValvePicture::None;
    // Captions of the current language: YES (UI text 237), NO (238),
    // "Valve Open：" (581), "Valve Close：" (582).
    std::string yesCaption;
    std::string noCaption;
    std::string openCaption;
    std::string closeCaption;
};

class EolUnderwaterValveLogic : public EolPageLogic {
public:
    static constexpr uint16_t kValveDid = 0x0004;
    static constexpr uint8_t kValveOutput = 0x07;
    static constexpr uint8_t kShortTermAdjustment = 0x03;
    static constexpr uint16_t kMarkerDid = 0x0094;
    static constexpr int kPictureWidth = 350;
    static constexpr int kPictureHeight = 240;
    static constexpr const char* kOpenPicture = "ReportImage\\UnderwaterValve_Open.png";
    static constexpr const char* kClosePicture = "ReportImage\\UnderwaterValve_Close.png";
    // The application's own box when a valve picture cannot be shown.
    static constexpr const char* kPictureFailedText = "图片加载失败";
    static constexpr const char* kPictureFailedCaption = "Tarvel";
    static constexpr int kOpenQuestionRow = 583;
    static constexpr int kCloseQuestionRow = 584;
    static constexpr int kCommandRefusedRow = 585;
    static constexpr int kYesTextRow = 237;
    static constexpr int kNoTextRow = 238;
    static constexpr int kOpenCaptionRow = 581;
    static constexpr int kCloseCaptionRow = 582;
    static constexpr int kOpenRemarkRow = 114;  // report text
    static constexpr int kCloseRemarkRow = 115; // report text
    static constexpr int kOpenPictureIndex = 0;
    static constexpr int kClosePictureIndex = 1;

    explicit EolUnderwaterValveLogic(const tarvel::PageContext& context);
    ~EolUnderwaterValveLogic() override;

    const EolValveState& State() const { return state_; }

    // The window's valve picture (not owned; null: the file is only checked
    // to be a readable PNG, as the logic tests need).
    void SetPictureTarget(ValvePictureTarget* target) { target_ = target; }

    // ---- The view's events (run now, or once the page and link are free) ----
    void StartClicked();
    void ExitClicked();
    // The YES/NO pair of `question`.
    void Answer(ValveQuestion question, bool yes);
    size_t WaitingEvents() const { return order_.Waiting(); }

    // A picture of the data folder by its relative name ('\\' or '/').
    std::string PicturePath(const char* relative) const;

    // A lost link with a test running ends it as Exit Test does.
    void OnDisconnected() override;

    // 2F 00 04 03 07 FF 01; 1 when the ECU accepted it (no box otherwise).
    static int UnderwaterValveCommand();

protected:
    void RunTest() override;
    void OnPageLanguageChanged() override;
    void OnAnswer(bool yes) override { AnswerNow(state_.open, yes); }

private:
    void ResetUnderwaterValvePage();
    void ShowUnderwaterValveClose();
    void FinishUnderwaterValveTest();
    void ExitUnderwaterValveTest();
    void AnswerNow(ValveQuestion question, bool yes);
    // The item failed: flag 0, its remark, the failure marker (10 03,
    // SecurityAccess, and 2E 00 94 00 only once unlocked), picture 421.
    void RecordValveFailure(int picture, int32_t& flag, std::string& remark, int remarkRow);
    // Loads `relative` into the valve picture; the box when that fails.
    void LoadValvePicture(const char* relative, ValvePicture picture);
    void OpenQuestion(ValveQuestion question, int row);
    // The prompt to its cleared look (a single space).
    void ClearPrompt();

    EolValveState state_;
    ValvePictureTarget* target_ = nullptr;
    EolEventOrder order_;
};
