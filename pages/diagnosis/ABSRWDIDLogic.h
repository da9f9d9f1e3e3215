// The parameters page's decisions: choose one of the ECU's parameter records,
// read it into a five-column grid, edit its Value cells, write it back and
// verify the write by resetting the ECU and reading the record again. The
// vehicle-configuration record is also re-read whenever new definitions were
// loaded, and every grid fill re-derives the trailer's equipment flags.
#pragma once

#include "ABSRWDIDState.h"
#include "DidDefinitions.h"
#include "PageLogic.h"
#include "ValueCodec.h"
#include "WriteBlock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class ABSRWDIDLogic : public tarvel::PageLogic {
public:
    // The record with a checksum, the file buttons and the lifting-axle tabs.
    static constexpr const char* kCalibrationRecord = "Calibration Parameters";
    static constexpr uint16_t kVehicleConfigurationDid = 0x00A0;
    static constexpr uint16_t kWriteFaultDid = 0x0093;
    static constexpr int kValueColumn = 2;
    // After the verification's reset: the time the page always waits
    // before it asks the ECU again.
    static constexpr uint32_t kResetWaitMs = 1200;

    explicit ABSRWDIDLogic(const tarvel::PageContext& context);
    ~ABSRWDIDLogic() override;

    const ABSRWDIDState& State() const { return state_; }

    // How the page shows or hides a tab of the page host (the window
    // installs it; tests record it).
    void SetTabShower(std::function<void(int tab, bool show)> shower) { showTab_ = std::move(shower); }

    // Page lifecycle.
    void OnLanguageChanged() override; // captions of the label and buttons
    void OnDisconnected() override;    // the next visit starts with an empty grid
    // Handles the page's messages (definitions loaded, language refresh).
    bool HandleMessage(int message);

    // The record list drops down / a record was chosen / the combo's text.
    void FillParameterRecordCombo();
    void OnParameterRecordSelected(const std::string& text);
    void OnReadParameter();
    void OnWriteParameter();
    void OnParametersLoaded();
    // In-place editing of the Value column.
    void BeginParameterEdit(int row, int column);
    void CommitParameterEdit(const std::string& text);
    // The text-file buttons (only for "Calibration Parameters").
    void SaveParameterFile();
    void LoadParameterFile();
    // Empties the grid (the first visit after a disconnect).
    void ClearParameterGrid();

    // The lifting-axle tabs and the equipment flags after a read of
    // "Calibration Parameters", after a reload, and after an edit or a file
    // load (the last does nothing unless the list shows that record).
    void TabUpdateAfterRead();
    void TabUpdateAfterReload();
    void TabUpdateAfterEdit();

private:
    struct Record {
        _tagABSDIDdesc_ did;
        size_t position = 0;
    };
    // The last record whose name is `text`, with its position in the table.
    std::optional<Record> FindRecord(const std::string& text) const;
    std::optional<Record> SelectedRecord() const;
    void ShowBox(int textRow, int captionRow, bool exclamation = false) const;
    void SetUpColumns(const std::string& recordName);
    bool ReadRecord(const Record& record);
    void FillParameterGridFromRead(std::vector<_tagFilldesc_> rows);
    void FillParameterGridFromReload(std::vector<_tagFilldesc_> rows);
    void FillGrid(std::vector<_tagFilldesc_> rows);
    void RederiveFlagsFromGrid();
    bool GridHoldsRecord(const Record& record) const;
    // After the waits of a write: the list still shows the record, the grid
    // still holds its read and nothing refilled or emptied it since
    // `generation`.
    bool StillWriting(const Record& record, uint64_t generation) const;
    void WriteRecord(const Record& record, uint64_t generation);
    // The box of a value the encoder refused: the row, the value and what
    // the row accepts.
    void ShowValueRefused(const Record& record, size_t input, const WriteBlockInput& refused, int encoderBox,
                          const ValueCodecOptions& options) const;
    void VerifyWrite(const Record& record);
    void ShowWriteFault();
    void ShowTab(int tab, bool show) const;
    bool LinkGone() const;

    ABSRWDIDState state_;
    std::function<void(int, bool)> showTab_;
    // The record whose successful read or reload the grid holds; empty
    // while it holds none.
    std::string gridRecord_;
    // Counts every choice, fill and emptying of the grid (edits of a cell
    // do not count).
    uint64_t gridGeneration_ = 0;
};

// The grid's column headers: Chinese for language 0, English for any other.
std::array<std::string, 5> ParameterGridHeaders(int language);
// The codec options the page reads and writes a record with.
ValueCodecOptions ParameterRecordCodecOptions(const std::string& recordName, size_t position);
