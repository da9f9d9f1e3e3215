#include "EolReportsLogic.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "EolPageLogic.h"
#include "EolPassRule.h"
#include "PageHostTable.h"
#include "ReportGlobals.h"
#include "ReportTextTable.h"
#include "SettingsFiles.h"
#include "ShellGlobals.h"
#include "SystemTagPlate.h"
#include "ValueCodec.h"
#include "WindowRegistry.h"

#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>
#include <initializer_list>

namespace {

// Report text rows of the words.
constexpr int kNotRunWord = 38;
constexpr int kFailedWord = 39;
constexpr int kPassedWord = 40;
constexpr int kNotApplicableWord = 41;
constexpr int kIncompleteWord = 42;

constexpr uint16_t kVinDid = 0xF190;
constexpr size_t kVinLength = 17;

// A flag's word: -1 not run, 0 failed, 1 passed; any other value leaves it.
void SetWord(std::string& word, int32_t flag)
{
    switch (flag) {
    case -1: word = PdfText(kNotRunWord); break;
    case 0: word = PdfText(kFailedWord); break;
    case 1: word = PdfText(kPassedWord); break;
    default: break;
    }
}

// The brake lamp: 2 is not applicable, and a value no test writes shows "---".
void SetBrakeLampWord(std::string& word, int32_t flag)
{
    if (flag == 2)
        word = PdfText(kNotApplicableWord);
    else if (flag < -1 || flag > 2)
        word = "---";
    else
        SetWord(word, flag);
}

// A word that applies only with the equipment.
void SetEquippedWord(std::string& word, int32_t flag, int32_t equipped)
{
    if (equipped == 1)
        SetWord(word, flag);
    else
        word = PdfText(kNotApplicableWord);
}

// The prefix of a result line: all passed, any failed, any not run, and for
// the brake lamp any skipped.
std::string LinePrefix(std::initializer_list<int32_t> flags, bool brakeLamp = false)
{
    const auto all = [&](int32_t v) { return std::all_of(flags.begin(), flags.end(), [v](int32_t f) { return f == v; }); };
    const auto any = [&](int32_t v) { return std::any_of(flags.begin(), flags.end(), [v](int32_t f) { return f == v; }); };
    if (all(1))
        return "√ -- ";
    if (any(0))
        return "× -- ";
    if (any(-1))
        return "? -- ";
    if (brakeLamp && any(2))
        return "! -- ";
    return std::string();
}

} // namespace

ABSEOLReportsLogic::ABSEOLReportsLogic(const tarvel::PageContext& context)
    : PageLogic(tarvel::TabEolReports, context),
      plate_([](tarvel::report::PdfCanvas& canvas, int brandMode) {
          using namespace tarvel::report;
          DrawSystemTagPlate(canvas, SystemTagPlateInputsNow(brandMode), PlateVariant::EolReport);
      })
{
}

void ABSEOLReportsLogic::OnResetForNewRun()
{
    LoadPdfLanguageConfig();
}

void ABSEOLReportsLogic::LoadPdfLanguageConfig()
{
    ::LoadPdfLanguageConfig();
}

void ABSEOLReportsLogic::OnActivate(int message)
{
    if (message != WM_ACTIVATE_EOLREPORTS)
        return;
    if (EcuConnected.load() != 1) {
        Context().prompter.Show(Context().texts.Text(kNotConnectedTextRow), Context().texts.Text(kTipsCaptionRow),
                                tarvel::MsgIcon::Exclamation, tarvel::MsgButtons::Ok);
        return;
    }
    // The results held must be this ECU's before they are listed or marked.
    if (ReadVinForReport())
        ApplyEolResultsVin(ReportVin, Context().texts.Text(kTipsCaptionRow));
    FillEolResultList();
    if (PrintSystemTagToo == 1) {
        state_.systemTagTicked = true;
        Changed();
        tarvel::SendToRegisteredWindow(tarvel::WindowSlot::SystemTagDialog, WM_SYSTEMTAG_UPDATE);
    }
}

void ABSEOLReportsLogic::SystemTagChoice(bool ticked)
{
    state_.systemTagTicked = ticked;
    Changed();
    if (ticked) {
        tarvel::SendToRegisteredWindow(tarvel::WindowSlot::SystemTagDialog, WM_SYSTEMTAG_UPDATE);
        PrintSystemTagToo = 1;
    } else {
        PrintSystemTagToo = 0;
    }
}

void ABSEOLReportsLogic::Save(const std::string& testerName, const std::string& jobNumber)
{
    state_.testerName = testerName;
    state_.jobNumber = jobNumber;
    Changed();
    const int brandMode = ReportLogoMode == 1 ? 1 : ReportLogoMode == 2 ? 2 : 0;
    if (writer_) {
        writer_(brandMode);
        return;
    }
    EolReportPdfWriter writer(Context(), *this);
    if (plate_)
        writer.SetPlatePage(plate_);
    writer(brandMode);
}

