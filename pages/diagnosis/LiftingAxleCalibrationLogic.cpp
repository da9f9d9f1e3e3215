#include "LiftingAxleCalibrationLogic.h"

#include "DidDefinitions.h"
#include "DiagnosisGlobals.h"
#include "ValueCodec.h"
#include "WriteBlock.h"

#include "AppMessages.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "WindowRegistry.h"
#include "XmlHelpers.h"

#include "ProgramPaths.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>

namespace {

// Language rows of the page's boxes.
constexpr int kRowTipsCaption = 74;
constexpr int kRowNotConnected = 75;
constexpr int kRowErrorCaption = 76;
constexpr int kRowReadFailed = 82;
constexpr int kRowSecurityFailed = 86;
constexpr int kRowSessionFailed = 87;
constexpr int kRowFileSaved = 179;
constexpr int kRowNoFileWritten = 221;
constexpr int kRowNewContentKept = 681;
constexpr int kRowDefinitionMissing = 458;
constexpr int kRowWriteFaultCaption = 532;

const char* const kFolder = "VADE_LiftingAxleParameterConfig/";
const char* const kMappingFile = "VADE_LiftingAxleParameterConfig/Mapping.xml";
const char* const kDefaultFileBase = "VADE_LiftingAxleParameterConfig/VADE_Lifting_Axle_ParameterConfig_default";

// The mapping row's file-name attribute by language; other languages take
// no name from the mapping.
const char* MappingFileAttribute(int language)
{
    switch (language) {
    case 0: return "FileName_zh";
    case 1: return "FileName_en";
    case 2: return "FileName_russian";
    case 3: return "FileName_spanish";
    case 4: return "FileName_portug";
    default: return nullptr;
    }
}

// The data of the last positive ReadDataByIdentifier as long as the ECU
// announced it (the link's padding is not data).
size_t AnnouncedDataSize(const std::vector<uint8_t>& data)
{
    const uint32_t length = tarvel::UdsResponseLength();
    if (length < 3)
        return 0;
    return std::min<size_t>(data.size(), length - 3);
}

// V(r): the Value cell of row r; a row the grid lacks counts as "0", so a
// short definition never reads as "something fitted".
const std::string& CellValue(const std::vector<_tagLiftingAxleFilldesc_>& rows, size_t r)
{
    static const std::string zero = "0";
    return r < rows.size() ? rows[r].Value : zero;
}

ValueField FieldOf(const _tagLiftingAxleDIDdesc_& did, const _tagLiftingAxleDIDdesc_Sub_& sub)
{
    return MakeValueField(sub, did.DidNumber);
}

} // namespace

std::array<std::string, 5> LiftingAxleGridHeaders(int language)
{
    if (language == 0)
        return {"序号", "参数名称", "数值", "单位", "描述"};
    return {"No.", "Parameter Name", "Value", "Unit", "Description"};
}

void DeriveLiftingAxleConfig(const std::vector<_tagLiftingAxleFilldesc_>& rows)
{
    const bool v1 = CellValue(rows, 1) == "1";
    const bool v2 = CellValue(rows, 2) == "1";
    const bool v7 = CellValue(rows, 7) == "1";
    const bool v8 = CellValue(rows, 8) == "1";

    if (v1 && v2)
        LiftingAxleType = 2;
    else if (v1 || v2)
        LiftingAxleType = 1;
    else if (v7 && v8)
        LiftingAxleType = 2;
    else if (v7 || v8)
        LiftingAxleType = 1;
    else
        LiftingAxleType = 0;

    if (v1 || v2) {
        LiftingAxleTestEnabled = 1;
        LiftingSensorCalibrationEnabled = 0;
        LiftingSensorVariant = 0;
        return;
    }
    LiftingAxleTestEnabled = 0;
    if (CellValue(rows, 7) != "0" || CellValue(rows, 8) != "0") {
        LiftingSensorCalibrationEnabled = 1;
        LiftingSensorVariant = 1;
    } else {
        LiftingSensorCalibrationEnabled = 0;
    }
}

