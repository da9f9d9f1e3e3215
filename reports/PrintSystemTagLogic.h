// The system-tag page's decisions. "Read Parameter" (and a request of
// another page, WM_SYSTEMTAG_UPDATE) reads the ECU's vehicle-configuration
// block and its VIN, lists every value and fills the braking-system plate;
// the user types manufacturer, type and VIN into the first three value cells;
// "Print System Tag" writes the plate as a PDF.
#pragma once

#include "PageLogic.h"
#include "PrintSystemTagState.h"
#include "ReportGlobals.h"

#include <cstdint>
#include <string>
#include <vector>

class PrintSystemTagLogic : public tarvel::PageLogic {
public:
    static constexpr uint16_t kBlockDid = 0x00A0;
    static constexpr uint16_t kVinDid = 0xF190;
    static constexpr size_t kVinLength = 17;
    static constexpr int kValueColumn = 2;
    static constexpr int kEditableRows = 3; // manufacturer, type, VIN
    // Language rows of the button captions.
    static constexpr int kRowReadButton = 40;
    static constexpr int kRowLoadButton = 41;
    static constexpr int kRowPrintButton = 42;

    explicit PrintSystemTagLogic(const tarvel::PageContext& context);

    const PrintSystemTagState& State() const { return state_; }

    void OnLanguageChanged() override;

    // The Read Parameter button and WM_SYSTEMTAG_UPDATE.
    void OnReadParameter();
    void OnSystemTagUpdate();
    // The Print System Tag button: the brand follows the report logo setting.
    // Returns what the writer returned.
    int OnPrintSystemTag();

    // A double click on the list at `x` pixels from the left edge of the
    // first column, on row `row` (-1 outside every row). Opens the edit box
    // over the value cell of rows 0..2; returns whether it did.
    bool StartCellEdit(int row, int x);
    // The same for a double click in `column` (the list knows its columns
    // where their widths fit the page).
    bool StartCellEditInColumn(int row, int column);
    // The edit box lost the focus, or Return or Escape was pressed in it: the
    // text goes into the cell and the plate field of the row; the box closes.
    void CommitCellEdit(const std::string& text);

    // The column under `x` by the starting column widths; -1 right of the
    // last.
    static int ColumnAtX(int x);
    // The brand the print uses for a report logo setting: 1 and 2 as they
    // are, anything else 0.
    static int BrandIndexForLogoMode(int reportLogoMode);

    // Reads the block and the VIN and fills the list and the plate. Ignored
    // while a read waits for the ECU.
    void ReadSystemTagParameters();
    // Shows `rows` under the three plate rows, maps each value to its plate
    // field and reads the VIN.
    void FillSystemTagList(const std::vector<_tagSystemTagFilldesc_>& rows);

private:
    void RefreshTexts();

    PrintSystemTagState state_;
};
