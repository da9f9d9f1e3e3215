// Run-state and equipment flags of the diagnosis, parameter, calibration and
// programming pages that the shell reads or clears.
#pragma once

#include "DidDefinitions.h"
#include "FileSave.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// -1 at load (counts as identified), 1 after the identification answered,
// 0 after it failed or after a download's erase step.
extern int32_t EcuIdentified;
// 1 while the monitor's worker loops; the worker reads it, hence atomic.
extern std::atomic<int32_t> MonitorRunning;
// 1 while the fault-memory page re-reads every 2000 ms.
extern int32_t DtcReadPending;
// 1 while the ECU information page re-reads its fault status every 5000 ms.
extern int32_t DeviceInfoAutoRead;
// 1 whenever no download runs, 0 during a download.
extern int32_t DownloadIdle;
// 1 after a disconnect, until the parameters page is next opened.
extern int32_t ParameterListStale;

// The ECU software loaded by the program-download page (empty until a file
// was read without fault; a refused file leaves the previous one in place).
// Start of the image in ECU memory and its number of bytes.
extern uint32_t FlashStartAddress;
extern uint32_t FlashImageLength;
// The same two values as 4 bytes, most significant first.
extern std::vector<uint8_t> FlashAddressBytes;
extern std::vector<uint8_t> FlashLengthBytes;
// The image, lowest to highest address, gaps read 0xFF.
extern std::vector<uint8_t> FlashImage;
// Boot-loader and hardware versions from the file: 4 bytes each once a file
// was loaded (00 00 00 00 when the file carries none).
extern std::vector<uint8_t> FlashBootLoaderVersion;
extern std::vector<uint8_t> FlashHardwareVersion;
// 1 once a file was read completely; stays 1 after a download so the same
// image can be sent again.
extern uint8_t FileLoaded;
// 1 once a block of a download has been sent, until the download ends or is
// cancelled; while 1 no file can be opened and no download started.
extern uint8_t DownloadRunning;
// 0 while a download sequence may go on; set by Cancel, by a transfer failure,
// at success and when the download page goes. The block loop stops on it.
extern uint8_t DownloadCancelled;
// The brake-system form the ECU reported ("2S2M", "4S2M" or "4S3M"); written
// by the ECU information page, emptied by Disconnect.
extern std::string SystemForm;

// Equipment feature flags: a function counts as present only when its flag is exactly 1.
extern int32_t LiftingAxleCalibrationEnabled;
extern int32_t BrakeLampTestEnabled;
extern int32_t HeightSensorCalibrationEnabled;
extern int32_t UnderwaterValveTestEnabled;
extern int32_t LiftingAxleTestEnabled;
extern int32_t LiftingSensorCalibrationEnabled;

// What the parameter rows say about the trailer (derived whenever the
// parameter grid is filled, edited or loaded from a file).
// Per-axle height sensors (8-bit): axle 1 from the level-control row, axle 2
// from the e-f height-sensor row.
extern uint8_t HeightSensorAxle1Present;
extern uint8_t HeightSensorAxle2Present;
// 1 or 2 from the sensor-assignment row, else 0.
extern int32_t ParameterChoice;
// Number of axles, 1..5; 0 until a row gave one.
extern int32_t AxleCount;
// Two flags per axle k = 1..5 at [2(k-1)] (sensed) and [2(k-1) + 1] (third
// modulator); 1 or 0.
extern std::array<int32_t, 10> AxleFeatureFlags;
// Two lift functions per axle k = 1..5 at [2(k-1)] and [2(k-1) + 1]; 1 or 0.
extern std::array<int32_t, 10> LiftingAxleFlags;
// Variant of a "4S3M" system derived from the axle flags; -1 until derived.
// Readers must accept -1 (and AxleCount 0) before the first parameter read.
extern int32_t DerivedSystemVariant;
// The system-tag plate bytes; 0xFF where no row gave a value.
extern std::array<uint8_t, 20> SystemTagValues;
// Values of the lift-function rows seen since the list was last emptied.
extern std::vector<std::string> LiftingAxleRowValues;
// Vehicle-configuration texts for the recorder export.
extern std::string ParameterValueText1;
extern std::string ParameterValueText2;
extern std::string ParameterValueText3;
extern std::string ParameterValueText4;
extern std::string ParameterValueText5;
extern std::string ParameterValueText6;
extern std::string ParameterValueText7;
// Running sum of the axle loads (for ParameterValueText6).
extern float ParameterValueSum;
// Running count of active lift functions (for ParameterValueText7).
extern int32_t LiftingAxleRowCount;

