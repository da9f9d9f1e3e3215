#include "PrintSystemTagLogic.h"

#include "ParameterDefinitions.h"
#include "SystemTagPdfWriter.h"
#include "SystemTagRead.h"

#include "LanguageTable.h"
#include "PageHostTable.h"
#include "Prompter.h"
#include "SettingsFiles.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>

PrintSystemTagLogic::PrintSystemTagLogic(const tarvel::PageContext& context)
    : PageLogic(tarvel::TabSystemTag, context)
{
    RefreshTexts();
}

void PrintSystemTagLogic::RefreshTexts()
{
    const tarvel::TextTable& texts = Context().texts;
    state_.readCaption = texts.Text(kRowReadButton, "Read Parameter");
    state_.loadCaption = texts.Text(kRowLoadButton, "Load from File");
    state_.printCaption = texts.Text(kRowPrintButton, "Print System Tag");
    if (texts.Language() == 0)
        state_.headers = {"序号", "参数名称", "数值", "单位"};
    else
        state_.headers = {"No.", "Parameter Name", "Value", "Unit"};
}

void PrintSystemTagLogic::OnLanguageChanged()
{
    RefreshTexts();
    Changed();
}

void PrintSystemTagLogic::OnReadParameter() { ReadSystemTagParameters(); }

void PrintSystemTagLogic::OnSystemTagUpdate() { ReadSystemTagParameters(); }

int PrintSystemTagLogic::BrandIndexForLogoMode(int reportLogoMode)
{
    return (reportLogoMode == 1 || reportLogoMode == 2) ? reportLogoMode : 0;
}

int PrintSystemTagLogic::ColumnAtX(int x)
{
    if (x < 0)
        return -1;
    int right = 0;
    for (size_t c = 0; c < PrintSystemTagState::kColumnWidths.size(); ++c) {
        right += PrintSystemTagState::kColumnWidths[c];
        if (x < right)
            return static_cast<int>(c);
    }
    return -1;
}

bool PrintSystemTagLogic::StartCellEdit(int row, int x)
{
    return StartCellEditInColumn(row, ColumnAtX(x));
}

bool PrintSystemTagLogic::StartCellEditInColumn(int row, int column)
{
    if (row < 0 || row >= kEditableRows || row >= static_cast<int>(state_.rows.size()))
        return false;
    if (column != kValueColumn)
        return false;
    SystemTagEditRow = row;
    SystemTagEditColumn = kValueColumn;
    state_.editorShown = true;
    state_.editorRow = row;
    state_.editorText = state_.rows[static_cast<size_t>(row)].value;
    Changed();
    return true;
}

void PrintSystemTagLogic::CommitCellEdit(const std::string& text)
{
    if (!state_.editorShown)
        return;
    state_.editorShown = false;
    state_.editorText.clear();
    const int row = SystemTagEditRow;
    if (row >= 0 && row < static_cast<int>(state_.rows.size()) && SystemTagEditColumn == kValueColumn)
        state_.rows[static_cast<size_t>(row)].value = text;
    if (SystemTagEditColumn == kValueColumn) {
        if (row == 0)
            PlateManufacturer = text;
        else if (row == 1)
            PlateType = text;
        else if (row == 2)
            PlateVin = text;
    }
    Changed();
}

void PrintSystemTagLogic::ReadSystemTagParameters()
{
    // A read asked for while one waits for the ECU would read over it.
    if (state_.reading)
        return;
    if (EcuConnected.load() != 1) {
        Context().prompter.Show(Context().texts.Text(tarvel::kRowNotConnectedText, tarvel::kNotConnectedFallbackText),
                                Context().texts.Text(tarvel::kRowNotConnectedCaption, tarvel::kNotConnectedFallbackCaption),
                                tarvel::MsgIcon::Exclamation, tarvel::MsgButtons::Ok);
        return;
    }
    tarvel::TestRunning = 0;
    state_.reading = true;
    Changed();
    std::vector<uint8_t> reply;
    const int ok = tarvel::UdsReadById(kBlockDid, reply);
    if (ok != 1) {
        state_.reading = false;
        Context().prompter.Show(Context().texts.Text(kSystemTagReadFailedRow, "Read failed"),
                                Context().texts.Text(kSystemTagErrorCaptionRow, "Error"), tarvel::MsgIcon::None,
                                tarvel::MsgButtons::Ok);
        Changed();
        return;
    }
    // Only what the ECU announced is data; the link's padding is not.
    const uint32_t announced = tarvel::UdsResponseLength();
    const size_t size = announced < 3 ? 0 : std::min<size_t>(reply.size(), announced - 3);
    // One vehicle per plate: nothing of an earlier read stays behind.
    ClearEcuPlateFields();
    std::vector<_tagSystemTagFilldesc_> rows;
    if (ParameterDidTable.size() >= 2)
        rows = SystemTagRowsFromBlock(reply.data(), size, ParameterDidTable[1].SubFields);
    FillSystemTagList(rows);
    state_.reading = false;
    Changed();
}

void PrintSystemTagLogic::FillSystemTagList(const std::vector<_tagSystemTagFilldesc_>& rows)
{
    // An edit that is open stays open over its row (the typed rows are always
    // the first three): what the user is typing is committed as usual, not lost.
    state_.rows.clear();
    for (const _tagSystemTagFilldesc_& row : rows) {
        state_.rows.push_back({row.RowNumber, row.ParameterName, row.ValueText, row.UnitText});
        MapSystemTagFields(row.ParameterName, row.ValueText);
    }
    // The VIN, unless the link went while the block was read.
    if (EcuConnected.load() == 1) {
        std::vector<uint8_t> vin;
        if (tarvel::UdsReadById(kVinDid, vin) == 1) {
            const uint32_t announced = tarvel::UdsResponseLength();
            const size_t size = announced < 3 ? 0 : std::min<size_t>(vin.size(), announced - 3);
            const size_t limit = std::min(size, kVinLength);
            const auto end = std::find(vin.begin(), vin.begin() + static_cast<long>(limit), uint8_t{0});
            PlateVin.assign(vin.begin(), end);
        }
    }
    // The typed values stay in the plate fields and show in their cells.
    const std::vector<PrintSystemTagState::Row> top{
        {"1", "MANUFACTURER", PlateManufacturer, ""},
        {"2", "TYPE", PlateType, ""},
        {"3", "VIN", PlateVin, ""},
    };
    state_.rows.insert(state_.rows.begin(), top.begin(), top.end());
    Changed();
}

int PrintSystemTagLogic::OnPrintSystemTag()
{
    // The plate is printed as it stands: no read, no link needed.
    return tarvel::report::SystemTagPdfWriter(BrandIndexForLogoMode(ReportLogoMode), Context());
}
