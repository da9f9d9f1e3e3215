#include "UdsServices.h"

#include "EcuRestart.h"
#include "Prompter.h"
#include "SecurityAccessKey.h"

#include <cstdio>

namespace tarvel {

std::atomic<uint32_t> DownloadMaxBlockLength{0};
std::atomic<uint32_t> DownloadRequestAddress{0};
std::atomic<uint32_t> DownloadRequestSize{0};

namespace {

std::atomic<UdsLanguageSource> g_languageSource{nullptr};

const char* const kCaptionSession = "UDS Diagnostic Session Control (0x10)";
const char* const kCaptionReset = "UDS Reset (0x11)";
const char* const kCaptionClearDtc = "Request Clear DTC (0x14)";
const char* const kCaptionReadDtc = "ReadDTCInformation (0x19)";
const char* const kCaptionReadById = "ReadById (0x22)";
const char* const kCaptionSecurity = "SecurityAccess (0x27)";
const char* const kCaptionCommControl = "CommunicationControl (0x28)";
const char* const kCaptionWriteById = "WriteById (0x2E)";
const char* const kCaptionIoControl = "InputOutputControlByIdentifier (0x2F)";
const char* const kCaptionRoutine = "Routine Control (0x31)";
const char* const kCaptionDownload = "UDS RequestDownload (0x34)";
const char* const kCaptionTransfer = "UDS TransferData (0x36)";
const char* const kCaptionTransferExit = "UDS RequestTransferExit (0x37)";
const char* const kCaptionTesterPresent = "UDS TesterPresent (0x3E)";
const char* const kCaptionDtcSetting = "ControlDTCSetting (0x85)";

const char* const kAppMissingText = "Check to see if the application has been downloaded！";
const char* const kNoFaultText = " ；No Fault";

enum class Wait { Normal, Quiet };
enum class OnNegative { Box, Silent };

uint8_t Hi(uint16_t v) { return static_cast<uint8_t>(v >> 8); }
uint8_t Lo(uint16_t v) { return static_cast<uint8_t>(v); }

// Sends UdsRequest and waits. 1 on the positive response to `sid`.
int Exchange(uint8_t sid, const char* caption, Wait wait = Wait::Normal, OnNegative onNegative = OnNegative::Box)
{
    if (!PrepareUdsRequest(UdsRequest, static_cast<uint32_t>(UdsRequest.size())))
        return 0;
    const int answered =
        wait == Wait::Quiet ? WaitUdsResponseQuiet(sid, caption) : WaitUdsResponse(sid, caption);
    if (!answered)
        return 0;
    if (UdsResponse.empty() || UdsResponse[0] != static_cast<uint8_t>(sid + 0x40)) {
        if (onNegative == OnNegative::Box)
            ShowUdsNegativeResponse();
        return 0;
    }
    return 1;
}

// Out-parameter: the response behind its `header` bytes, padding included.
// A response that does not even hold its header is a failure.
int CopyOut(size_t header, std::vector<uint8_t>& out)
{
    if (UdsResponseLength() < header)
        return 0;
    out.assign(UdsResponse.begin() + static_cast<std::ptrdiff_t>(header), UdsResponse.end());
    return 1;
}

// Runs one request in its own transaction; refused (0) while another runs.
int Simple(std::vector<uint8_t> request, const char* caption, OnNegative onNegative = OnNegative::Box,
           Wait wait = Wait::Normal)
{
    UdsTransaction tx;
    if (!tx.Acquired())
        return 0;
    const uint8_t sid = request[0];
    UdsRequest = std::move(request);
    return Exchange(sid, caption, wait, onNegative);
}

int ReadByIdCore(uint16_t did, std::vector<uint8_t>& out, Wait wait, OnNegative onNegative)
{
    UdsTransaction tx;
    if (!tx.Acquired())
        return 0;
    UdsRequest = {0x22, Hi(did), Lo(did)};
    if (!Exchange(0x22, kCaptionReadById, wait, onNegative))
        return 0;
    return CopyOut(3, out);
}

int RoutineWithOut(std::vector<uint8_t> request, std::vector<uint8_t>& out, OnNegative onNegative)
{
    UdsTransaction tx;
    if (!tx.Acquired())
        return 0;
    UdsRequest = std::move(request);
    if (!Exchange(0x31, kCaptionRoutine, Wait::Normal, onNegative))
        return 0;
    return CopyOut(4, out);
}

// requestSeed, key, sendKey. The caller holds the transaction.
int Unlock(uint8_t requestSeed, SecurityConstantPair constants)
{
    UdsRequest = {0x27, requestSeed};
    if (!Exchange(0x27, kCaptionSecurity))
        return 0;
    if (UdsResponseLength() < 6) {
        // The seed did not arrive whole: the step failed as if unanswered,
        // and the user is told so in the service's box.
        ShowServiceTimeout(kCaptionSecurity, "Service timeout");
        return 0;
    }
    const std::array<uint8_t, 4> seed{UdsResponse[2], UdsResponse[3], UdsResponse[4], UdsResponse[5]};
    const std::array<uint8_t, 4> key = UdsKeyToBytes(ComputeSecurityKey(seed, constants));
    UdsRequest = {0x27, static_cast<uint8_t>(requestSeed + 1), key[0], key[1], key[2], key[3]};
    return Exchange(0x27, kCaptionSecurity);
}

const char* DtcStatusWord(uint8_t status)
{
    // Chinese, English, Russian, Spanish, Portuguese.
    static const char* const kHistory[] = {"；历史故障", "；History Fault", "；Сохранённая неисправность",
                                           "；Avería histórica", "；Falha armazenada"};
    static const char* const kCurrent[] = {"；当前故障", "；Current Fault", "；Текущая неисправность",
                                           "；Avería presente", "；Falha presente"};
    // Any index outside the table reads English, as every text does.
    const UdsLanguageSource source = g_languageSource.load();
    const int language = source ? source() : 1;
    const int index = language >= 0 && language <= 4 ? language : 1;
    if (status == 0x08)
        return kHistory[index];
    if (status == 0x09)
        return kCurrent[index];
    return "";
}

bool HasBytes(const std::vector<uint8_t>& v, size_t n) { return v.size() >= n; }

// The part both DTC reads share: sends 19 subFunction mask, shows the
// negative-response box for an answer that is not positive, and the
// "application missing" prompt for a two-byte answer. True only for a
// positive answer that can hold records. The caller holds the transaction.
bool ReadDtcInformation(uint8_t subFunction, uint8_t statusMask)
{
    UdsRequest = {0x19, subFunction, statusMask};
    if (!PrepareUdsRequest(UdsRequest, 3) || !WaitUdsResponse(0x19, kCaptionReadDtc))
        return false;
    const bool positive = !UdsResponse.empty() && UdsResponse[0] == 0x59;
    if (!positive)
        ShowUdsNegativeResponse();
    if (UdsResponseLength() == 2) {
        ShowMessage(kAppMissingText, "Prompt", MsgIcon::Exclamation);
        return false;
    }
    return positive;
}

} // namespace

void SetUdsLanguageSource(UdsLanguageSource source) { g_languageSource.store(source); }

int UdsDiagnosticSessionControl(uint8_t session) { return Simple({0x10, session}, kCaptionSession); }

int UdsEcuReset()
{
    const int accepted = Simple({0x11, 0x01}, kCaptionReset);
    if (accepted == 1)
        NoteEcuReset(); // silent while it restarts
    return accepted;
}

int UdsClearDtc() { return Simple({0x14, 0xFF, 0xFF, 0xFF}, kCaptionClearDtc); }

int UdsReadDtcCount(uint8_t statusMask)
{
    UdsTransaction tx;
    if (!tx.Acquired() || !ReadDtcInformation(0x01, statusMask))
        return kUdsNoDtcCount;
    if (UdsResponseLength() >= 6)
        return UdsResponse[4] << 8 | UdsResponse[5];
    return kUdsNoDtcCount;
}

std::string UdsReadDtcByStatus(uint8_t statusMask)
{
    UdsTransaction tx;
    if (!tx.Acquired() || !ReadDtcInformation(0x02, statusMask))
        return std::string();
    const uint32_t length = UdsResponseLength();
    if (length == 3)
        return kNoFaultText;
    std::string text;
    // Records lie behind 59 02 mask; only whole records inside the announced
    // length count, the frame padding behind it is not a DTC.
    for (uint32_t at = 3; at + 4 <= length; at += 4) {
        const uint32_t dtc =
            static_cast<uint32_t>(UdsResponse[at]) << 16 | UdsResponse[at + 1] << 8 | UdsResponse[at + 2];
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", dtc);
        text += hex;
        text += DtcStatusWord(UdsResponse[at + 3]);
        text += "**";
    }
    return text;
}

int UdsReadById(uint16_t did, std::vector<uint8_t>& out)
{
    return ReadByIdCore(did, out, Wait::Normal, OnNegative::Box);
}

int UdsReadByIdQuiet(uint16_t did, std::vector<uint8_t>& out)
{
    return ReadByIdCore(did, out, Wait::Quiet, OnNegative::Silent);
}

int UdsSecurityAccess()
{
    UdsTransaction tx;
    if (!tx.Acquired())
        return 0;
    return Unlock(0x01, kSecurityLevel1Constants);
}

int UdsSecurityAccessLevel(int level)
{
    if (level != 3)
        return 0;
    UdsTransaction tx;
    if (!tx.Acquired())
        return 0;
    return Unlock(0x09, kSecurityLevel9Constants);
}

int UdsCommunicationControl(uint8_t controlType, uint8_t communicationType)
{
    return Simple({0x28, controlType, communicationType}, kCaptionCommControl);
}

int UdsWriteById(uint16_t did, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> request{0x2E, Hi(did), Lo(did)};
    request.insert(request.end(), data.begin(), data.end());
    return Simple(std::move(request), kCaptionWriteById);
}

int UdsIoControlById3(uint16_t did, uint8_t controlParameter)
{
    return Simple({0x2F, Hi(did), Lo(did), controlParameter}, kCaptionIoControl);
}

int UdsIoControlById3Quiet(uint16_t did, uint8_t controlParameter)
{
    return Simple({0x2F, Hi(did), Lo(did), controlParameter}, kCaptionIoControl, OnNegative::Silent, Wait::Quiet);
}

int UdsIoControlById5(uint16_t did, uint8_t state1, uint8_t state2, uint8_t controlParameter)
{
    return Simple({0x2F, Hi(did), Lo(did), controlParameter, state1, state2}, kCaptionIoControl);
}

int UdsIoControlById6(uint16_t did, uint8_t state1, uint8_t state2, uint8_t state3, uint8_t controlParameter)
{
    return Simple({0x2F, Hi(did), Lo(did), controlParameter, state1, state2, state3}, kCaptionIoControl);
}

int UdsIoControlById6NoCheck(uint16_t did, uint8_t state1, uint8_t state2, uint8_t state3,
                             uint8_t controlParameter)
{
    return Simple({0x2F, Hi(did), Lo(did), controlParameter, state1, state2, state3}, kCaptionIoControl,
                  OnNegative::Silent);
}

int UdsRoutineControl(uint16_t routineId, uint8_t subFunction, std::vector<uint8_t>& out)
{
    return RoutineWithOut({0x31, subFunction, Hi(routineId), Lo(routineId)}, out, OnNegative::Box);
}

int UdsRoutineControl13(uint8_t b1, uint8_t b2, uint8_t b3, const std::vector<uint8_t>& first4,
                        const std::vector<uint8_t>& second4, std::vector<uint8_t>& out)
{
    if (!HasBytes(first4, 4) || !HasBytes(second4, 4))
        return 0;
    std::vector<uint8_t> request{0x31, 0x01, b1, b2, b3};
    request.insert(request.end(), first4.begin(), first4.begin() + 4);
    request.insert(request.end(), second4.begin(), second4.begin() + 4);
    return RoutineWithOut(std::move(request), out, OnNegative::Box);
}

int UdsRoutineControl8(uint8_t b1, uint8_t b2, const std::vector<uint8_t>& bytes4, std::vector<uint8_t>& out)
{
    if (!HasBytes(bytes4, 4))
        return 0;
    std::vector<uint8_t> request{0x31, 0x01, b1, b2};
    request.insert(request.end(), bytes4.begin(), bytes4.begin() + 4);
    return RoutineWithOut(std::move(request), out, OnNegative::Box);
}

int UdsRoutineControl8Var(uint8_t b1, uint8_t b2, uint8_t b3, const std::vector<uint8_t>& bytes4,
                          std::vector<uint8_t>& out)
{
    if (!HasBytes(bytes4, 4))
        return 0;
    std::vector<uint8_t> request{0x31, b1, b2, b3};
    request.insert(request.end(), bytes4.begin(), bytes4.begin() + 4);
    return RoutineWithOut(std::move(request), out, OnNegative::Silent);
}

int UdsRoutineControl4(uint8_t b1, uint8_t b2, uint8_t b3, std::vector<uint8_t>& out)
{
    return RoutineWithOut({0x31, b1, b2, b3}, out, OnNegative::Box);
}

int UdsRoutineControl7(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, uint8_t b5, uint8_t b6)
{
    return Simple({0x31, b1, b2, b3, b4, b5, b6}, kCaptionRoutine);
}

int UdsRoutineControl7Word(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, uint16_t value)
{
    return Simple({0x31, b1, b2, b3, b4, Hi(value), Lo(value)}, kCaptionRoutine, OnNegative::Silent);
}

int UdsRoutineControl5(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4)
{
    return Simple({0x31, b1, b2, b3, b4}, kCaptionRoutine);
}

uint32_t UdsRequestDownload(uint32_t address, uint32_t size, const std::vector<uint8_t>& addressBytes,
                            const std::vector<uint8_t>& sizeBytes)
{
    if (!HasBytes(addressBytes, 4) || !HasBytes(sizeBytes, 4))
        return 0;
    UdsTransaction tx;
    if (!tx.Acquired())
        return 0;
    DownloadRequestAddress.store(address);
    DownloadRequestSize.store(size);
    UdsRequest = {0x34, 0x00, 0x44};
    UdsRequest.insert(UdsRequest.end(), addressBytes.begin(), addressBytes.begin() + 4);
    UdsRequest.insert(UdsRequest.end(), sizeBytes.begin(), sizeBytes.begin() + 4);
    if (!Exchange(0x34, kCaptionDownload))
        return 0;
    if (UdsResponseLength() < 4)
        return 0; // positive but without its block length
    const uint32_t maxBlock = static_cast<uint32_t>(UdsResponse[2]) << 8 | UdsResponse[3];
    DownloadMaxBlockLength.store(maxBlock);
    return maxBlock;
}

int UdsTransferData(int count, uint8_t blockSequenceCounter, const std::vector<uint8_t>& data)
{
    if (count < 0 || static_cast<size_t>(count) > data.size())
        return 0;
    std::vector<uint8_t> request{0x36, blockSequenceCounter};
    request.insert(request.end(), data.begin(), data.begin() + count);
    return Simple(std::move(request), kCaptionTransfer);
}

int UdsRequestTransferExit() { return Simple({0x37}, kCaptionTransferExit); }

int UdsTesterPresent()
{
    UdsTransaction tx;
    if (!tx.Acquired())
        return 0;
    UdsQuiet.store(1);
    UdsRequest = {0x3E, 0x00};
    const int result = Exchange(0x3E, kCaptionTesterPresent);
    UdsQuiet.store(0);
    return result;
}

int UdsControlDtcSetting(uint8_t settingType) { return Simple({0x85, settingType}, kCaptionDtcSetting); }

bool WriteDid0094Byte(uint8_t value)
{
    UdsDiagnosticSessionControl(0x03);
    UdsSecurityAccess();
    return UdsWriteById(0x0094, {value}) == 1;
}

} // namespace tarvel
