#include "ABSRWDIDLogic.h"

#include "DiagnosisGlobals.h"
#include "EolGlobals.h"
#include "EquipmentFlags.h"
#include "ParameterDefinitions.h"
#include "ParameterTextFile.h"
#include "WriteBlock.h"

#include "AppMessages.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "WindowRegistry.h"

#include "EcuRestart.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Language rows of the page's texts and boxes.
constexpr int kRowSelectLabel = 26;
constexpr int kRowReadButton = 27;
constexpr int kRowWriteButton = 28;
constexpr int kRowLoadButton = 29;
constexpr int kRowSaveButton = 30;
constexpr int kRowTipsCaption = 74;
constexpr int kRowNotConnected = 75;
constexpr int kRowErrorCaption = 76;
constexpr int kRowNoRecord = 81;
constexpr int kRowReadFailed = 82;
constexpr int kRowWriteVerified = 84;
constexpr int kRowVerifyFailed = 85;
constexpr int kRowSecurityFailed = 86;
constexpr int kRowSessionFailed = 87;
constexpr int kRowWriteFailed = 220;
constexpr int kRowReservedBytes = 462;
// The box of a value the row cannot take: what it is, which row, which value
// and what the row accepts.
constexpr int kRowValueRefused = 660;
constexpr int kRowValueRow = 661;
constexpr int kRowValueText = 662;
constexpr int kRowValueAccepted = 663;
constexpr int kRowWholeNumbers = 664;
constexpr int kRowTextCharacters = 665;
constexpr int kRowHexDigits = 666;
constexpr int kRowNotWritable = 667;
// The record or the grid changed while the write waited for the ECU.
constexpr int kRowChangedWhileWriting = 668;
// The ECU did not answer again after the verification's reset.
constexpr int kRowNoAnswerAfterRestart = 682;

constexpr size_t kEditorTextLimit = 128; // characters

const char* const kVehicleConfigurationNumber = "00A0";
const char* const kIdentificationNumber = "F190";

// A record's data identifier: its DidNumber read as hexadecimal.
std::optional<uint16_t> DidOf(const std::string& didNumber)
{
    if (didNumber.empty())
        return std::nullopt;
    char* end = nullptr;
    const unsigned long value = std::strtoul(didNumber.c_str(), &end, 16);
    if (*end != '\0' || value > 0xFFFF)
        return std::nullopt;
    return static_cast<uint16_t>(value);
}

// The data of the last positive read as long as the ECU announced it: the
// link's padding is never data.
size_t AnnouncedDataSize(const std::vector<uint8_t>& data)
{
    const uint32_t length = tarvel::UdsResponseLength();
    if (length < 3)
        return 0;
    return std::min<size_t>(data.size(), length - 3);
}

// At most `limit` UTF-8 characters of `text`.
std::string FirstCharacters(const std::string& text, size_t limit)
{
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (count == limit)
                return text.substr(0, i);
            ++count;
        }
    }
    return text;
}

_tagFilldesc_ RowOf(size_t k, const _tagABSDIDdesc_Sub_& sub, std::string value)
{
    return {std::to_string(k + 1), sub.SubDataName, std::move(value), sub.Unit, sub.Description};
}

void Send(tarvel::WindowSlot slot, int message)
{
    tarvel::SendToRegisteredWindow(slot, message);
}

} // namespace

std::array<std::string, 5> ParameterGridHeaders(int language)
{
    if (language == 0)
        return {"序号", "参数名称", "数值", "单位", "描述"};
    return {"No.", "Parameter Name", "Value", "Unit", "Description"};
}

ValueCodecOptions ParameterRecordCodecOptions(const std::string& recordName, size_t position)
{
    // The checksummed block and the identification record keep their numbers
    // least significant byte first and their text in wire order, for reading
    // and writing alike, so that a read written back is the same block.
    return ParameterCodecOptions(recordName == ABSRWDIDLogic::kCalibrationRecord || position == 0);
}

