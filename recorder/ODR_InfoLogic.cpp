#include "ODR_InfoLogic.h"

#include "OdrDefinitions.h"
#include "OdrValueDecoding.h"

#include "AppMessages.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "WindowRegistry.h"

#include "DiagnosisGlobals.h"
#include "SettingsFiles.h"

#include "DelayPumping.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace {

constexpr uint16_t kDidInformation = 0x0042;
constexpr uint16_t kDidMileageReference = 0x0043;
constexpr uint16_t kDidTimeReference = 0x0044;
constexpr uint16_t kDidNextTrip = 0x0047;
constexpr uint16_t kDidNewestSlot = 0x0048;
constexpr uint16_t kDidTripCount = 0x004A;
constexpr uint16_t kRoutineTripRead = 0xC00A;
constexpr uint8_t kExtendedSession = 0x03;

// The data bytes of the last positive read, cut to the length its frames
// announced (service byte and identifier not counted): the frame padding is
// not part of the record.
std::vector<uint8_t> AnnouncedData(std::vector<uint8_t> data)
{
    const uint32_t announced = tarvel::UdsResponseLength();
    const size_t length = announced > 3 ? announced - 3 : 0;
    if (data.size() > length)
        data.resize(length);
    return data;
}

// A quiet read of `did` with its data cut to the announced length.
bool ReadRecord(uint16_t did, std::vector<uint8_t>& data)
{
    std::vector<uint8_t> raw;
    if (tarvel::UdsReadByIdQuiet(did, raw) != 1)
        return false;
    data = AnnouncedData(std::move(raw));
    return true;
}

uint32_t BigEndian16(const std::vector<uint8_t>& data) { return static_cast<uint32_t>(data[0]) << 8 | data[1]; }

int32_t BigEndianSigned32(const std::vector<uint8_t>& data)
{
    const uint32_t v = static_cast<uint32_t>(data[0]) << 24 | static_cast<uint32_t>(data[1]) << 16 |
                       static_cast<uint32_t>(data[2]) << 8 | data[3];
    return static_cast<int32_t>(v);
}

// A signed 32-bit reference value, 0 when unanswered or shorter than 4 bytes.
int32_t ReadReference(uint16_t did)
{
    std::vector<uint8_t> data;
    if (!ReadRecord(did, data) || data.size() < 4)
        return 0;
    return BigEndianSigned32(data);
}

// The leading integer of a text (0 when there is none).
long LeadingInteger(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }

std::string Format(const char* format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string DecimalOfLeadingInteger(const std::string& text) { return std::to_string(LeadingInteger(text)); }

} // namespace

ODR_InfoLogic::ODR_InfoLogic(const tarvel::PageContext& context) : PageLogic(tarvel::TabOdrInfo, context)
{
    RefreshCaptions();
}

ODR_InfoLogic::~ODR_InfoLogic()
{
    stop_ = true;
    ClearOdrDefinitions();
    OdrTrips.clear();
}

std::string ODR_InfoLogic::Text(int row, const char* fallback) const
{
    return Context().texts.Text(row, fallback);
}

void ODR_InfoLogic::Box(int row, const char* fallback, tarvel::MsgIcon icon)
{
    Context().prompter.Show(Text(row, fallback), Text(kRowErrorCaption, "Error"), icon, tarvel::MsgButtons::Ok);
}

void ODR_InfoLogic::RefreshCaptions()
{
    state_.readCaption = Text(kRowReadButton, "Read Information");
    state_.exportCaption = Text(kRowExportButton, "Export");
    if (Context().texts.Language() == 0)
        state_.headers = {"序号", "参数名称", "数值", "单位", "描述"};
    else
        state_.headers = {"No.", "Parameter Name", "Value", "Unit", "Description"};
}

void ODR_InfoLogic::OnLanguageChanged()
{
    RefreshCaptions();
    Changed();
}

void ODR_InfoLogic::OnResetForNewRun()
{
    LoadOdrParameterConfig();
    ForgetEcu();
}