int LiftingAxleWriteFaultRow(uint8_t fault)
{
    if (fault >= 1 && fault <= 10)
        return 222 + fault; // 223 .. 232
    switch (fault) {
    case 11: return 533;
    case 0xFB: return 233;
    case 0xFC: return 234;
    default: return 0;
    }
}

LiftingAxleCalibrationLogic::LiftingAxleCalibrationLogic(const tarvel::PageContext& context)
    : PageLogic(tarvel::TabLiftingAxleCalibration, context)
{
    state_.headers = LiftingAxleGridHeaders(Context().texts.Language());
}

void LiftingAxleCalibrationLogic::OnResetForNewRun()
{
    state_.headers = LiftingAxleGridHeaders(Context().texts.Language());
    Changed();
}

const std::vector<_tagLiftingAxleFilldesc_>& LiftingAxleCalibrationLogic::Rows() const
{
    return LiftingAxleGrid;
}

bool LiftingAxleCalibrationLogic::HandleMessage(int message)
{
    switch (message) {
    case WM_LIFTAXLE_RELOAD_CONFIG: LoadLiftingAxleParameterConfig(); return true;
    case WM_LIFTAXLE_REFILL: FillLiftingAxleRows(); return true;
    case WM_LIFTAXLE_WRITE: WriteLiftingAxleParameters(); return true;
    case WM_LIFTAXLE_READ: ReadLiftingAxleParameters(); return true;
    default: return false;
    }
}

void LiftingAxleCalibrationLogic::ShowBox(int textRow, int captionRow, bool exclamation) const
{
    Context().prompter.Show(Context().texts.Text(textRow), Context().texts.Text(captionRow),
                            exclamation ? tarvel::MsgIcon::Exclamation : tarvel::MsgIcon::None,
                            tarvel::MsgButtons::Ok);
}

bool LiftingAxleCalibrationLogic::LinkGone() const
{
    // Every wait pumps events: the user may have disconnected meanwhile.
    return EcuConnected.load() != 1;
}

bool LiftingAxleCalibrationLogic::HasDefinition() const
{
    return !LiftingAxleDidTable.empty() && !LiftingAxleDidTable.front().SubFields.empty();
}

std::vector<_tagLiftingAxleFilldesc_> LiftingAxleCalibrationLogic::PlaceholderRows() const
{
    std::vector<_tagLiftingAxleFilldesc_> rows;
    if (!HasDefinition())
        return rows;
    const auto& subs = LiftingAxleDidTable.front().SubFields;
    for (size_t i = 0; i < subs.size(); ++i)
        rows.push_back({std::to_string(i + 1), subs[i].SubDataName, "0", subs[i].Unit, subs[i].Description});
    return rows;
}

void LiftingAxleCalibrationLogic::LoadLiftingAxleParameterConfig()
{
    // Over a closed link the version cannot be read, and saying so is no news.
    if (LinkGone())
        return;
    std::vector<uint8_t> data;
    if (tarvel::UdsReadById(kVersionDid, data) != 1 || AnnouncedDataSize(data) < 1) {
        if (LinkGone())
            return; // the link went during the read
        Context().prompter.Show("Failed To Read The Lift Axle Version Number！", "Warning", tarvel::MsgIcon::Exclamation,
                                tarvel::MsgButtons::OkCancel);
        return;
    }
    if (LinkGone())
        return;
    char version[16];
    std::snprintf(version, sizeof version, data[0] <= 9 ? "%02d" : "%d", static_cast<int>(data[0]));

    TiXmlDocument mapping;
    if (!LoadXmlFile(mapping, tarvel::ProgramDataPath(kMappingFile))) {
        Context().prompter.Show("Mapping.xml File Not Found！", "Warning", tarvel::MsgIcon::Exclamation,
                                tarvel::MsgButtons::OkCancel);
        return;
    }

    const int language = Context().texts.Language();
    std::string fileName = DefinitionFileName(kDefaultFileBase, language);
    if (const char* attribute = MappingFileAttribute(language)) {
        for (const TiXmlElement* row = FindXmlElementByPath(mapping, kDidDefinitionPath); row;
             row = row->NextSiblingElement()) {
            if (ReadTextAttribute(row, "CalibrationVersion") == version)
                fileName = std::string(kFolder) + ReadTextAttribute(row, attribute);
        }
    }

    LiftingAxleDidTable.clear();
    LiftingAxleDidList.clear();
    if (!LoadDidDefinitionFile(fileName, kRowDefinitionMissing, LiftingAxleDidTable))
        return;
    LiftingAxleDidList = LiftingAxleDidTable;
}