ABSRWDIDLogic::ABSRWDIDLogic(const tarvel::PageContext& context) : PageLogic(tarvel::TabParameters, context)
{
    SetUpColumns(kCalibrationRecord);
    OnLanguageChanged();
    tarvel::SetParameterListClearHandler([this] { ClearParameterGrid(); });
}

ABSRWDIDLogic::~ABSRWDIDLogic()
{
    tarvel::SetParameterListClearHandler(nullptr);
}

void ABSRWDIDLogic::OnLanguageChanged()
{
    const auto& t = Context().texts;
    state_.selectLabel = t.Text(kRowSelectLabel, "Select Item:");
    state_.readCaption = t.Text(kRowReadButton, "Read Parameter");
    state_.writeCaption = t.Text(kRowWriteButton, "Write Parameter");
    state_.loadCaption = t.Text(kRowLoadButton, "Load from File");
    state_.saveCaption = t.Text(kRowSaveButton, "Save to File");
    Changed();
}

void ABSRWDIDLogic::OnDisconnected()
{
    ParameterListStale = 1;
}

bool ABSRWDIDLogic::HandleMessage(int message)
{
    switch (message) {
    case WM_RWDID_DEFINITIONS_LOADED: OnParametersLoaded(); return true;
    case WM_LANG_RWDID: OnLanguageChanged(); return true;
    default: return false;
    }
}

void ABSRWDIDLogic::ShowBox(int textRow, int captionRow, bool exclamation) const
{
    Context().prompter.Show(Context().texts.Text(textRow), Context().texts.Text(captionRow),
                            exclamation ? tarvel::MsgIcon::Exclamation : tarvel::MsgIcon::None,
                            tarvel::MsgButtons::Ok);
}

void ABSRWDIDLogic::ShowTab(int tab, bool show) const
{
    if (showTab_)
        showTab_(tab, show);
}

bool ABSRWDIDLogic::LinkGone() const
{
    // Every wait pumps events: the user may have disconnected meanwhile.
    return EcuConnected.load() != 1;
}

std::optional<ABSRWDIDLogic::Record> ABSRWDIDLogic::FindRecord(const std::string& text) const
{
    std::optional<Record> found;
    if (text.empty())
        return found;
    for (size_t i = 0; i < ParameterDidTable.size(); ++i)
        if (ParameterDidTable[i].name == text)
            found = Record{ParameterDidTable[i], i};
    return found;
}

std::optional<ABSRWDIDLogic::Record> ABSRWDIDLogic::SelectedRecord() const
{
    return FindRecord(state_.recordText);
}

void ABSRWDIDLogic::SetUpColumns(const std::string& recordName)
{
    state_.headers = ParameterGridHeaders(Context().texts.Language());
    state_.valueColumnWidth = recordName == kCalibrationRecord ? 150 : 270;
}

void ABSRWDIDLogic::FillParameterRecordCombo()
{
    state_.recordNames.clear();
    for (const auto& record : ParameterDidList)
        state_.recordNames.push_back(record.name);
    Changed();
}

void ABSRWDIDLogic::OnParameterRecordSelected(const std::string& text)
{
    state_.recordText = text;
    if (EcuConnected.load() != 1) {
        Changed();
        ShowBox(kRowNotConnected, kRowTipsCaption, true);
        return;
    }
    const std::optional<Record> record = FindRecord(text);
    SelectedRecordRWType = record ? record->did.RWType : std::string();
    state_.fileButtonsEnabled = text == kCalibrationRecord;
    SetUpColumns(text);
    state_.writeEnabled = SelectedRecordRWType == "RW";
    state_.rows.clear();
    gridRecord_.clear();
    ++gridGeneration_;
    state_.editorShown = false;
    if (record)
        for (size_t k = 0; k < record->did.SubFields.size(); ++k)
            state_.rows.push_back(RowOf(k, record->did.SubFields[k], "0"));
    Changed();
    OnReadParameter();
}

