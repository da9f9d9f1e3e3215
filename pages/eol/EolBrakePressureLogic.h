// The brake-pressure test: the ECU builds pressure on its modulator channels
// and releases it again, the page reads the pressures back (22 00 52, and
// 22 00 53 on a "4S3M" system) and judges each against 5.0 bar applied and
// 0.0 bar released, within 0.7 bar.
//
// Two channels (every form but "4S3M"): four phases of six 500 ms ticks,
// left apply, left release, right apply, right release. Each tick reads the
// pressures (each reading is shown; the phase keeps the highest applied or
// lowest released value), then re-sends the phase's command; the sixth hands
// control back (2F 00 05 00) and the phase is judged 3600 ms after it began.
// A failed item ends the sequence.
// "4S3M": channel 0x90 applied, then released, one reading of both
// identifiers in each, eight values judged in one go.
//
// A pressure that could not be read is reported as not read, never as out of
// tolerance: a request that goes unanswered ends the run at once, and an item
// its phase read nothing for is not judged (UI text 207, no verdict).
#pragma once

#include "EolPageLogic.h"
#include "EolPressureReader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The page's value labels, in this order: 1514, 1515, 1516, 1517 (items 1 to
// 4: left applied, left released, right applied, right released) and 1520,
// 1521, 1522, 1523 (EBS-D left applied, left released, right applied, right
// released).
enum BrakePressureSlot {
    kLeftBrakeSlot,
    kLeftReleaseSlot,
    kRightBrakeSlot,
    kRightReleaseSlot,
    kEbsdLeftBrakeSlot,
    kEbsdLeftReleaseSlot,
    kEbsdRightBrakeSlot,
    kEbsdRightReleaseSlot,
    kBrakePressureSlots
};

struct EolBrakePressureState {
    // Label texts by slot; "0.00" when the page is created.
    std::array<std::string, kBrakePressureSlots> labels;
    // Captions of the frames of labels 1514, 1516, 1515, 1517 (UI texts 58,
    // 59, 60, 61) by slot 0..3, and of the EBS-D frames by slot 4..7 (UI
    // texts 482, 484, 483, 485; set on activation).
    std::array<std::string, kBrakePressureSlots> frameCaptions;
    // The EBS-D frames and labels are shown ("4S3M").
    bool ebsdShown = false;
};

class EolBrakePressureLogic : public EolPageLogic {
public:
    static constexpr uint16_t kControlDid = 0x0005;
    static constexpr uint16_t kMainDid = 0x0052;
    static constexpr uint16_t kEbsdDid = 0x0053;
    static constexpr uint8_t kLeftChannel = 0x10;
    static constexpr uint8_t kRightChannel = 0x01;
    static constexpr uint8_t kAllChannels = 0x90;
    static constexpr uint8_t kApplyLevel = 0x64;
    static constexpr uint8_t kReleaseLevel = 0x00;
    static constexpr uint32_t kTickMs = 500;
    static constexpr int kTicksPerPhase = 6;
    static constexpr uint32_t kPhaseWaitMs = 3600;
    static constexpr float kAppliedTarget = 5.0f;
    static constexpr float kReleasedTarget = 0.0f;
    static constexpr double kTolerance = 0.7;
    static constexpr int kInstructionTextRow = 198;
    static constexpr int kReadFailedTextRow = 207;
    static constexpr int kRemarkRow = 53; // report text
    static constexpr const char* kEbsdRemark =
        "The difference between the actual pressure and the set pressure is too large";

    explicit EolBrakePressureLogic(const tarvel::PageContext& context);

    const EolBrakePressureState& State() const { return state_; }

    // True when `value` (none: no reading) is within the tolerance of
    // `target`: |value - target| in single precision, compared in double.
    static bool PressureWithinTolerance(std::optional<float> value, float target);

    // The tables the reader routes by: a two-channel timer reading (by which
    // steps have passed) and the "4S3M" applied or released reading of one
    // identifier.
    static PressureReadPass TimerReading(bool leftApplyPassed, bool rightApplyPassed);
    static PressureReadPass EbsdReading(uint16_t did, bool applied, int32_t variant);

    // Lifecycle: activation shows the idle look when items 1 to 4 are all
    // untested, and the EBS-D part for "4S3M".
    void OnActivate(int message) override;
    void OnDisconnected() override;

protected:
    void RunTest() override;
    void OnTick() override;
    void OnExitTest() override;
    void OnProgramClosing() override;
    void OnPageLanguageChanged() override;

private:
    struct Phase {
        uint8_t channel;
        bool apply;
        bool readsPressures; // two-channel phases read on each tick
    };

    void RunTwoChannelSequence();
    void RunEbsdSequence();
    // Begins a phase: its ticks every 500 ms.
    void BeginPhase(const Phase& phase);
    // A phase still open is closed: ticks killed, control handed back.
    void ClosePhase();
    // Control of the channels back to the ECU when a phase holds one (and no
    // request is in flight; otherwise as soon as that request has ended).
    // `quiet`: after the ECU fell silent, so that no time-out box follows the
    // page's own.
    void ReleaseHeldChannel(bool quiet = false);
    // One tick of the open phase.
    void OnBrakePressureTimer();
    bool CommandPressureChannel(uint8_t channel, bool apply);
    // One reading pass; false when the test ended meanwhile.
    bool ReadPressures(const PressureReadPass& pass);
    void EvaluatePressureItem(int item);
    void EvaluateBrakePressures();
    void ShowBrakePressureVerdict(bool passed);
    // Ends a run that was asked to stop: nothing more is judged.
    void StopRun();
    // Ends a run whose pressures could not be read (the ECU or the adapter
    // fell silent, or a phase read nothing): the not-read box (UI text 207),
    // no verdict, no failure marker; a channel still held is handed back.
    void EndNotRead();
    void ClearSlots(int first, int last);
    void PublishValues();
    std::optional<float> SlotValue(int slot) const;

    EolBrakePressureState state_;
    std::array<PressureSlot, kBrakePressureSlots> slots_{};
    std::optional<Phase> phase_;   // the open phase
    bool holdsChannel_ = false;    // a command of the open phase is in force
    bool releaseOwed_ = false;     // Exit found a request in flight
    bool inTick_ = false;
    int ticks_ = 0;
};