// Fault memory page: the fault table of the current language, three parallel
// lists (code as the ECU reply renders it, code as shown, meaning), filled by
// LoadFailureTable (FailureTable.h) and read by the end-of-line fault check too.
extern std::vector<std::string> DtcNumbers;
extern std::vector<std::string> DtcDisplays;
extern std::vector<std::string> DtcMeanings;
// ---- ECU information page: the ECU's identity ----
// What the last identification read (UTF-8), empty at start; the ECU
// information page is their only writer. The first five have trailing white
// space removed (as SystemForm above); F1F4 and F1F5 are kept as decoded.
extern std::string EcuSupplierId;         // F18A
extern std::string EcuHardwareNumber;     // F192
extern std::string EcuHardwareVersion;    // F193
extern std::string EcuSoftwareNumber;     // F194
extern std::string EcuSoftwareVersion;    // F195
extern std::string EcuIdentF1F4;          // F1F4
extern std::string EcuCalibrationVersion; // F1F5 (the fault-code selection reads it as a decimal number)
// (The parameter definitions the identification selects, with their own
// reset, are in ParameterDefinitions.h; ResetDiagnosisGlobals resets them too.)
// ---- Lifting-axle calibration page ----
struct _tagLiftingAxleDIDdesc_;
// One row of the lifting-axle grid, its five cells in column order.
struct _tagLiftingAxleFilldesc_ {
    std::string No;            // 1-based row number in decimal
    std::string ParameterName; // the sub-field's SubDataName
    std::string Value;
    std::string Unit;
    std::string Description;
};
// The lifting-axle definition file as loaded (only the first record is used:
// its sub-fields are the layout of DID 0x00A1), and its working copy.
extern std::vector<_tagLiftingAxleDIDdesc_> LiftingAxleDidTable;
extern std::vector<_tagLiftingAxleDIDdesc_> LiftingAxleDidList;
// The rows the lifting-axle grid shows; the parameter files read and write
// their Value cells.
extern std::vector<_tagLiftingAxleFilldesc_> LiftingAxleGrid;
// The cell the in-place editor edits; -1 while none was chosen.
extern int32_t LiftingAxleEditRow;
extern int32_t LiftingAxleEditColumn;
// The data of the last positive 0x00A1 read up to the last sub-field's byte.
extern std::vector<uint8_t> LiftingAxleReadBytes;
// The block of the last 0x00A1 write, checksum included.
extern std::vector<uint8_t> LiftingAxleWrittenBytes;
// The bytes of the last encoded value; empty after a refusal.
extern std::vector<uint8_t> LiftingAxleEncodedValue;
// 1 after the ECU accepted the last 0x00A1 write, else 0.
extern int32_t LiftingAxleWriteOk;
// Lifting axles the end-of-line lifting tests exercise (0, 1, 2); -1 until
// first derived from the grid.
extern int32_t LiftingAxleType;
// 1 while the lifting-axle configuration is the sensor variant.
extern int32_t LiftingSensorVariant;
// ---- Live-data monitor page ----
// One row of the monitor's value list: the sub-field's number within its
// DID (from "1"), its name, the value text and the unit.
struct _tagFillMonitordesc_ {
    std::string Number;
    std::string SubDataName;
    std::string Value;
    std::string Unit;
};
// The monitor definitions as read, and the copy the monitor page and the EOL
// pressure pages use (UI thread; the worker gets its own copy).
extern std::vector<_tagMonitorDIDdesc_> MonitorDidTable;
extern std::vector<_tagMonitorDIDdesc_> MonitorDidList;
// The rows of the last poll cycle, as the value list shows them (UI thread).
extern std::vector<_tagFillMonitordesc_> MonitorRows;
// 1 stopped, 2 displaying (UI thread).
extern int32_t MonitorDisplayState;
// The poll period in milliseconds; read by the worker before each wait.
extern std::atomic<int32_t> MonitorPeriodMs;
// 1: the next cycle rebuilds the value list and is followed by a 3000 ms pause.
extern std::atomic<int32_t> MonitorRebuildPending;
// Consecutive failed reads of the worker.
extern std::atomic<int32_t> MonitorFailCount;
// 1 not recording, 2 recording (UI thread).
extern int32_t MonitorRecordState;
// The CSV recording, null when none is open: written under a temporary name
// and put in place of the chosen file when the recording ends. Only touched
// under MonitorCsvLock(): the worker writes under it, the page hands the file
// over and takes it back under it, so a close never runs under a write.
extern std::unique_ptr<tarvel::ReplacingFile> MonitorCsvFile;
std::mutex& MonitorCsvLock();
// -1 at load; 1 once a file was opened (or the checked DIDs changed while
// recording): the next cycle writes the header line; 0 after it.
extern std::atomic<int32_t> MonitorCsvHeaderPending;
// Restores the monitor's globals (closing a recording left open).
void ResetMonitorGlobals();