void ABSRWDIDLogic::OnReadParameter()
{
    if (state_.busy)
        return; // a read or write is already running
    if (EcuConnected.load() != 1) {
        ShowBox(kRowNotConnected, kRowTipsCaption, true);
        return;
    }
    const std::optional<Record> record = SelectedRecord();
    if (!record) {
        ShowBox(kRowNoRecord, kRowTipsCaption);
        return;
    }
    state_.busy = true;
    Changed();
    ReadRecord(*record);
    state_.busy = false;
    Changed();
}

bool ABSRWDIDLogic::ReadRecord(const Record& record)
{
    const std::optional<uint16_t> did = DidOf(record.did.DidNumber);
    // Nothing of an earlier read may stand for this one.
    ParameterReadBytes.clear();
    tarvel::TestRunning = 0;
    std::vector<uint8_t> data;
    const bool ok = did && tarvel::UdsReadById(*did, data) == 1;
    if (record.position == 1) {
        // Derived again from the rows by the grid fill.
        HeightSensorCalibrationEnabled = 0;
        UnderwaterValveTestEnabled = 0;
    }
    if (!ok) {
        ShowBox(kRowReadFailed, kRowErrorCaption);
        return false;
    }
    const size_t n = AnnouncedDataSize(data);
    data.resize(n); // padding of the link is not data
    if (record.position == 0) {
        if (n == 0)
            data.assign(1, 0x00);
        else
            std::replace(data.begin(), data.end(), uint8_t{0x00}, uint8_t{0x20});
    }

    const ValueCodecOptions options = ParameterRecordCodecOptions(record.did.name, record.position);
    std::vector<_tagFilldesc_> rows;
    for (size_t k = 0; k < record.did.SubFields.size(); ++k) {
        const auto& sub = record.did.SubFields[k];
        ValueField field = MakeValueField(sub, record.did.DidNumber);
        if (record.position == 0) {
            // The identification text is the whole record.
            field.ByteIndex = 0;
            field.StartBit = 0;
            field.BitLenth = static_cast<int>(8 * data.size());
        }
        const DecodedValue value = DecodeValue(data.data(), data.size(), field, options);
        if (value.box != 0)
            ShowBox(value.box, kCodecBoxCaptionRow);
        rows.push_back(RowOf(k, sub, value.text));
    }
    FillParameterGridFromRead(std::move(rows));
    gridRecord_ = record.did.name;

    if (!record.did.SubFields.empty()) {
        const auto& last = record.did.SubFields.back();
        if (last.SubDataName == Context().texts.Text(kRowReservedBytes))
            ParameterReadBytes = data;
        else if (last.ByteIndex >= 0)
            ParameterReadBytes.assign(data.begin(),
                                      data.begin() + static_cast<std::ptrdiff_t>(
                                                         std::min(data.size(), static_cast<size_t>(last.ByteIndex) + 1)));
    }
    return true;
}

void ABSRWDIDLogic::FillGrid(std::vector<_tagFilldesc_> rows)
{
    state_.rows = std::move(rows);
    ++gridGeneration_;
    state_.editorShown = false;
    std::vector<tarvel::ParameterRow> flagRows;
    for (const auto& row : state_.rows)
        flagRows.push_back({row.Name, row.Value});
    tarvel::RunParameterFlagPass(flagRows, tarvel::FlagPass::GridFill);
    Changed();
}

void ABSRWDIDLogic::FillParameterGridFromRead(std::vector<_tagFilldesc_> rows)
{
    FillGrid(std::move(rows));
    if (state_.recordText == kCalibrationRecord)
        TabUpdateAfterRead();
}

void ABSRWDIDLogic::FillParameterGridFromReload(std::vector<_tagFilldesc_> rows)
{
    FillGrid(std::move(rows));
    TabUpdateAfterReload();
}