void ODR_InfoLogic::OnConnected() { ForgetEcu(); }

void ODR_InfoLogic::ForgetEcu()
{
    // Nothing of an earlier ECU (or of rows decoded with earlier definitions)
    // is shown or exported: the trips, the ring, the captured values and the
    // VIN are forgotten, and Export is refused until the next read.
    ResetOdrTripState();
    ForgetOdrInfoValues();
    state_.rows.clear();
    state_.progressShown = false;
    state_.progressMax = 0;
    state_.progressPos = 0;
    state_.percentText = "0%";
    state_.percentColour = kPercentColour;
    Changed();
}

void ODR_InfoLogic::LoadOdrParameterConfig()
{
    ::LoadOdrParameterConfig();
}

void ODR_InfoLogic::OnActivate(int message)
{
    if (message != WM_ACTIVATE_ODRINFO)
        return;
    // While a read runs the count it read stands; a second read would be
    // refused by the one outstanding request and forget it.
    if (!state_.reading)
        ReadOdrTripCount();
    state_.tripTabShown = OdrTripCount >= 1;
    ++state_.tripTabRequests;
    Changed();
}

void ODR_InfoLogic::OnDisconnected()
{
    stop_ = true;
    ForgetEcu();
}

void ODR_InfoLogic::OnStopWork()
{
    stop_ = true;
}

bool ODR_InfoLogic::GoOn() const
{
    return !stop_ && EcuConnected.load() == 1;
}

bool ODR_InfoLogic::TripsHeld()
{
    return OdrNewestTrip >= 0 && OdrReadPosition == OdrNewestTrip && OdrTripCount >= 0 &&
           OdrReadIndex >= OdrTripCount && OdrTrips.size() >= static_cast<size_t>(OdrTripCount);
}

void ODR_InfoLogic::ForgetRing()
{
    OdrTripCount = -1;
    OdrOldestTrip = -1;
    OdrNewestTrip = -1;
    OdrShownTrip = -1;
    OdrReadPosition = 0;
}

void ODR_InfoLogic::FillOdrInfoList(const std::vector<_tagODRFilldesc_>& rows)
{
    state_.rows = rows;
    Changed();
}

bool ODR_InfoLogic::ReadOdrTripCount()
{
    std::vector<uint8_t> data;
    if (!ReadRecord(kDidTripCount, data) || data.size() < 2) {
        OdrTripCount = -1;
        Box(kRowTripCountFailed, "Failed to read the trip count", tarvel::MsgIcon::Exclamation);
        return false;
    }
    OdrTripCount = static_cast<int32_t>(BigEndian16(data));
    if (OdrTripDialogWnd)
        OdrTripDialogWnd->HandleAppMessage(WM_ODRTRIP_RELOAD);
    state_.progressShown = OdrTripCount > 0;
    Changed();
    return true;
}

bool ODR_InfoLogic::ReadOdrRingPosition()
{
    std::vector<uint8_t> raw;
    const bool read = tarvel::UdsReadById(kDidNewestSlot, raw) == 1;
    const std::vector<uint8_t> data = read ? AnnouncedData(std::move(raw)) : std::vector<uint8_t>();
    if (data.size() < 2) {
        OdrOldestTrip = -1;
        Box(kRowReadFailed, "Read failed", tarvel::MsgIcon::Exclamation);
        return false;
    }
    const int32_t n = static_cast<int32_t>(BigEndian16(data));
    // The read position is only set once every trip is read.
    OdrNewestTrip = n;
    OdrOldestTrip = n;
    OdrNewestTripText = std::to_string(n);
    if (OdrTripCount < kRingSlots)
        OdrOldestTrip = 0;
    else if (OdrTripCount == kRingSlots)
        OdrOldestTrip = n == kRingSlots - 1 ? 0 : n + 1;
    return true;
}

