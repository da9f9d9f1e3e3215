#include "ABSConnectorsLogic.h"

#include "ConnectorsTable.h"
#include "DiagnosisGlobals.h"
#include "DidDefinitions.h"

#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <cstdio>

namespace {

// Byte `i` of the last positive read's data; bytes the ECU did not announce
// (a short answer, the link's padding) read 0.
uint8_t DataByte(const std::vector<uint8_t>& data, size_t i)
{
    const uint32_t length = tarvel::UdsResponseLength();
    const size_t announced = length < 3 ? 0 : std::min<size_t>(data.size(), length - 3);
    return i < announced ? data[i] : 0;
}

} // namespace

ABSConnectorsLogic::ABSConnectorsLogic(const tarvel::PageContext& context)
    : PageLogic(tarvel::TabConnectors, context)
{
    RefreshHeaders();
}

std::string ABSConnectorsLogic::Text(int row, const char* fallback) const
{
    return Context().texts.Text(row, fallback);
}

void ABSConnectorsLogic::RefreshHeaders()
{
    if (Context().texts.Language() == 0)
        state_.connectorHeaders = {"编写", "功能", "连接器"};
    else
        state_.connectorHeaders = {"Write", "Function", "Connector"};
}

void ABSConnectorsLogic::OnLanguageChanged()
{
    RefreshHeaders();
    Changed();
}

void ABSConnectorsLogic::RelabelConnectors()
{
    state_.currentCaption = Text(kRowCurrentCaption, "Current Version");
    state_.requiredCaption = Text(kRowRequiredCaption, "Required Version");
    state_.updateCaption = Text(kRowUpdateCaption, "Update Version");
    Changed();
}

void ABSConnectorsLogic::ReadConnectorsVersion()
{
    if (EcuConnected.load() != 1) {
        tarvel::ShowNotConnectedBox();
        return;
    }
    std::vector<uint8_t> data;
    if (tarvel::UdsReadByIdQuiet(kVersionDid, data) != 1) {
        ConnectorVersionValid = 0;
        return;
    }
    ConnectorVersionValid = 1;
    ConnectorRequiredVersion = DataByte(data, 0);
    ConnectorUpdateOffered = DataByte(data, 1);
    state_.requiredVersion = std::to_string(ConnectorRequiredVersion);
    state_.versionColour = 0x000000;
    Changed();
}

bool ABSConnectorsLogic::ReadConnectorPinTable()
{
    const bool linked = EcuConnected.load() == 1;
    for (int n = 0; n < connectors::kConnectorCount; ++n) {
        std::vector<uint8_t> data;
        const bool ok = tarvel::UdsReadById(static_cast<uint16_t>(kFirstPinDid + n), data) == 1;
        // Every wait pumps events: the link may have been closed meanwhile.
        if (linked && EcuConnected.load() != 1)
            return false;
        if (!ok) {
            Context().prompter.Show(Text(kRowPinReadFailed, "Failed to read the connector assignment"),
                                    Text(kRowWarningCaption, "Tips"), tarvel::MsgIcon::Exclamation,
                                    tarvel::MsgButtons::Ok);
            return false;
        }
        for (int j = 0; j < connectors::kGioCount; ++j)
            ConnectorPinTable[n][j] = DataByte(data, static_cast<size_t>(j));
    }
    return true;
}

bool ABSConnectorsLogic::RefreshConnectors()
{
    if (state_.refreshing)
        return false;
    state_.refreshing = true;
    const bool linked = EcuConnected.load() == 1;
    const auto finish = [this](bool ok) {
        state_.refreshing = false;
        state_.lastRefreshResult = ok ? 1 : 0;
        Changed();
        return ok;
    };

    std::vector<uint8_t> data;
    if (tarvel::UdsReadByIdQuiet(kCurrentVersionDid, data) == 1) {
        const uint8_t current = DataByte(data, 0);
        ConnectorCurrentVersion = current != 0 ? current : ConnectorRequiredVersion;
        state_.currentVersion = std::to_string(ConnectorCurrentVersion);
        state_.versionColour = 0x000000;
        if (ConnectorUpdateOffered == 0 || ConnectorCurrentVersion == ConnectorRequiredVersion)
            state_.updateShown = false;
    }
    if (linked && EcuConnected.load() != 1)
        return finish(false);
    if (!ReadConnectorPinTable())
        return finish(false);

    // The connectors are named by the definition of the required version.
    if (ConnectorDidTable.empty())
        LoadConnectorsParameterConfig();

    std::vector<connectors::ConnectorName> names;
    if (!ConnectorDidTable.empty()) {
        const auto& subs = ConnectorDidTable.front().SubFields;
        // Sub-field n (from 0) describes connector n; sub-field 0 is not a connector.
        for (size_t n = 1; n < subs.size() && n <= static_cast<size_t>(connectors::kConnectorCount); ++n)
            names.push_back({subs[n].Abbreviation, subs[n].Description, static_cast<uint8_t>(subs[n].ByteIndex & 0xFF)});
    }
    connectors::ConnectorLayout layout =
        connectors::BuildConnectorLayout(ConnectorPinTable, ConnectorReferenceTable, names);
    ConnectorPinKept = layout.kept;
    state_.options = std::move(layout.options);
    state_.gioRows = std::move(layout.gioRows);
    state_.connectorRows = std::move(layout.connectorRows);
    state_.conflictingRows = std::move(layout.conflictingRows);
    state_.conflictingCells = std::move(layout.conflictingCells);
    RefreshHeaders();
    return finish(true);
}

void ABSConnectorsLogic::LoadConnectorsParameterConfig()
{
    char version[8];
    std::snprintf(version, sizeof version, "%02d", static_cast<int>(ConnectorRequiredVersion));
    const std::string file = DefinitionFileName(kDefinitionFileBase + std::string(version), Context().texts.Language());
    ConnectorDidTable.clear();
    LoadDidDefinitionFile(file, kRowDefinitionMissing, ConnectorDidTable);
}

std::vector<std::string> ABSConnectorsLogic::EditorOptions(int row) const
{
    if (row < 0 || static_cast<size_t>(row) >= state_.options.size())
        return {};
    return state_.options[static_cast<size_t>(row)];
}

int ABSConnectorsLogic::EditorSelection(int row) const
{
    if (row < 0 || static_cast<size_t>(row) >= state_.connectorRows.size() ||
        static_cast<size_t>(row) >= state_.options.size())
        return 0;
    const auto& options = state_.options[static_cast<size_t>(row)];
    const std::string& cell = state_.connectorRows[static_cast<size_t>(row)].Assignment;
    for (size_t i = 0; i < options.size(); ++i)
        if (options[i] == cell)
            return static_cast<int>(i);
    return 0;
}

void ABSConnectorsLogic::SetAssignment(int row, const std::string& text)
{
    if (row < 0 || static_cast<size_t>(row) >= state_.connectorRows.size())
        return;
    state_.connectorRows[static_cast<size_t>(row)].Assignment = text;
    Changed();
}