void ABSRWDIDLogic::TabUpdateAfterRead()
{
    if (LiftingAxleCalibrationEnabled == 1) {
        ShowTab(tarvel::TabLiftingAxleCalibration, true);
        Send(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_READ);
    } else if (LiftingSensorCalibrationEnabled == 1) {
        ShowTab(tarvel::TabEolLiftingSensor, true);
        Send(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_READ);
    } else {
        ShowTab(tarvel::TabLiftingAxleCalibration, false);
        ShowTab(tarvel::TabEolLiftingSensor, false);
        LiftingAxleTestEnabled = 0;
        LiftingSensorCalibrationEnabled = 0;
        Send(tarvel::WindowSlot::Navigation, WM_NAV_REFRESH_TEXTS);
    }
    if (HeightSensorCalibrationEnabled == 1)
        Send(tarvel::WindowSlot::Navigation, WM_NAV_REFRESH_TEXTS);
}

void ABSRWDIDLogic::TabUpdateAfterReload()
{
    if (LiftingAxleCalibrationEnabled == 1) {
        Send(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_READ);
    } else if (LiftingSensorCalibrationEnabled == 1) {
        LiftingAxleTestEnabled = 0;
        Send(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_READ);
    } else {
        LiftingAxleTestEnabled = 0;
        LiftingSensorCalibrationEnabled = 0;
        Send(tarvel::WindowSlot::Navigation, WM_NAV_REFRESH_TEXTS);
    }
    if (HeightSensorCalibrationEnabled == 1)
        Send(tarvel::WindowSlot::Navigation, WM_NAV_REFRESH_TEXTS);
    if (UnderwaterValveTestEnabled == 1)
        Send(tarvel::WindowSlot::Navigation, WM_NAV_REFRESH_TEXTS);
}

void ABSRWDIDLogic::TabUpdateAfterEdit()
{
    if (state_.recordText != kCalibrationRecord)
        return;
    if (LiftingAxleCalibrationEnabled == 1) {
        ShowTab(tarvel::TabLiftingAxleCalibration, true);
    } else {
        ShowTab(tarvel::TabLiftingAxleCalibration, false);
        LiftingAxleTestEnabled = 0;
    }
}

void ABSRWDIDLogic::RederiveFlagsFromGrid()
{
    const std::optional<Record> record = SelectedRecord();
    if (!record)
        return;
    std::vector<tarvel::ParameterRow> rows;
    for (size_t k = 0; k < record->did.SubFields.size(); ++k)
        rows.push_back({record->did.SubFields[k].SubDataName, k < state_.rows.size() ? state_.rows[k].Value : ""});
    tarvel::RunParameterFlagPass(rows, tarvel::FlagPass::EditOrFileLoad);
}

void ABSRWDIDLogic::BeginParameterEdit(int row, int column)
{
    if (state_.busy)
        return; // the values are being read or written
    if (column != kValueColumn || row < 0 || static_cast<size_t>(row) >= state_.rows.size())
        return;
    ParameterEditRow = row;
    ParameterEditColumn = column;
    state_.editorShown = true;
    state_.editorText = FirstCharacters(state_.rows[static_cast<size_t>(row)].Value, kEditorTextLimit);
    Changed();
}

void ABSRWDIDLogic::CommitParameterEdit(const std::string& text)
{
    if (!state_.editorShown)
        return;
    state_.editorShown = false;
    state_.editorText.clear();
    if (ParameterEditColumn == kValueColumn && ParameterEditRow >= 0 &&
        static_cast<size_t>(ParameterEditRow) < state_.rows.size())
        state_.rows[static_cast<size_t>(ParameterEditRow)].Value = text;
    RederiveFlagsFromGrid();
    TabUpdateAfterEdit();
    Changed();
}

void ABSRWDIDLogic::ClearParameterGrid()
{
    state_.rows.clear();
    state_.editorShown = false;
    gridRecord_.clear();
    ++gridGeneration_;
    Changed();
}

bool ABSRWDIDLogic::GridHoldsRecord(const Record& record) const
{
    return !gridRecord_.empty() && gridRecord_ == record.did.name &&
           state_.rows.size() == record.did.SubFields.size();
}