bool ABSEOLReportsLogic::ReadVinForReport()
{
    std::vector<uint8_t> data;
    if (tarvel::UdsReadById(kVinDid, data) != 1)
        return false;
    const uint32_t announced = tarvel::UdsResponseLength();
    size_t length = std::min({kVinLength, data.size(), static_cast<size_t>(announced >= 3 ? announced - 3 : 0)});
    const auto zero = std::find(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(length), 0);
    length = static_cast<size_t>(zero - data.begin());
    // The text of exactly the bytes kept (a VIN may be shorter than 17).
    ValueField field;
    field.DataType = "ASCII";
    field.BitLenth = static_cast<int>(length * 8);
    field.DidNumber = "F190";
    ReportVin = length == 0 ? std::string()
                            : DecodeValue(data.data(), length, field, DeviceInfoCodecOptions()).text;
    return true;
}

void ABSEOLReportsLogic::FillEolResultList()
{
    const bool four = SystemForm == "4S2M" || SystemForm == "4S3M";
    const bool f4S3M = SystemForm == "4S3M";

    // 1. The words.
    SetWord(EolVoltageWord, EolVoltageResult);
    SetWord(EolWarningLampOnWord, EolWarningLampOnResult);
    SetWord(EolWarningLampOffWord, EolWarningLampOffResult);
    SetBrakeLampWord(EolBrakeLampOnWord, EolBrakeLampOnResult);
    SetBrakeLampWord(EolBrakeLampOffWord, EolBrakeLampOffResult);
    SetWord(EolSensor1Word, EolSensor1Result);
    SetWord(EolSensor2Word, EolSensor2Result);
    if (four) {
        SetWord(EolSensor3Word, EolSensor3Result);
        SetWord(EolSensor4Word, EolSensor4Result);
    } else if (SystemForm == "2S2M") {
        EolSensor3Word = PdfText(kNotApplicableWord);
        EolSensor4Word = PdfText(kNotApplicableWord);
    }
    SetWord(EolModulator1Word, EolModulator1Result);
    SetWord(EolModulator2Word, EolModulator2Result);
    if (f4S3M)
        SetWord(EolModulator3Word, EolModulator3Result);
    SetWord(EolPressure1Word, EolPressure1Result);
    SetWord(EolPressure2Word, EolPressure2Result);
    SetWord(EolPressure3Word, EolPressure3Result);
    SetWord(EolPressure4Word, EolPressure4Result);
    if (f4S3M) {
        SetWord(EolPressure5Word, EolPressure5Result);
        SetWord(EolPressure6Word, EolPressure6Result);
    }
    SetWord(EolBackupPressureWord, EolBackupPressureResult);
    SetEquippedWord(EolLiftingAxleWord, EolLiftingAxleResult, LiftingAxleCalibrationEnabled);
    SetEquippedWord(EolLiftingSensorWord, EolLiftingSensorResult, LiftingSensorCalibrationEnabled);
    SetEquippedWord(EolHeightSensorWord, EolHeightSensorResult, HeightSensorCalibrationEnabled);
    SetWord(EolDtcWord, EolDtcResult);
    SetEquippedWord(EolValveOpenWord, EolValveOpenResult, UnderwaterValveTestEnabled);
    SetWord(EolValveCloseWord, EolValveCloseResult);

    // 2, 3. The list, a blank line between groups.
    std::vector<std::string> lines;
    const auto add = [&](const std::string& prefix, int labelRow) {
        if (!lines.empty())
            lines.emplace_back();
        lines.push_back(prefix + Context().texts.Text(labelRow));
    };
    add(LinePrefix({EolVoltageResult}), 67);
    add(LinePrefix({EolWarningLampOnResult, EolWarningLampOffResult}), 68);
    if (BrakeLampTestEnabled == 1)
        add(LinePrefix({EolBrakeLampOnResult, EolBrakeLampOffResult}, true), 448);
    if (SystemForm == "4S3M")
        add(LinePrefix({EolSensor1Result, EolSensor2Result, EolSensor3Result, EolSensor4Result, EolModulator1Result,
                        EolModulator2Result, EolModulator3Result}),
            69);
    else if (SystemForm == "4S2M")
        add(LinePrefix({EolSensor1Result, EolSensor2Result, EolSensor3Result, EolSensor4Result, EolModulator1Result,
                        EolModulator2Result}),
            69);
    else // "2S2M", and a form the page does not know: the two-sensor set
        add(LinePrefix({EolSensor1Result, EolSensor2Result, EolModulator1Result, EolModulator2Result}), 69);
    if (f4S3M)
        add(LinePrefix({EolPressure1Result, EolPressure2Result, EolPressure3Result, EolPressure4Result,
                        EolPressure5Result, EolPressure6Result}),
            70);
    else
        add(LinePrefix({EolPressure1Result, EolPressure2Result, EolPressure3Result, EolPressure4Result}), 70);
    add(LinePrefix({EolBackupPressureResult}), 71);
    if (LiftingAxleTestEnabled == 1)
        add(LinePrefix({EolLiftingAxleResult}), 24);
    else if (LiftingSensorCalibrationEnabled == 1)
        add(LinePrefix({EolLiftingSensorResult}), 488);
    if (HeightSensorCalibrationEnabled == 1)
        add(LinePrefix({EolHeightSensorResult}), 297);
    if (UnderwaterValveTestEnabled == 1)
        add(LinePrefix({EolValveOpenResult, EolValveCloseResult}), 580);
    add(LinePrefix({EolDtcResult}), 72);
    state_.resultLines = std::move(lines);
    Changed();

    // 4, 5. The verdict and its word.
    EvaluateEolVerdict();
    switch (EolVerdict) {
    case -1: EolVerdictWord = PdfText(kIncompleteWord); break;
    case 0: EolVerdictWord = PdfText(kFailedWord); break;
    case 1: EolVerdictWord = PdfText(kPassedWord); break;
    default: break;
    }
}

