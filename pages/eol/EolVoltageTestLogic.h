// The supply-voltage test: one read of the ECU's supply voltage, shown and
// judged against 18.0 V to 32.0 V (both bounds pass). It commands no output
// and runs in whatever session is active; a failure writes the failure
// marker into the ECU.
#pragma once

#include "EolPageLogic.h"

#include <cstdint>
#include <string>

struct EolVoltageState {
    // The value label: "24.00V", or "---" before a reading and after a
    // failed one.
    std::string voltageText = "---";
    // The measured voltage, 0.0 until a reading succeeds.
    float voltage = 0.0f;
    // The "Supply Voltage" frame's caption (UI text 44).
    std::string groupCaption;
};

class EolVoltageTestLogic : public EolPageLogic {
public:
    static constexpr uint16_t kSupplyVoltageDid = 0x0029;
    static constexpr float kVoltsPerBit = 0.15f;
    static constexpr uint32_t kSettleMs = 700;
    static constexpr float kLowestVolts = 18.0f;
    static constexpr float kHighestVolts = 32.0f;
    static constexpr int kGroupTextRow = 44;
    static constexpr int kReadFailedTextRow = 181;
    static constexpr int kTooLowTextRow = 182;
    static constexpr int kTooHighTextRow = 183;
    static constexpr int kTooLowRemarkRow = 73;  // report text
    static constexpr int kTooHighRemarkRow = 74; // report text
    static constexpr const char* kNoValue = "---";

    explicit EolVoltageTestLogic(const tarvel::PageContext& context);

    const EolVoltageState& State() const { return state_; }

    // The first data byte of a 22 00 29 answer as the label shows it
    // ("%.2f" of raw x 0.15 in single precision, then "V") and as volts;
    // false (and "---") when the record holds no byte.
    static bool DecodeSupplyVoltage(const uint8_t* record, size_t size, float& volts, std::string& text);

protected:
    void RunTest() override;
    void OnClearDisplay() override;
    void OnPageLanguageChanged() override;

private:
    void ReadVoltage();
    void Evaluate();

    EolVoltageState state_;
};