bool ABSRWDIDLogic::StillWriting(const Record& record, uint64_t generation) const
{
    // The list may have been changed, the definitions reloaded or the grid
    // refilled or emptied while the ECU was being prepared.
    const std::optional<Record> selected = SelectedRecord();
    return selected && selected->position == record.position && selected->did.DidNumber == record.did.DidNumber &&
           selected->did.SubFields.size() == record.did.SubFields.size() && generation == gridGeneration_ &&
           GridHoldsRecord(record);
}

void ABSRWDIDLogic::OnWriteParameter()
{
    if (state_.busy)
        return; // a read or write is already running
    if (EcuConnected.load() != 1) {
        ShowBox(kRowNotConnected, kRowTipsCaption, true);
        return;
    }
    // A copy: the tables are reloaded while the write runs (new definitions
    // after the ECU information is read again).
    const std::optional<Record> record = SelectedRecord();
    if (!record) {
        ShowBox(kRowNoRecord, kRowTipsCaption);
        return;
    }
    // Only what was read from this record may be encoded against it.
    if (!GridHoldsRecord(*record)) {
        ShowBox(kRowReadFailed, kRowErrorCaption);
        return;
    }
    state_.busy = true;
    Changed();
    WriteRecord(*record, gridGeneration_);
    state_.busy = false;
    Changed();
}

void ABSRWDIDLogic::WriteRecord(const Record& record, uint64_t generation)
{
    const std::optional<uint16_t> did = DidOf(record.did.DidNumber);
    if (!did) {
        ShowBox(kRowNoRecord, kRowTipsCaption);
        return;
    }
    if (tarvel::UdsDiagnosticSessionControl(0x03) != 1) {
        ShowBox(kRowSessionFailed, kRowErrorCaption);
        return;
    }
    if (LinkGone())
        return;
    if (tarvel::UdsSecurityAccess() != 1) {
        ShowBox(kRowSecurityFailed, kRowErrorCaption);
        return;
    }
    if (LinkGone())
        return;
    ParameterWrittenBytes.clear();
    // The last wait is over: the block is built from the grid only when it
    // still holds the record being written.
    if (!StillWriting(record, generation)) {
        ShowBox(kRowChangedWhileWriting, kRowErrorCaption);
        return;
    }

    const bool calibration = record.did.name == kCalibrationRecord;
    const ValueCodecOptions options = ParameterRecordCodecOptions(record.did.name, record.position);
    std::vector<WriteBlockInput> inputs;
    for (size_t k = 0; k < record.did.SubFields.size(); ++k) {
        const auto& sub = record.did.SubFields[k];
        inputs.push_back({MakeValueField(sub, record.did.DidNumber), sub.SubDataName, state_.rows.at(k).Value});
    }
    const WriteBlockResult encoded = TryEncodeWriteBlock(inputs, options, calibration);
    if (encoded.refused) {
        // An empty identification text ends the write without a box.
        if (encoded.box != 0)
            ShowValueRefused(record, encoded.refusedInput, inputs[encoded.refusedInput], encoded.box, options);
        return;
    }
    const std::vector<uint8_t>& block = encoded.block;
    if (block.empty())
        return;
    if (calibration && !state_.rows.empty()) {
        state_.rows.back().Value = std::to_string(block.back());
        Changed();
    }
    ParameterWrittenBytes = block;

    tarvel::TestRunning = 0;
    const bool ok = tarvel::UdsWriteById(*did, block) == 1;
    const bool vehicleConfiguration = record.did.DidNumber == kVehicleConfigurationNumber;
    if (vehicleConfiguration)
        ResetEolResults();
    if (!ok) {
        // The ECU's own explanation first, when it gives one; the page's box
        // follows whatever the link said or kept quiet about.
        if (vehicleConfiguration && !LinkGone())
            ShowWriteFault();
        ShowBox(kRowWriteFailed, kRowErrorCaption);
        return;
    }
    if (record.did.DidNumber == kIdentificationNumber) {
        ShowBox(kRowWriteVerified, kRowTipsCaption);
        return;
    }
    if (LiftingAxleCalibrationEnabled == 1) {
        // No earlier success may count for this write.
        LiftingAxleWriteOk = 0;
        Send(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_WRITE);
    }
    if (HeightSensorCalibrationEnabled == 1)
        Send(tarvel::WindowSlot::Navigation, WM_NAV_REFRESH_TEXTS);
    if (LinkGone())
        return;
    VerifyWrite(record);
}