void ODR_InfoLogic::CaptureOdrInfoValue(const std::string& name, const std::string& value)
{
    const auto named = [&](int row) {
        const std::string text = Text(row, "");
        return !text.empty() && text == name;
    };
    if (named(434))
        OdrInfoValue434 = DecimalOfLeadingInteger(value);
    if (named(433)) {
        OdrInfoValue433 = value;
        const int32_t reference = ReadReference(kDidMileageReference);
        OdrInfoValue433Adjusted = Format("%.1f", std::strtod(value.c_str(), nullptr) - reference * 0.1);
    }
    if (named(431))
        OdrInfoValue431 = value;
    if (named(432)) {
        OdrInfoValue432 = value;
        OdrDid0044Text = std::to_string(ReadReference(kDidTimeReference));
        OdrInfoMinutes = static_cast<int32_t>(LeadingInteger(OdrInfoValue432) * 60 +
                                              LeadingInteger(OdrInfoValue431) - LeadingInteger(OdrDid0044Text));
        OdrInfoValue432 = std::to_string(OdrInfoMinutes / 60);
        char minutes[16];
        std::snprintf(minutes, sizeof minutes, "%02d", static_cast<int>(OdrInfoMinutes % 60));
        OdrInfoValue431 = minutes;
        OdrInfoTimeText = OdrInfoValue432 + ":" + OdrInfoValue431;
    }
    const std::pair<int, std::string*> counters[] = {
        {435, &OdrInfoValue435}, {442, &OdrInfoValue442}, {443, &OdrInfoValue443}, {444, &OdrInfoValue444},
        {437, &OdrInfoValue437}, {439, &OdrInfoValue439}, {440, &OdrInfoValue440},
    };
    for (const auto& counter : counters) {
        if (!named(counter.first))
            continue;
        *counter.second = counter.first == 437 ? Format("%.2f", std::strtod(value.c_str(), nullptr))
                                               : DecimalOfLeadingInteger(value);
    }
}

OdrTrip ODR_InfoLogic::DecodeTrip(const std::vector<uint8_t>& reply)
{
    bool unknownType = false;
    OdrTrip trip = DecodeOdrTrip(reply, unknownType);
    if (unknownType && !tripTypeBoxShown_) {
        tripTypeBoxShown_ = true;
        Box(kCodecBadValueRow, "Unsupported data type in the definition file", tarvel::MsgIcon::None);
    }
    return trip;
}

void ODR_InfoLogic::ReadOdrInformation()
{
    if (state_.reading)
        return;
    stop_ = false;
    infoTypeBoxShown_ = false;
    tripTypeBoxShown_ = false;
    state_.reading = true;
    Changed();
    {
        // Each trip definition file is read once in this read.
        OdrTripReadScope scope;
        int restarts = 0;
        while (RunSequence(restarts) == Run::Restart) {
        }
    }
    state_.reading = false;
    Changed();
}

