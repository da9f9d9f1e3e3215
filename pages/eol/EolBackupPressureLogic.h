// The backup-pressure test: the ECU holds the modulators' backup valves
// (2F 00 06 03 FF FF FF, renewed every 2000 ms), the page checks that the
// circuit is released, asks the operator to build the backup pressure
// (UI text 208), reads the desired pressure and the brake pressures
// (0x0051, 0x0052, and 0x0053 on "4S3M") and judges them: some pressure at
// all, at least one channel from 5.0 bar, and every compared pair of
// channels within 0.7 bar.
//
// A request the ECU leaves unanswered, a read or the hold (the ECU or the
// adapter has fallen silent), ends the run at once with the not-read box
// (UI text 207): nothing is judged, and the valves are handed back without a
// box of their own.
#pragma once

#include "EolPageLogic.h"
#include "EolPressureReader.h"

#include <array>
#include <cstdint>
#include <string>

// Channels 1 to 5 (indexes 0 to 4): desired (label 1522), left (1523),
// right (1524), EBS-D left (1527), EBS-D right (1526).
constexpr int kBackupChannels = 5;

struct EolBackupPressureState {
    std::array<std::string, kBackupChannels> labels;
    // Frames of labels 1522, 1523, 1524 (UI texts 62, 58, 59) and of the EBS-D
    // labels (UI texts 482, 483, set on activation).
    std::array<std::string, kBackupChannels> frameCaptions;
    bool ebsdShown = false;
};

// The verdict on the channels.
struct BackupPressureVerdict {
    bool passed = false;
    int remarkRow = 0; // report text, 0 for a pass
    int textRow = 0;   // UI text of the failure box, 0 for a pass
};

class EolBackupPressureLogic : public EolPageLogic {
public:
    static constexpr uint16_t kValvesDid = 0x0006;
    static constexpr uint16_t kDesiredDid = 0x0051;
    static constexpr uint16_t kMainDid = 0x0052;
    static constexpr uint16_t kEbsdDid = 0x0053;
    static constexpr uint32_t kRenewMs = 2000;
    static constexpr float kReleasedLimit = 0.25f;
    static constexpr int kBuildPressureTextRow = 208;
    static constexpr int kPassedTextRow = 209;
    static constexpr int kFailedTextRow2 = 210;
    static constexpr int kHoldRefusedTextRow = 211;
    static constexpr int kNotReleasedTextRow = 212;
    static constexpr int kReadFailedTextRow = 207;

    explicit EolBackupPressureLogic(const tarvel::PageContext& context);

    const EolBackupPressureState& State() const { return state_; }

    // The operator's cue as the page shows it: UI text 208, or the page's
    // own words when the language file has none for it.
    static std::string BuildPressureText(const tarvel::TextTable& texts);
    // The evaluation: channels 1 to 3, or 1 to 5 for "4S3M".
    static BackupPressureVerdict EvaluateBackupChannels(const float* channels, bool fiveChannels);
    // The pre-check: no channel above 0.25 bar.
    static bool BackupPressureReleased(const float* channels, bool fiveChannels);
    // The routing of a reading pass.
    static PressureReadPass BackupReading(bool fiveChannels, int32_t variant);

    void OnActivate(int message) override;

protected:
    void RunTest() override;
    void OnTick() override;
    void OnExitTest() override;
    void OnProgramClosing() override;
    void OnPageLanguageChanged() override;

private:
    void RunBackupPressureTest();
    // 2F 00 06 03 FF FF FF; a refusal shows UI text 211. `renewal`: sent by
    // the timer.
    bool HoldBackupPressureValves(bool renewal = false);
    // The layout's read; false when the test ended meanwhile.
    bool ReadBackupPressures();
    // The not-read end of a run (see above).
    void EndNotRead();
    // 2F 00 06 00 (`quiet`: without a box should the ECU not answer).
    void ReturnIoControlToEcu(bool quiet = false);
    void ShowChannel(int channel, const std::string& text);

    EolBackupPressureState state_;
    bool fiveChannels_ = false;
    bool renewalRefused_ = false;
    bool controlOwed_ = false; // Exit found a request in flight
};