void ABSRWDIDLogic::VerifyWrite(const Record& record)
{
    const bool withLiftingAxle = LiftingAxleCalibrationEnabled == 1;
    if (withLiftingAxle && LiftingAxleWriteOk != 1)
        return; // the lifting-axle page has told what went wrong
    if (tarvel::UdsEcuReset() != 1)
        return;
    // The page's own time first; a slower ECU is asked until it answers
    // again, so the read-back never falls into its restart.
    const tarvel::EcuRestartEnd back = tarvel::WaitForEcuRestart([this] { return LinkGone(); }, kResetWaitMs);
    if (back == tarvel::EcuRestartEnd::NoAnswer) {
        // Lost: one box, and the link closed as a failed keep-alive closes it.
        ShowBox(kRowNoAnswerAfterRestart, kRowErrorCaption);
        tarvel::CloseLinkToLostEcu();
        return;
    }
    if (back != tarvel::EcuRestartEnd::Answered || LinkGone())
        return;
    ReadRecord(record);
    const bool same = ParameterWrittenBytes == ParameterReadBytes &&
                      (!withLiftingAxle || LiftingAxleWrittenBytes == LiftingAxleReadBytes);
    if (!same) {
        ShowBox(kRowVerifyFailed, kRowErrorCaption);
        return;
    }
    Send(tarvel::WindowSlot::DeviceInfoPage, WM_DEVICEINFO_RELOAD);
    if (withLiftingAxle) {
        Send(tarvel::WindowSlot::SystemTagDialog, WM_SYSTEMTAG_UPDATE);
        Send(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_RELOAD_CONFIG);
    } else {
        Send(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_RELOAD_CONFIG);
        Send(tarvel::WindowSlot::SystemTagDialog, WM_SYSTEMTAG_UPDATE);
    }
    ShowBox(kRowWriteVerified, kRowTipsCaption);
}

void ABSRWDIDLogic::ShowValueRefused(const Record& record, size_t input, const WriteBlockInput& refused,
                                     int encoderBox, const ValueCodecOptions& options) const
{
    const auto& t = Context().texts;
    const auto label = [&t](int row) { return t.Text(row) + " "; };
    std::string text = t.Text(encoderBox == kCodecVinTooWideRow ? kCodecVinTooWideRow : kRowValueRefused);
    text += "\n\n" + label(kRowValueRow) + std::to_string(input + 1) + ". " + refused.SubDataName;
    text += "\n" + label(kRowValueText) + "\"" + refused.text + "\"";
    const AcceptedInput accepted = AcceptedInputOf(refused.field, options);
    const std::string& unit = record.did.SubFields.at(input).Unit;
    std::string what;
    switch (accepted.kind) {
    case AcceptedInput::Kind::Number:
        what = accepted.low + " – " + accepted.high + (unit.empty() ? "" : " " + unit);
        break;
    case AcceptedInput::Kind::WholeNumber:
        what = accepted.low + " – " + accepted.high + " (" + t.Text(kRowWholeNumbers) + ")";
        break;
    case AcceptedInput::Kind::Text:
        what = label(kRowTextCharacters) + std::to_string(accepted.counts.front());
        break;
    case AcceptedInput::Kind::HexDigits: {
        what = label(kRowHexDigits);
        for (size_t i = 0; i < accepted.counts.size(); ++i)
            what += (i ? " / " : "") + std::to_string(accepted.counts[i]);
        break;
    }
    case AcceptedInput::Kind::Nothing:
        what = t.Text(kRowNotWritable);
        break;
    }
    text += "\n" + label(kRowValueAccepted) + what;
    Context().prompter.Show(text, t.Text(kRowErrorCaption), tarvel::MsgIcon::None, tarvel::MsgButtons::Ok);
}

