#include "EolVoltageTestLogic.h"

#include "PageHostTable.h"
#include "ValueCodec.h"

#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

EolVoltageTestLogic::EolVoltageTestLogic(const tarvel::PageContext& context)
    : EolPageLogic(tarvel::TabEolVoltage,
                   EolPageTraits{EolPage::Voltage, 1, /*startClearsStop*/ false, /*exitSetsStop*/ false,
                                 /*hasExit*/ false},
                   context)
{
}

bool EolVoltageTestLogic::DecodeSupplyVoltage(const uint8_t* record, size_t size, float& volts, std::string& text)
{
    // One unsigned byte, scaled in single precision, two decimals.
    ValueField field;
    field.DataType = "Unsigned";
    field.BitLenth = 8;
    field.Conversion = kVoltsPerBit;
    field.DecimalValid = 2;
    field.DidNumber = "0029";
    ValueCodecOptions options = DeviceInfoCodecOptions();
    options.format = NumberFormat::ByDecimalValid;
    options.scaleInDouble = false;
    const DecodedValue value = DecodeValue(record, size, field, options);
    if (value.text.empty() || value.box != 0) {
        volts = 0.0f;
        text = kNoValue;
        return false;
    }
    volts = std::strtof(value.text.c_str(), nullptr);
    text = value.text + "V";
    return true;
}

void EolVoltageTestLogic::RunTest()
{
    tarvel::TestRunning = 0;
    ReadVoltage();
    if (!StillRunning())
        return; // the link was lost during the read
    if (!PumpedWait(kSettleMs))
        return;
    Evaluate();
}

void EolVoltageTestLogic::ReadVoltage()
{
    state_.voltage = 0.0f;
    std::vector<uint8_t> data;
    if (tarvel::UdsReadById(kSupplyVoltageDid, data) == 1) {
        // Only what the ECU sent counts, not the padding of its last frame.
        const uint32_t length = tarvel::UdsResponseLength();
        const size_t size = std::min<size_t>(data.size(), length >= 3 ? length - 3 : 0);
        DecodeSupplyVoltage(data.data(), size, state_.voltage, state_.voltageText);
    } else {
        state_.voltageText = kNoValue;
    }
    Changed();
}

void EolVoltageTestLogic::Evaluate()
{
    if (state_.voltageText == kNoValue) {
        Box(kReadFailedTextRow, kErrorCaptionRow);
        EndRun();
        return;
    }
    const float volts = state_.voltage;
    if (volts < kLowestVolts || volts > kHighestVolts) {
        const bool low = volts < kLowestVolts;
        RecordFail(0, EolVoltageResult, EolVoltageRemark, ReportText(low ? kTooLowRemarkRow : kTooHighRemarkRow));
        Box(low ? kTooLowTextRow : kTooHighTextRow, kErrorCaptionRow);
    } else {
        RecordPass(0, EolVoltageResult);
        Box(kPassedTextRow, kTipsCaptionRow);
    }
    EndRun();
}

void EolVoltageTestLogic::OnClearDisplay()
{
    state_.voltageText = kNoValue;
    Changed();
}

void EolVoltageTestLogic::OnPageLanguageChanged()
{
    state_.groupCaption = Text(kGroupTextRow);
}