void ABSEOLReportsLogic::EvaluateEolVerdict()
{
    switch (EvaluateEolPassRule(EolResultValuesNow(), SystemForm, EolEquipmentNow(), EolRuleScope::Verdict)) {
    case EolRuleOutcome::Pass:
        EolVerdict = 1;
        // The marker goes to the ECU the results were earned on; without a
        // link nothing is sent. The run counts as passed once the ECU has
        // taken the marker.
        if (EcuConnected.load() == 1 && tarvel::WriteDid0094Byte(1))
            EolPassedFlag = 1;
        break;
    case EolRuleOutcome::Fail: EolVerdict = 0; break;
    case EolRuleOutcome::Incomplete: EolVerdict = -1; break;
    case EolRuleOutcome::Undecided:
    case EolRuleOutcome::NoRule: break;
    }
}

EolReportInputs ABSEOLReportsLogic::RefreshEolReportInputs()
{
    FillEolResultList();
    EolReportInputs in;
    in.vin = ReportVin;
    in.verdictWord = EolVerdictWord;
    in.supplierId = EcuSupplierId;
    in.systemForm = SystemForm;
    in.hardwareVersion = EcuHardwareVersion;
    in.softwareVersion = EcuSoftwareVersion;
    in.identF1F4 = EcuIdentF1F4;
    in.calibrationVersion = EcuCalibrationVersion;
    using I = EolReportItem;
    const struct {
        I item;
        const std::string* remark;
        const std::string* word;
    } items[] = {
        {I::Voltage, &EolVoltageRemark, &EolVoltageWord},
        {I::WarningLampOn, &EolWarningLampOnRemark, &EolWarningLampOnWord},
        {I::WarningLampOff, &EolWarningLampOffRemark, &EolWarningLampOffWord},
        {I::BrakeLampOn, &EolBrakeLampOnRemark, &EolBrakeLampOnWord},
        {I::BrakeLampOff, &EolBrakeLampOffRemark, &EolBrakeLampOffWord},
        {I::Sensor1, &EolSensorRemark1, &EolSensor1Word},
        {I::Sensor2, &EolSensorRemark2, &EolSensor2Word},
        {I::Sensor3, &EolSensorRemark3, &EolSensor3Word},
        {I::Sensor4, &EolSensorRemark4, &EolSensor4Word},
        {I::Modulator1, &EolSensorRemark5, &EolModulator1Word},
        {I::Modulator2, &EolSensorRemark6, &EolModulator2Word},
        {I::Modulator3, &EolSensorRemark7, &EolModulator3Word},
        {I::Pressure1, &EolPressureRemark1, &EolPressure1Word},
        {I::Pressure2, &EolPressureRemark2, &EolPressure2Word},
        {I::Pressure3, &EolPressureRemark3, &EolPressure3Word},
        {I::Pressure4, &EolPressureRemark4, &EolPressure4Word},
        {I::Pressure5, &EolPressureRemark5, &EolPressure5Word},
        {I::Pressure6, &EolPressureRemark6, &EolPressure6Word},
        {I::BackupPressure, &EolBackupPressureRemark, &EolBackupPressureWord},
        {I::LiftingAxle, &EolLiftingAxleRemark, &EolLiftingAxleWord},
        {I::LiftingSensor, &EolLiftingSensorRemark, &EolLiftingSensorWord},
        {I::HeightSensor, &EolHeightSensorRemark, &EolHeightSensorWord},
        {I::Dtc, &EolDtcRemark, &EolDtcWord},
        {I::ValveOpen, &EolValveOpenRemark, &EolValveOpenWord},
        {I::ValveClose, &EolValveCloseRemark, &EolValveCloseWord},
    };
    for (const auto& row : items) {
        in.Remark(row.item) = *row.remark;
        in.Word(row.item) = *row.word;
    }
    in.brakeLampOnResult = EolBrakeLampOnResult;
    in.brakeLampOffResult = EolBrakeLampOffResult;
    in.brakeLampTestEnabled = BrakeLampTestEnabled;
    in.liftingAxleTestEnabled = LiftingAxleTestEnabled;
    in.liftingSensorCalibrationEnabled = LiftingSensorCalibrationEnabled;
    in.heightSensorCalibrationEnabled = HeightSensorCalibrationEnabled;
    in.underwaterValveTestEnabled = UnderwaterValveTestEnabled;
    in.testerName = state_.testerName;
    in.jobNumber = state_.jobNumber;
    in.printSystemTag = state_.systemTagTicked;
    return in;
}