ODR_InfoLogic::Run ODR_InfoLogic::RunSequence(int& restarts)
{
    // 1-3: the link, then the information record.
    if (EcuConnected.load() != 1) {
        tarvel::ShowNotConnectedBox();
        return Run::Done;
    }
    tarvel::TestRunning.store(0);
    std::vector<_tagODRFilldesc_> rows;
    std::vector<uint8_t> info;
    const bool infoRead = ReadRecord(kDidInformation, info);
    if (!GoOn())
        return Run::Done;
    if (!infoRead) {
        Box(kRowInfoFailed, "Failed to read the recorder information", tarvel::MsgIcon::None);
        return Run::Done;
    }

    // 4-5: the list, and the values the export keeps.
    if (!OdrInfoDidTable.empty()) {
        const auto& subs = OdrInfoDidTable[0].SubFields;
        for (size_t i = 0; i < subs.size(); ++i) {
            const auto& sub = subs[i];
            OdrInfoRow.No = std::to_string(i + 1);
            OdrInfoRow.ParameterName = sub.SubDataName;
            const DecodedValue decoded = DecodeOdrInfoFieldQuiet(info, sub);
            if (decoded.box != 0 && !infoTypeBoxShown_) {
                infoTypeBoxShown_ = true;
                Box(decoded.box, "Unsupported data type in the definition file", tarvel::MsgIcon::None);
            }
            OdrInfoRow.Value = decoded.text;
            OdrInfoRow.Unit = sub.Unit;
            OdrInfoRow.Description = sub.Description;
            rows.push_back(OdrInfoRow);
            CaptureOdrInfoValue(sub.SubDataName, OdrInfoRow.Value);
            if (!GoOn())
                return Run::Done;
        }
    }
    FillOdrInfoList(rows);
    state_.exportEnabled = true;
    Changed();

    // 6: every trip already held.
    if (TripsHeld())
        return Run::Done;

    // 7-8: count and ring position.
    OdrTripRows.clear();
    OdrReadPosition = kReadPositionPending;
    const bool counted = ReadOdrTripCount();
    if (!GoOn())
        return Run::Done;
    const bool ringRead = ReadOdrRingPosition();
    if (!GoOn())
        return Run::Done;
    state_.progressMax = std::max<int32_t>(OdrTripCount, 0);
    state_.progressPos = std::min(OdrReadIndex, state_.progressMax);
    Changed();

    // 9-10: extended session, unlock, routine start at the next trip to read.
    tarvel::UdsDiagnosticSessionControl(kExtendedSession);
    if (!GoOn())
        return Run::Done;
    const int unlocked = tarvel::UdsSecurityAccess();
    if (!GoOn())
        return Run::Done;
    if (unlocked != 1)
        Box(kRowSecurityFailed, "Security access failed", tarvel::MsgIcon::None);
    const int started = tarvel::UdsRoutineControl7Word(0x01, kRoutineTripRead >> 8, kRoutineTripRead & 0xFF, 0x00,
                                                       static_cast<uint16_t>(OdrReadIndex));
    if (!GoOn())
        return Run::Done;
    if (started != 1) {
        ForgetRing();
        return Run::Done;
    }

    // 11-13: the trips, one per read of 0x0047, element k for slot k. An
    // empty ring is read completely once its count and position are known.
    if (OdrTripCount <= 0) {
        if (counted && ringRead && OdrTripCount == 0)
            OdrReadPosition = OdrNewestTrip;
        return Run::Done;
    }
    while (OdrReadIndex < OdrTripCount) {
        std::vector<uint8_t> reply;
        const bool read = ReadRecord(kDidNextTrip, reply);
        if (!GoOn())
            return Run::Done;
        if (!read) {
            // Start again from the link check; the routine then names this
            // same trip as the first to read.
            ForgetRing();
            if (restarts >= kMaxRestarts) {
                Box(kRowReadFailed, "Read failed", tarvel::MsgIcon::Exclamation);
                return Run::Done;
            }
            ++restarts;
            return Run::Restart;
        }
        restarts = 0;
        OdrTrips.resize(static_cast<size_t>(OdrReadIndex));
        OdrTripRows = DecodeTrip(reply);
        OdrTrips.push_back(OdrTripRows);
        OdrTripRows.clear();
        ++OdrReadIndex;
        state_.progressPos = OdrReadIndex;
        state_.percentText = std::to_string(static_cast<int64_t>(OdrReadIndex) * 100 / OdrTripCount) + "%";
        state_.percentColour = kPercentColour;
        Changed();
        tarvel::DelayPumpingMessages(kTripPauseMs);
        if (!GoOn())
            return Run::Done;
    }
    // The trips are held only when the ring position was read with them.
    if (ringRead)
        OdrReadPosition = OdrNewestTrip;
    return Run::Done;
}

// ---------------------------------------------------------------------------
// Export

