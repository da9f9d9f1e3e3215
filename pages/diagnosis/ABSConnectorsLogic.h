// The connectors page's decisions. It shows how the ECU has assigned the
// trailer's sixteen connectors to the pins of its five general-purpose
// outputs, marks pins claimed twice, offers other assignment texts per
// connector (on screen only) and shows the connector configuration's current
// and required version. The page is driven by its three messages only; it
// never writes to the ECU.
#pragma once

#include "ABSConnectorsState.h"
#include "PageLogic.h"

#include <cstdint>
#include <string>
#include <vector>

class ABSConnectorsLogic : public tarvel::PageLogic {
public:
    static constexpr uint16_t kVersionDid = 0x00F1;
    static constexpr uint16_t kCurrentVersionDid = 0x00A2;
    static constexpr uint16_t kFirstPinDid = 0xD001; // connector 1; 0xD010 is connector 16
    // Language rows.
    static constexpr int kRowCurrentCaption = 588;
    static constexpr int kRowRequiredCaption = 589;
    static constexpr int kRowUpdateCaption = 590;
    static constexpr int kRowDefinitionMissing = 597;
    static constexpr int kRowPinReadFailed = 598;
    static constexpr int kRowWarningCaption = 74;
    // The definition file of a version, without the language suffix.
    static constexpr const char* kDefinitionFileBase = "VADE_ConnectorsConfig/VADE_Connectors_ParameterConfig_";

    explicit ABSConnectorsLogic(const tarvel::PageContext& context);

    const ABSConnectorsState& State() const { return state_; }

    void OnLanguageChanged() override;

    // WM_CONNECTORS_READ_VERSION: the required version (0x00F1).
    void ReadConnectorsVersion();
    // WM_CONNECTORS_RELABEL: the captions from the language table.
    void RelabelConnectors();
    // WM_CONNECTORS_REFRESH: the current version, the pin table and both
    // lists; false when a pin read failed (the lists stay as they were).
    bool RefreshConnectors();
    // Reads 0xD001..0xD010 into ConnectorPinTable; stops at the first failure.
    bool ReadConnectorPinTable();
    // Loads the definition of ConnectorRequiredVersion in the current language
    // into ConnectorDidTable.
    void LoadConnectorsParameterConfig();

    // The Update Version button: there is nothing to do yet.
    void OnUpdateVersion() {}

    // The drop-down of connector row `row`: its texts and the entry equal to
    // the cell's text (0 when none is).
    std::vector<std::string> EditorOptions(int row) const;
    int EditorSelection(int row) const;
    // The chosen text is written into the row's assignment cell (on screen only).
    void SetAssignment(int row, const std::string& text);

private:
    std::string Text(int row, const char* fallback) const;
    void RefreshHeaders();

    ABSConnectorsState state_;
};
