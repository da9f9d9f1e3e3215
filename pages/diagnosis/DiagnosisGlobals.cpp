#include "DiagnosisGlobals.h"

#include "ParameterDefinitions.h"
#include "DidDefinitions.h"
#include "ConnectorsTable.h"

int32_t EcuIdentified = -1;
std::atomic<int32_t> MonitorRunning{0};
int32_t DtcReadPending = 0;
int32_t DeviceInfoAutoRead = 0;
int32_t DownloadIdle = 1;
int32_t ParameterListStale = 0;
std::string SystemForm;

uint32_t FlashStartAddress = 0;
uint32_t FlashImageLength = 0;
std::vector<uint8_t> FlashAddressBytes(4, 0);
std::vector<uint8_t> FlashLengthBytes(4, 0);
std::vector<uint8_t> FlashImage;
std::vector<uint8_t> FlashBootLoaderVersion;
std::vector<uint8_t> FlashHardwareVersion;
uint8_t FileLoaded = 0;
uint8_t DownloadRunning = 0;
uint8_t DownloadCancelled = 0;

int32_t LiftingAxleCalibrationEnabled = 0;
int32_t BrakeLampTestEnabled = 0;
int32_t HeightSensorCalibrationEnabled = 0;
int32_t UnderwaterValveTestEnabled = 0;
int32_t LiftingAxleTestEnabled = 0;
int32_t LiftingSensorCalibrationEnabled = 0;

uint8_t HeightSensorAxle1Present = 0;
uint8_t HeightSensorAxle2Present = 0;
int32_t ParameterChoice = 0;
int32_t AxleCount = 0;
std::array<int32_t, 10> AxleFeatureFlags{};
std::array<int32_t, 10> LiftingAxleFlags{};
int32_t DerivedSystemVariant = -1;
std::array<uint8_t, 20> SystemTagValues = [] {
    std::array<uint8_t, 20> bytes{};
    bytes.fill(0xFF);
    return bytes;
}();
std::vector<std::string> LiftingAxleRowValues;
std::string ParameterValueText1;
std::string ParameterValueText2;
std::string ParameterValueText3;
std::string ParameterValueText4;
std::string ParameterValueText5;
std::string ParameterValueText6;
std::string ParameterValueText7;
float ParameterValueSum = 0.0f;
int32_t LiftingAxleRowCount = 0;

// Fault memory page.
std::vector<std::string> DtcNumbers;
std::vector<std::string> DtcDisplays;
std::vector<std::string> DtcMeanings;
// ECU information page.
std::string EcuSupplierId;
std::string EcuHardwareNumber;
std::string EcuHardwareVersion;
std::string EcuSoftwareNumber;
std::string EcuSoftwareVersion;
std::string EcuIdentF1F4;
std::string EcuCalibrationVersion;
// ---- Lifting-axle calibration page ----
std::vector<_tagLiftingAxleDIDdesc_> LiftingAxleDidTable;
std::vector<_tagLiftingAxleDIDdesc_> LiftingAxleDidList;
std::vector<_tagLiftingAxleFilldesc_> LiftingAxleGrid;
int32_t LiftingAxleEditRow = -1;
int32_t LiftingAxleEditColumn = -1;
std::vector<uint8_t> LiftingAxleReadBytes;
std::vector<uint8_t> LiftingAxleWrittenBytes;
std::vector<uint8_t> LiftingAxleEncodedValue;
int32_t LiftingAxleWriteOk = 0;
int32_t LiftingAxleType = -1;
int32_t LiftingSensorVariant = 0;
// ---- Connectors page ----
int32_t ConnectorVersionValid = 0;
uint8_t ConnectorRequiredVersion = 0;
uint8_t ConnectorUpdateOffered = 0;
uint8_t ConnectorCurrentVersion = 0;
std::array<std::array<uint8_t, 5>, 16> ConnectorPinTable{};
const std::array<std::array<uint8_t, 5>, 16>& ConnectorReferenceTable = connectors::ReferencePinTable();
std::array<std::array<uint8_t, 5>, 16> ConnectorPinKept{};
std::vector<_tagConnDIDdesc_> ConnectorDidTable;
// ---- Program download sequence ----
uint32_t FlashBlockLength = 0;
std::vector<uint8_t> FlashBlock;

// ---- Parameters page ----
std::string SelectedRecordRWType;
std::vector<uint8_t> ParameterWrittenBytes;
std::vector<uint8_t> ParameterReadBytes;
int32_t ParameterEditRow = -1;
int32_t ParameterEditColumn = -1;