void LiftingAxleCalibrationLogic::FillLiftingAxleRows()
{
    if (!HasDefinition())
        return;
    LiftingAxleGrid = PlaceholderRows();
    Changed();
}

void LiftingAxleCalibrationLogic::FillLiftingAxleGridAndDeriveConfig(const std::vector<_tagLiftingAxleFilldesc_>& rows)
{
    LiftingAxleGrid = rows;
    DeriveLiftingAxleConfig(LiftingAxleGrid);
    Changed();
    tarvel::SendToRegisteredWindow(tarvel::WindowSlot::Navigation, WM_NAV_REFRESH_TEXTS);
}

void LiftingAxleCalibrationLogic::ReadLiftingAxleParameters()
{
    if (EcuConnected.load() != 1) {
        ShowBox(kRowNotConnected, kRowTipsCaption, true);
        return;
    }
    if (!HasDefinition()) {
        ShowBox(kRowDefinitionMissing, kRowErrorCaption);
        return;
    }
    tarvel::TestRunning = 0;
    std::vector<uint8_t> data;
    const bool ok = tarvel::UdsReadById(kBlockDid, data) == 1;
    const size_t size = ok ? AnnouncedDataSize(data) : 0;
    LiftingAxleReadBytes.clear();
    if (!ok) {
        ShowBox(kRowReadFailed, kRowErrorCaption);
        return;
    }

    const _tagLiftingAxleDIDdesc_& did = LiftingAxleDidTable.front();
    const ValueCodecOptions options = LiftingAxleCodecOptions();
    std::vector<_tagLiftingAxleFilldesc_> rows;
    for (size_t i = 0; i < did.SubFields.size(); ++i) {
        const auto& sub = did.SubFields[i];
        const DecodedValue value = DecodeValue(data.data(), size, FieldOf(did, sub), options);
        if (value.box != 0)
            ShowBox(value.box, kCodecBoxCaptionRow);
        rows.push_back({std::to_string(i + 1), sub.SubDataName, value.text, sub.Unit, sub.Description});
    }
    FillLiftingAxleGridAndDeriveConfig(rows);

    const int last = did.SubFields.back().ByteIndex;
    if (last >= 0) {
        const size_t end = std::min(size, static_cast<size_t>(last) + 1);
        LiftingAxleReadBytes.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(end));
    }
}