void ABSRWDIDLogic::ShowWriteFault()
{
    std::vector<uint8_t> fault;
    // Without an answer there is no fault code to explain.
    if (tarvel::UdsReadById(kWriteFaultDid, fault) != 1 || AnnouncedDataSize(fault) < 1)
        return;
    for (const auto& code : ParameterFaultCodeTable) {
        const std::optional<uint16_t> number = DidOf(code.FaultCodeNum);
        if (number && *number == fault[0])
            Context().prompter.Show(code.Description, code.Title, tarvel::MsgIcon::None, tarvel::MsgButtons::Ok);
    }
}

void ABSRWDIDLogic::OnParametersLoaded()
{
    // The record list follows the definitions at once, not only when it
    // next drops down.
    FillParameterRecordCombo();
    if (EcuConnected.load() != 1) {
        ShowBox(kRowNotConnected, kRowTipsCaption, true);
        return;
    }
    tarvel::TestRunning = 0;
    std::vector<uint8_t> data;
    if (tarvel::UdsReadByIdQuiet(kVehicleConfigurationDid, data) != 1) {
        ShowBox(kRowReadFailed, kRowErrorCaption);
        return;
    }
    if (ParameterDidTable.size() < 2)
        return; // no vehicle-configuration record to show
    data.resize(AnnouncedDataSize(data));
    const _tagABSDIDdesc_ record = ParameterDidTable[1];
    const ValueCodecOptions options = ParameterCodecOptions(true);
    std::vector<_tagFilldesc_> rows;
    for (size_t k = 0; k < record.SubFields.size(); ++k) {
        const auto& sub = record.SubFields[k];
        const DecodedValue value = DecodeValue(data.data(), data.size(), MakeValueField(sub, record.DidNumber), options);
        if (value.box != 0)
            ShowBox(value.box, kCodecBoxCaptionRow);
        rows.push_back(RowOf(k, sub, value.text));
        tarvel::StoreParameterValueTexts(sub.SubDataName, value.text);
    }
    FillParameterGridFromReload(std::move(rows));
    gridRecord_ = record.name;
}

void ABSRWDIDLogic::SaveParameterFile()
{
    if (state_.busy)
        return;
    const std::optional<Record> record = SelectedRecord();
    if (!record)
        return;
    tarvel::ParameterFileGrids grids;
    for (const auto& sub : record->did.SubFields)
        grids.basicNames.push_back(sub.SubDataName);
    for (const auto& row : state_.rows)
        grids.basicValues.push_back(row.Value);
    grids.liftingAxleCount = LiftingAxleDidTable.empty() ? 0 : LiftingAxleDidTable.front().SubFields.size();
    for (const auto& row : LiftingAxleGrid)
        grids.liftingAxleValues.push_back(row.Value);
    tarvel::SaveParameterFile(grids);
}

void ABSRWDIDLogic::LoadParameterFile()
{
    if (state_.busy)
        return;
    const std::optional<Record> record = SelectedRecord();
    if (!record)
        return;
    tarvel::ParameterFileGrids grids;
    for (const auto& sub : record->did.SubFields)
        grids.basicNames.push_back(sub.SubDataName);
    for (const auto& row : state_.rows)
        grids.basicValues.push_back(row.Value);
    grids.liftingAxleCount = LiftingAxleDidTable.empty() ? 0 : LiftingAxleDidTable.front().SubFields.size();
    for (const auto& row : LiftingAxleGrid)
        grids.liftingAxleValues.push_back(row.Value);
    // The grids and the tabs show the loaded values before the "loaded" box.
    tarvel::LoadParameterFile(grids, [this](const tarvel::ParameterFileGrids& loaded) {
        for (size_t k = 0; k < state_.rows.size() && k < loaded.basicValues.size(); ++k)
            state_.rows[k].Value = loaded.basicValues[k];
        for (size_t k = 0; k < LiftingAxleGrid.size() && k < loaded.liftingAxleValues.size(); ++k)
            LiftingAxleGrid[k].Value = loaded.liftingAxleValues[k];
        TabUpdateAfterEdit();
        Changed();
    });
}
