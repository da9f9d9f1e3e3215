// The lifting-axle calibration page's decisions. The page shows and edits the
// ECU's lifting-axle parameter block (DID 0x00A1) as a grid whose rows come
// from the lifting-axle definition file chosen by the calibration version the
// ECU reports in 0x00F0. Other pages drive it by its messages (connect,
// parameters page, program download, the end-of-line lifting tests); each
// message is also a plain method here.
//
// After each read (and each reset of the values) the page derives which
// lifting-axle equipment the trailer has from four Value cells and tells the
// navigation to rebuild its tree.
#pragma once

#include "LiftingAxleCalibrationState.h"
#include "PageLogic.h"
#include "WindowRegistry.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct _tagLiftingAxleFilldesc_;

class LiftingAxleCalibrationLogic : public tarvel::PageLogic {
public:
    static constexpr uint16_t kBlockDid = 0x00A1;
    static constexpr uint16_t kVersionDid = 0x00F0;
    static constexpr uint16_t kWriteFaultDid = 0x0095;
    // The grid's Value column, the only one the editor opens on.
    static constexpr int kValueColumn = 2;

    explicit LiftingAxleCalibrationLogic(const tarvel::PageContext& context);

    // The page reset at start-up: the grid's headers follow the language
    // the program runs in.
    void OnResetForNewRun() override;

    const LiftingAxleCalibrationState& State() const { return state_; }
    // The rows the grid shows.
    const std::vector<_tagLiftingAxleFilldesc_>& Rows() const;

    // The page's messages (reload definition, placeholder rows, write, read);
    // false for any other message.
    bool HandleMessage(int message);

    // Reads the calibration version (0x00F0), picks the definition file of the
    // current language through Mapping.xml (the last matching row wins, the
    // language's default file otherwise) and loads it.
    void LoadLiftingAxleParameterConfig();
    // One row per sub-field with the value "0"; nothing is derived.
    void FillLiftingAxleRows();
    // Reads 0x00A1, fills the grid and derives the configuration.
    void ReadLiftingAxleParameters();
    // Extended session, unlock, encodes the Value cells into the block with
    // its checksum and writes 0x00A1.
    void WriteLiftingAxleParameters();
    // Placeholder rows, then the derivation (every flag cleared).
    void ResetLiftingAxleValues();
    // Writes one line per Value cell to a file the user chooses (".ini" added
    // to a name typed without it), through SaveFileReplacing; a cancelled
    // dialog writes nothing.
    void ExportLiftingAxleValues();

    // Replaces the grid with `rows` and derives the lifting-axle configuration.
    void FillLiftingAxleGridAndDeriveConfig(const std::vector<_tagLiftingAxleFilldesc_>& rows);

    // In-place editing: a double-click on a Value cell opens the editor on it;
    // losing the focus, Enter or Escape puts the editor's text into the cell.
    void OnCellDoubleClick(int row, int column);
    void CommitEditor(const std::string& text);

    // Another page changed the grid's Value cells (a parameter file was
    // loaded): the window shows them again.
    void GridEdited() { Changed(); }

private:
    void ShowBox(int textRow, int captionRow, bool exclamation = false) const;
    void ShowWriteFault(uint8_t fault) const;
    bool HasDefinition() const;
    bool LinkGone() const;
    std::vector<_tagLiftingAxleFilldesc_> PlaceholderRows() const;

    LiftingAxleCalibrationState state_;
};

// Delivers the page's messages to its logic where no window does (tests of
// the pages that send them register it as LiftingAxlePageWnd).
class LiftingAxleMessageBridge : public tarvel::MessageTarget {
public:
    explicit LiftingAxleMessageBridge(LiftingAxleCalibrationLogic& logic) : logic_(logic) {}
    bool HandleAppMessage(int message) override { return logic_.HandleMessage(message); }

private:
    LiftingAxleCalibrationLogic& logic_;
};

// The grid's column headers: Chinese for language 0, English for any other.
std::array<std::string, 5> LiftingAxleGridHeaders(int language);

// The derivation from the grid's Value cells, rows numbered from 0 (a row the
// grid lacks counts as "0"): sets LiftingAxleType, LiftingAxleTestEnabled,
// LiftingSensorCalibrationEnabled and LiftingSensorVariant. Sends nothing.
void DeriveLiftingAxleConfig(const std::vector<_tagLiftingAxleFilldesc_>& rows);

// The language row of the text shown for a write fault the ECU reports in
// 0x0095; 0 for a fault without a text.
int LiftingAxleWriteFaultRow(uint8_t fault);