void LiftingAxleCalibrationLogic::WriteLiftingAxleParameters()
{
    if (EcuConnected.load() != 1) {
        ShowBox(kRowNotConnected, kRowTipsCaption, true);
        return;
    }
    // A write that stops early must not leave the last write's success behind
    // for the parameters page's check.
    LiftingAxleWriteOk = 0;
    if (!HasDefinition()) {
        ShowBox(kRowDefinitionMissing, kRowErrorCaption);
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
    LiftingAxleWrittenBytes.clear();

    const _tagLiftingAxleDIDdesc_& did = LiftingAxleDidTable.front();
    const ValueCodecOptions options = LiftingAxleCodecOptions();
    std::vector<WriteBlockField> fields;
    for (size_t i = 0; i < did.SubFields.size(); ++i) {
        const auto& sub = did.SubFields[i];
        WriteBlockField f;
        f.ByteIndex = sub.ByteIndex;
        f.StartBit = sub.StartBit;
        f.BitLenth = sub.BitLenth;
        f.SubDataName = sub.SubDataName;
        if (!IsReservedSubField(sub.SubDataName)) {
            const std::string text = i < LiftingAxleGrid.size() ? LiftingAxleGrid[i].Value : std::string();
            const EncodedValue encoded = EncodeValue(text, FieldOf(did, sub), options);
            LiftingAxleEncodedValue = encoded.bytes;
            if (!encoded.ok()) {
                if (encoded.box != 0)
                    ShowBox(encoded.box, kCodecBoxCaptionRow);
                return;
            }
            f.encoded = encoded.bytes;
        }
        fields.push_back(std::move(f));
    }
    const std::vector<uint8_t> block = BuildWriteBlock(fields, /*withChecksum*/ true);
    if (block.empty()) {
        ShowBox(kCodecBadValueRow, kCodecBoxCaptionRow);
        return;
    }
    if (!LiftingAxleGrid.empty()) {
        LiftingAxleGrid.back().Value = std::to_string(block.back());
        Changed();
    }

    LiftingAxleWrittenBytes = block;
    tarvel::TestRunning = 0;
    if (tarvel::UdsWriteById(kBlockDid, block) == 1) {
        LiftingAxleWriteOk = 1;
        return;
    }
    LiftingAxleWriteOk = 0;
    if (LinkGone())
        return;
    std::vector<uint8_t> fault;
    if (tarvel::UdsReadById(kWriteFaultDid, fault) == 1 && AnnouncedDataSize(fault) >= 1)
        ShowWriteFault(fault[0]);
    else
        // The ECU did not say why: no fault text from an old answer.
        ShowBox(kRowWriteFaultCaption, kRowErrorCaption);
}

void LiftingAxleCalibrationLogic::ShowWriteFault(uint8_t fault) const
{
    const int row = LiftingAxleWriteFaultRow(fault);
    Context().prompter.Show(row != 0 ? Context().texts.Text(row) : std::string(),
                            Context().texts.Text(kRowWriteFaultCaption), tarvel::MsgIcon::None,
                            tarvel::MsgButtons::Ok);
}

void LiftingAxleCalibrationLogic::ResetLiftingAxleValues()
{
    FillLiftingAxleGridAndDeriveConfig(PlaceholderRows());
}

void LiftingAxleCalibrationLogic::ExportLiftingAxleValues()
{
    tarvel::FileRequest request;
    request.save = true;
    request.fileName = "test.ini";
    request.filter = "文件 (*.ini)|*.ini";
    request.defaultExtension = "ini";
    const std::optional<std::string> path = tarvel::ChooseSaveFile(Context().files, Context().prompter, request,
                                                                   tarvel::ReplaceFileQuestion(Context().texts));
    if (!path)
        return;

    std::string text;
    const size_t count = HasDefinition() ? LiftingAxleDidTable.front().SubFields.size() : 0;
    for (size_t i = 0; i < count && i < LiftingAxleGrid.size(); ++i)
        text += LiftingAxleGrid[i].Value + "\n";
    const tarvel::SaveResult saved = tarvel::SaveFileReplacing(*path, text);
    if (!saved) {
        Context().prompter.Show(tarvel::NotSavedText(Context().texts.Text(kRowNoFileWritten), *path, saved,
                                                     Context().texts.Text(kRowNewContentKept)),
                                Context().texts.Text(kRowErrorCaption), tarvel::MsgIcon::None,
                                tarvel::MsgButtons::Ok);
        return;
    }
    ShowBox(kRowFileSaved, kRowTipsCaption);
}

void LiftingAxleCalibrationLogic::OnCellDoubleClick(int row, int column)
{
    if (column != kValueColumn || row < 0 || static_cast<size_t>(row) >= LiftingAxleGrid.size())
        return;
    LiftingAxleEditRow = row;
    LiftingAxleEditColumn = column;
    state_.editorShown = true;
    state_.editorText = LiftingAxleGrid[static_cast<size_t>(row)].Value;
    Changed();
}

void LiftingAxleCalibrationLogic::CommitEditor(const std::string& text)
{
    if (!state_.editorShown)
        return;
    state_.editorShown = false;
    state_.editorText.clear();
    if (LiftingAxleEditRow >= 0 && static_cast<size_t>(LiftingAxleEditRow) < LiftingAxleGrid.size() &&
        LiftingAxleEditColumn == kValueColumn)
        LiftingAxleGrid[static_cast<size_t>(LiftingAxleEditRow)].Value = text;
    Changed();
}