namespace tarvel {
// Ends the live-data monitor's worker and waits until it has finished, so
// nothing else is sent and the adapter is not closed under its request. The
// page switch, Disconnect and shutdown call it. It clears MonitorRunning,
// then runs the handler the monitor page installed (which joins its worker);
// without a handler clearing the flag is all there is to do.
void StopMonitorWorker();
void SetMonitorStopHandler(std::function<void()> handler);
} // namespace tarvel
// ---- end of the live-data monitor page ----

// ---- Connectors page ----
struct _tagConnDIDdesc_;
// 1 after a positive read of the connector version (0x00F1), 0 after a failed one.
extern int32_t ConnectorVersionValid;
// Byte 0 of 0x00F1: the connector configuration the ECU should hold; it
// names the connector definition file.
extern uint8_t ConnectorRequiredVersion;
// Byte 1 of 0x00F1: 0 when no update is offered.
extern uint8_t ConnectorUpdateOffered;
// Byte 0 of 0x00A2, or the required version when that byte is 0.
extern uint8_t ConnectorCurrentVersion;
// Connector n (1..16) at [n - 1]: the five bytes of DID 0xD000 + n, one per
// GIO 1..5, each a set of pin codes.
extern std::array<std::array<uint8_t, 5>, 16> ConnectorPinTable;
// The fixed reference assignment the pin bytes are compared with.
extern const std::array<std::array<uint8_t, 5>, 16>& ConnectorReferenceTable;
// Per connector and GIO the reference byte when the ECU holds all of its
// bits, else 0.
extern std::array<std::array<uint8_t, 5>, 16> ConnectorPinKept;
// The connector definition as loaded; sub-field n of the first record (n =
// 1..16) describes connector n.
extern std::vector<_tagConnDIDdesc_> ConnectorDidTable;
// ---- Program download sequence ----
// Data bytes per TransferData request of the running download.
extern uint32_t FlashBlockLength;
// The block being sent.
extern std::vector<uint8_t> FlashBlock;

// ---- Parameters page ----
// One row of the parameter grid, its five cells in column order.
struct _tagFilldesc_ {
    std::string Number;      // 1-based position of the sub-field
    std::string Name;        // the sub-field's SubDataName
    std::string Value;
    std::string Unit;
    std::string Description;
};
// RWType of the record last chosen in the record list.
extern std::string SelectedRecordRWType;
// The block of the last parameter write (checksum included); emptied at the
// start of every write that passed the unlock.
extern std::vector<uint8_t> ParameterWrittenBytes;
// The data kept from the last successful parameter read.
extern std::vector<uint8_t> ParameterReadBytes;
// The cell the in-place editor edits; -1 while none was chosen.
extern int32_t ParameterEditRow;
extern int32_t ParameterEditColumn;

// Restores every global of this header to its value at program load.
void ResetDiagnosisGlobals();