void ResetDiagnosisGlobals()
{
    EcuIdentified = -1;
    MonitorRunning = 0;
    tarvel::SetMonitorStopHandler(nullptr);
    DtcReadPending = 0;
    DeviceInfoAutoRead = 0;
    DownloadIdle = 1;
    ParameterListStale = 0;
    SystemForm.clear();

    FlashStartAddress = 0;
    FlashImageLength = 0;
    FlashAddressBytes.assign(4, 0);
    FlashLengthBytes.assign(4, 0);
    FlashImage.clear();
    FlashBootLoaderVersion.clear();
    FlashHardwareVersion.clear();
    FileLoaded = 0;
    DownloadRunning = 0;
    DownloadCancelled = 0;

    LiftingAxleCalibrationEnabled = 0;
    BrakeLampTestEnabled = 0;
    HeightSensorCalibrationEnabled = 0;
    UnderwaterValveTestEnabled = 0;
    LiftingAxleTestEnabled = 0;
    LiftingSensorCalibrationEnabled = 0;

    HeightSensorAxle1Present = 0;
    HeightSensorAxle2Present = 0;
    ParameterChoice = 0;
    AxleCount = 0;
    AxleFeatureFlags.fill(0);
    LiftingAxleFlags.fill(0);
    DerivedSystemVariant = -1;
    SystemTagValues.fill(0xFF);
    LiftingAxleRowValues.clear();
    ParameterValueText1.clear();
    ParameterValueText2.clear();
    ParameterValueText3.clear();
    ParameterValueText4.clear();
    ParameterValueText5.clear();
    ParameterValueText6.clear();
    ParameterValueText7.clear();
    ParameterValueSum = 0.0f;
    LiftingAxleRowCount = 0;

    // Fault memory page.
    DtcNumbers.clear();
    DtcDisplays.clear();
    DtcMeanings.clear();
    // ECU information page.
    EcuSupplierId.clear();
    EcuHardwareNumber.clear();
    EcuHardwareVersion.clear();
    EcuSoftwareNumber.clear();
    EcuSoftwareVersion.clear();
    EcuIdentF1F4.clear();
    EcuCalibrationVersion.clear();
    ResetParameterDefinitionGlobals();
    // ---- Lifting-axle calibration page ----
    LiftingAxleDidTable.clear();
    LiftingAxleDidList.clear();
    LiftingAxleGrid.clear();
    LiftingAxleEditRow = -1;
    LiftingAxleEditColumn = -1;
    LiftingAxleReadBytes.clear();
    LiftingAxleWrittenBytes.clear();
    LiftingAxleEncodedValue.clear();
    LiftingAxleWriteOk = 0;
    LiftingAxleType = -1;
    LiftingSensorVariant = 0;
    ResetMonitorGlobals();
    // ---- Connectors page ----
    ConnectorVersionValid = 0;
    ConnectorRequiredVersion = 0;
    ConnectorUpdateOffered = 0;
    ConnectorCurrentVersion = 0;
    ConnectorPinTable = {};
    ConnectorPinKept = {};
    ConnectorDidTable.clear();
    // ---- Program download sequence ----
    FlashBlockLength = 0;
    FlashBlock.clear();
    // ---- Parameters page ----
    SelectedRecordRWType.clear();
    ParameterWrittenBytes.clear();
    ParameterReadBytes.clear();
    ParameterEditRow = -1;
    ParameterEditColumn = -1;
}

// ---- Live-data monitor page ----
std::vector<_tagMonitorDIDdesc_> MonitorDidTable;
std::vector<_tagMonitorDIDdesc_> MonitorDidList;
std::vector<_tagFillMonitordesc_> MonitorRows;
int32_t MonitorDisplayState = 1;
std::atomic<int32_t> MonitorPeriodMs{1000};
std::atomic<int32_t> MonitorRebuildPending{1};
std::atomic<int32_t> MonitorFailCount{0};
int32_t MonitorRecordState = 1;
std::unique_ptr<tarvel::ReplacingFile> MonitorCsvFile;
std::mutex& MonitorCsvLock()
{
    static std::mutex lock;
    return lock;
}
std::atomic<int32_t> MonitorCsvHeaderPending{-1};

namespace {
std::function<void()>& MonitorStopHandler()
{
    static std::function<void()> handler;
    return handler;
}
} // namespace

void tarvel::StopMonitorWorker()
{
    MonitorRunning = 0;
    if (MonitorStopHandler())
        MonitorStopHandler()();
}

void tarvel::SetMonitorStopHandler(std::function<void()> handler)
{
    MonitorStopHandler() = std::move(handler);
}

void ResetMonitorGlobals()
{
    MonitorDidTable.clear();
    MonitorDidList.clear();
    MonitorRows.clear();
    MonitorDisplayState = 1;
    MonitorPeriodMs = 1000;
    MonitorRebuildPending = 1;
    MonitorFailCount = 0;
    MonitorRecordState = 1;
    MonitorCsvFile.reset(); // an unfinished recording leaves nothing behind
    MonitorCsvHeaderPending = -1;
}
// ---- end of the live-data monitor page ----