namespace {

// The export's reads go to the ECU without a time-out message; their data is
// cut to the announced length, so a short counter or VIN answer is not
// lengthened by the frame padding.
class EcuExportReader : public OdrExportReader {
public:
    int ReadById(uint16_t did, std::vector<uint8_t>& data) override { return ReadRecord(did, data) ? 1 : 0; }
    OdrExportTime LocalNow() override { return tarvel::LocalNow(); }
};

OdrExportSnapshot TakeOdrExportSnapshot()
{
    OdrExportSnapshot s;
    s.ecuSoftwareVersion = EcuSoftwareVersion;
    s.mileageAdjusted = OdrInfoValue433Adjusted;
    s.workingHours = OdrInfoTimeText;
    s.mileage = OdrInfoValue433;
    s.maxAxleLoad = ParameterValueText6;
    s.rssFunction = ParameterValueText5;
    s.numberOfAxles = ParameterValueText1;
    s.numberOfAxlesL = ParameterValueText7;
    s.typeOfVehicle = ParameterValueText2;
    s.vinText = OdrVinText;
    s.newestTripText = OdrNewestTripText;
    s.tripCount = OdrTripCount;
    s.trips = OdrTrips;
    s.value434 = OdrInfoValue434;
    s.value435 = OdrInfoValue435;
    s.value437 = OdrInfoValue437;
    s.value439 = OdrInfoValue439;
    s.value440 = OdrInfoValue440;
    s.value442 = OdrInfoValue442;
    s.value443 = OdrInfoValue443;
    s.value444 = OdrInfoValue444;
    return s;
}

// The folder kept for the next export: the path up to its last separator.
std::string ExportFolderOf(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// A remembered folder that does not exist here (the load value "C:\" on this
// system) leaves the dialog at its own default.
std::string ExistingFolder(const std::string& folder)
{
    std::error_code ec;
    return !folder.empty() && std::filesystem::is_directory(std::filesystem::u8path(folder), ec) ? folder
                                                                                                 : std::string();
}

} // namespace

void ODR_InfoLogic::Box(int row, const char* fallback, int captionRow, const char* captionFallback,
                        tarvel::MsgIcon icon)
{
    Context().prompter.Show(Text(row, fallback), Text(captionRow, captionFallback), icon, tarvel::MsgButtons::Ok);
}

void ODR_InfoLogic::ExportOdrData()
{
    // Only after a complete read of the ring position: nothing is asked of
    // the ECU and no dialog is shown otherwise.
    if (OdrReadPosition != OdrNewestTrip) {
        Box(kRowExportNotReady, "Please read the information first", kRowErrorCaption, "Error",
            tarvel::MsgIcon::Exclamation);
        return;
    }
    EcuExportReader reader;
    const OdrExportDocument document = BuildOdrExportDocument(TakeOdrExportSnapshot(), reader);
    OdrVinText = document.vinText;

    tarvel::FileRequest request;
    request.save = true;
    request.folder = ExistingFolder(ODRInfoFilePath);
    request.fileName = document.fileName;
    request.filter = "文件 (*.TSO;)|*.TSO";
    request.defaultExtension = "TSO";
    // A cancelled dialog writes nothing and says nothing.
    const std::optional<std::string> path = tarvel::ChooseSaveFile(Context().files, Context().prompter, request,
                                                                   tarvel::ReplaceFileQuestion(Context().texts));
    if (!path)
        return;
    ODRInfoFilePath = ExportFolderOf(*path);
    const tarvel::SaveResult saved = tarvel::SaveFileReplacing(*path, document.xml);
    if (!saved) {
        Context().prompter.Show(tarvel::NotSavedText(Text(kRowExportNotSaved, "No file was written"), *path, saved,
                                                     Text(kRowNewContentKept, "The new content is kept in this file:")),
                                Text(kRowErrorCaption, "Error"), tarvel::MsgIcon::None, tarvel::MsgButtons::Ok);
        return;
    }
    Box(kRowExportSaved, "The file was saved", kRowTipsCaption, "Tips", tarvel::MsgIcon::None);
}
