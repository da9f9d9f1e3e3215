#include "DeviceInfoLogic.h"

#include "DefinitionSelection.h"
#include "ParameterDefinitions.h"
#include "StoredParameters.h"
#include "ValueCodec.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "UdsServices.h"
#include "WindowRegistry.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

std::string RightTrimmed(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

// Where each identification DID's value is kept; `trim`: trailing white
// space removed.
struct IdentityTarget {
    const char* didNumber;
    std::string* value;
    bool trim;
};

const IdentityTarget kIdentity[] = {
    {"F18A", &EcuSupplierId, true},      {"F192", &EcuHardwareNumber, true},
    {"F193", &EcuHardwareVersion, true}, {"F194", &EcuSoftwareNumber, true},
    {"F195", &EcuSoftwareVersion, true}, {"F197", &SystemForm, true},
    {"F1F4", &EcuIdentF1F4, false},      {"F1F5", &EcuCalibrationVersion, false},
};

// The data of the last positive read as long as the ECU announced it (the
// answer without 0x62 and the two DID bytes).
size_t AnnouncedDataSize(const std::vector<uint8_t>& data)
{
    const uint32_t length = tarvel::UdsResponseLength();
    if (length < 3)
        return 0;
    return std::min<size_t>(data.size(), length - 3);
}

} // namespace

DeviceInfoLogic::DeviceInfoLogic(const tarvel::PageContext& context)
    : PageLogic(tarvel::TabDeviceInfo, context),
      timer_(context.timers.Create([this] { OnDeviceInfoTimer(); }))
{
    RefreshCaptions();
}

DeviceInfoLogic::~DeviceInfoLogic()
{
    timer_->Stop();
    ResetStoredParameterGlobals();
    FaultCodeMapping.clear();
}

std::string DeviceInfoLogic::Text(int row, const char* fallback) const
{
    return Context().texts.Text(row, fallback);
}

void DeviceInfoLogic::RefreshCaptions()
{
    state_.readCaption = Text(kRowReadButton, "Read Information");
    state_.faultMemoryCaption = Text(kRowFaultMemoryButton, "Fault Memory");
    state_.versionCaption = Text(kRowVersionButton, "Version Information");
}

void DeviceInfoLogic::OnLanguageChanged()
{
    RefreshCaptions();
    Changed();
}

void DeviceInfoLogic::OnResetForNewRun()
{
    LoadStoredParameterConfig();
}

void DeviceInfoLogic::LoadStoredParameterConfig()
{
    ::LoadStoredParameterConfig();
}

void DeviceInfoLogic::OnActivate(int message)
{
    if (message != WM_ACTIVATE_DEVICEINFO)
        return;
    if (EcuConnected.load() != 1) {
        tarvel::ShowNotConnectedBox();
        return;
    }
    DeviceInfoAutoRead = 1;
    // When the first read already finds the status unreadable (or the page
    // was left while it waited) there is no periodic read.
    if (UpdateFaultStatusLabel() && DeviceInfoAutoRead == 1)
        timer_->Start(kStatusPeriodMs);
}

void DeviceInfoLogic::OnDisconnected()
{
    DeviceInfoAutoRead = 0;
    timer_->Stop();
    // What was read belongs to the ECU that is gone.
    const DeviceInfoState fresh;
    for (auto& pair : state_.pairs)
        pair = fresh.pairs.front();
    state_.statusText.clear();
    state_.statusColour = kColourBlack;
    Changed();
}

void DeviceInfoLogic::OnStopWork()
{
    DeviceInfoAutoRead = 0;
    timer_->Stop();
}

void DeviceInfoLogic::OnReadInformation()
{
    if (EcuConnected.load() != 1) {
        tarvel::ShowNotConnectedBox();
        return;
    }
    ReadDeviceInformation();
}

void DeviceInfoLogic::OnDeviceInfoReload()
{
    // A reload while an identification waits for the ECU would read over it.
    if (state_.reading)
        return;
    // Over a closed link there is nothing to read and nothing to tell: the
    // disconnect already emptied the page.
    if (EcuConnected.load() != 1)
        return;
    const bool linked = true;
    tarvel::SendToRegisteredWindow(tarvel::WindowSlot::MonitorPage, WM_MONITOR_RELOAD_DEFINITIONS);
    ReadDeviceInformation();
    if (linked && EcuConnected.load() != 1)
        return; // the link went while the ECU was read: nothing to select for
    if (EcuIdentified == 0) {
        tarvel::ShowMessage(Text(kRowNotIdentified, "The ECU is not identified"), Text(kRowErrorCaption, "Error"),
                            tarvel::MsgIcon::Exclamation);
        return;
    }
    SelectParameterFaultCodeFile();
    SelectBasicParameterFile();
}

void DeviceInfoLogic::ReadDeviceInformation()
{
    if (state_.reading)
        return;
    state_.reading = true;
    Changed();
    EcuIdentified = 1;
    DeviceInfoRows.clear();
    didFirstRow_.clear();
    didRowCount_.clear();
    const bool linked = EcuConnected.load() == 1;
    for (size_t i = 0; i < StoredDidList.size(); ++i) {
        const _tagStoredDIDdesc_ did = StoredDidList[i];
        const uint16_t number = static_cast<uint16_t>(std::strtoul(did.DidNumber.c_str(), nullptr, 16));
        std::vector<uint8_t> record;
        // Once the link is gone the remaining DIDs count as unanswered.
        const bool ok = !(linked && EcuConnected.load() != 1) && tarvel::UdsReadByIdQuiet(number, record) == 1;
        if (ok)
            record.resize(AnnouncedDataSize(record)); // the link's padding is not data
        if (!ok && number == kSupplierIdDid)
            EcuIdentified = 0;
        didFirstRow_.push_back(DeviceInfoRows.size());
        didRowCount_.push_back(did.SubFields.size());
        for (size_t j = 0; j < did.SubFields.size(); ++j) {
            const _tagStoredDIDdesc_Sub_& sub = did.SubFields[j];
            Row row;
            row.name = sub.SubDataName;
            if (ok) {
                row.number = std::to_string(j + 1);
                row.value = DecodeDeviceInfoValue(record, sub.DataType, sub.ByteIndex, sub.BitLenth, sub.StartBit,
                                                  sub.Conversion);
                row.unit = sub.Unit;
            }
            DeviceInfoRows.push_back(std::move(row));
        }
        StoreEcuIdentity(i);
    }
    DeviceInfoRows.clear();
    didFirstRow_.clear();
    didRowCount_.clear();
    state_.reading = false;
    Changed();
}

void DeviceInfoLogic::StoreEcuIdentity(size_t position)
{
    if (position >= StoredDidList.size())
        return;
    const _tagStoredDIDdesc_& did = StoredDidList[position];
    // The DID's first sub-field is its value; a DID without one, or one not
    // read yet, has none.
    std::string value;
    if (position < didFirstRow_.size() && didRowCount_[position] > 0)
        value = DeviceInfoRows[didFirstRow_[position]].value;
    if (position < state_.pairs.size()) {
        DeviceInfoState::Pair& pair = state_.pairs[position];
        pair.shown = true;
        pair.name = did.name + ":";
        pair.value = value;
    }
    for (const IdentityTarget& target : kIdentity)
        if (did.DidNumber == target.didNumber)
            *target.value = target.trim ? RightTrimmed(value) : value;
    Changed();
}

bool DeviceInfoLogic::UpdateFaultStatusLabel()
{
    const int failedNow = tarvel::UdsReadDtcCount(kMaskTestFailed);
    // The page may have been left or the link closed while the count was read.
    if (DeviceInfoAutoRead != 1) {
        timer_->Stop();
        return false;
    }
    const int confirmed = tarvel::UdsReadDtcCount(kMaskConfirmed);
    if (failedNow == tarvel::kUdsNoDtcCount || confirmed == tarvel::kUdsNoDtcCount) {
        timer_->Stop();
        return false;
    }
    if (failedNow > 0) {
        state_.statusText = Text(kRowActiveFaults, "Active faults present");
        state_.statusColour = kColourRed;
    } else if (confirmed > 0) {
        state_.statusText = Text(kRowStoredFaults, "Stored faults present");
        state_.statusColour = kColourBlack;
    } else {
        state_.statusText = Text(kRowNoFault, "No Fault");
        state_.statusColour = kColourBlack;
    }
    Changed();
    return true;
}

void DeviceInfoLogic::OnDeviceInfoTimer()
{
    // A request of this page or another holds the link: this tick is skipped.
    if (tarvel::UdsRequestInFlight())
        return;
    if (DeviceInfoAutoRead != 1) {
        timer_->Stop();
        return;
    }
    UpdateFaultStatusLabel();
}
