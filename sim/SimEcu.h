// The simulated trailer brake ECU: a UDS server on ISO-TP with 29-bit normal
// fixed addressing (requests on 0x18DA0BF9, responses on 0x18DAF90B) that
// attaches to one or more virtual CAN buses. It answers in the bus receive
// handler and uses a Scheduler for everything delayed (consecutive frames,
// response-pending answers, the S3 session time-out): a VirtualClock in
// tests, a RealTimeScheduler when the program runs without hardware.
//
// Services: DiagnosticSessionControl (01 default, 02 programming, 03
// extended, S3 5 s), ECUReset, ClearDiagnosticInformation, ReadDTCInformation
// (01, 02, 0A), ReadDataByIdentifier, SecurityAccess (01/02 and 09/0A),
// CommunicationControl, WriteDataByIdentifier, InputOutputControlByIdentifier
// and RoutineControl (handlers registered by callers), RequestDownload,
// TransferData, RequestTransferExit, TesterPresent and ControlDTCSetting.
//
// Thread safety: every public method may be called from any thread. Handlers
// (routines, IO controls, dynamic DIDs) run under the ECU's state lock: they
// must use the SimEcuContext they are given and never call back into SimEcu.
#pragma once

#include "CanIdentifiers.h"
#include "VirtualCanBus.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace tarvel {
class Scheduler;
}

namespace sim {

struct SimEcuConfig {
    uint32_t requestId = tarvel::kUdsRequestCanId; // physical requests from tester 0xF9 to ECU 0x0B
    uint32_t responseId = tarvel::kUdsResponseCanId;
    uint8_t blockSize = 0;             // our flow control towards the tester
    uint8_t stMin = 0;
    uint32_t s3TimeoutMs = 5000;       // non-default session falls back after this much silence
    uint16_t maxBlockLength = 0x0402;  // RequestDownload's maxNumberOfBlockLength (incl. 36 and counter)
    size_t maxImageSize = 16u << 20;
    uint32_t seed = 0x2F6A91C3u;       // start of the seed generator (deterministic)
    unsigned securityAttemptLimit = 0; // wrong keys before 7F 27 36 and the lock-out; 0 = unlimited
    uint32_t securityDelayMs = 10000;  // lock-out after the limit (7F 27 37 meanwhile)
    uint8_t dtcAvailabilityMask = 0xFF;
    bool loadTrailerData = true;       // fill in the built-in trailer EBS identity and data
};

struct SimDtc {
    uint32_t code = 0;   // 24-bit DTC
    uint8_t status = 0;  // ISO 14229 status byte
};

// Answer of a registered handler: a positive answer carries the bytes that
// follow the echoed identifier (routine status record, IO control status).
struct SimEcuAnswer {
    uint8_t nrc = 0;  // 0 = positive
    std::vector<uint8_t> data;
    // The routine takes this long: until then the ECU answers 7F sid 78
    // (every 2000 ms), then the answer above.
    uint32_t busyMs = 0;

    static SimEcuAnswer Positive(std::vector<uint8_t> bytes = {}) { return {0, std::move(bytes)}; }
    static SimEcuAnswer Negative(uint8_t code) { return {code, {}}; }
};

// What a handler may see and change while it runs (under the ECU's lock).
class SimEcuContext {
public:
    virtual ~SimEcuContext() = default;
    virtual uint8_t Session() const = 0;
    virtual bool Unlocked(uint8_t level) const = 0;  // level 0x01 or 0x09
    virtual const std::vector<uint8_t>& Image() const = 0;  // downloaded image
    virtual std::optional<std::vector<uint8_t>> Did(uint16_t did) const = 0;
    virtual bool SetDid(uint16_t did, std::vector<uint8_t> bytes) = 0;  // false: no such DID
    virtual void AddDtc(uint32_t code, uint8_t status) = 0;
    virtual const std::vector<SimDtc>& Dtcs() const = 0;
    virtual void ClearImage() = 0;
};

// What happened inside the ECU, for a model attached to it (see AddEventListener).
enum class SimEcuEvent {
    Reset,           // ECUReset accepted: IO controls end, the ECU restarts
    DtcsCleared,     // ClearDiagnosticInformation accepted
    DefaultSession,  // back in the default session from another (10 01 or the S3 time-out): IO controls end
};
using SimEcuEventListener = std::function<void(SimEcuEvent event, SimEcuContext& ecu)>;
// Extra condition on a WriteDataByIdentifier that passed the ECU's own checks:
// 0 accepts the data, anything else is the negative response code.
using DidWriteCheck = std::function<uint8_t(const std::vector<uint8_t>& data, SimEcuContext& ecu)>;

using RoutineHandler = std::function<SimEcuAnswer(uint8_t subFunction, const std::vector<uint8_t>& option,
                                                  SimEcuContext& ecu)>;
using IoControlHandler = std::function<SimEcuAnswer(uint8_t controlParameter, const std::vector<uint8_t>& state,
                                                    SimEcuContext& ecu)>;
using DidReader = std::function<std::vector<uint8_t>(const SimEcuContext& ecu)>;

struct SimEcuStats {
    uint64_t requests = 0;
    uint64_t positiveResponses = 0;
    uint64_t negativeResponses = 0;  // not counting response-pending
    uint64_t pendingResponses = 0;
    uint64_t unanswered = 0;         // dropped by fault injection or suppressed
    uint64_t framesIn = 0;
    uint64_t framesOut = 0;
    uint64_t sequenceErrors = 0;
    uint64_t ignoredFrames = 0;
    uint64_t s3Timeouts = 0;
    uint64_t resets = 0;
    std::map<uint8_t, uint64_t> requestsByService;
};

class SimEcu {
public:
    explicit SimEcu(tarvel::Scheduler& scheduler, SimEcuConfig config = {});
    ~SimEcu();  // detaches from every bus and cancels what is scheduled
    SimEcu(const SimEcu&) = delete;
    SimEcu& operator=(const SimEcu&) = delete;

    // Listens and answers on this bus, at the bus's bit rate unless given.
    void AttachTo(const std::shared_ptr<CanBus>& bus);
    void AttachTo(const std::shared_ptr<CanBus>& bus, uint32_t bitsPerSecond);
    void DetachAll();

    // ISO-TP flow control we send (block size, STmin).
    void SetFlowControl(uint8_t blockSize, uint8_t stMin);

    // Data identifiers. A fixed-length DID accepts writes of its own length only.
    void RegisterDid(uint16_t did, std::vector<uint8_t> bytes, bool writable = false, bool needsUnlock = false,
                     bool fixedLength = true);
    void RegisterDynamicDid(uint16_t did, DidReader reader);
    void SetDidWriteCheck(uint16_t did, DidWriteCheck check);
    void RemoveDid(uint16_t did);
    std::optional<std::vector<uint8_t>> Did(uint16_t did) const;
    // Every DID written through WriteDataByIdentifier, with its last value.
    std::map<uint16_t, std::vector<uint8_t>> WrittenDids() const;

    void RegisterRoutine(uint16_t routineId, RoutineHandler handler);
    void RegisterIoControl(uint16_t did, IoControlHandler handler);
    // Listeners run under the ECU's state lock, like handlers.
    void AddEventListener(SimEcuEventListener listener);
    // After a positive ECUReset answer the ECU restarts and answers nothing
    // for this long (0: it answers at once).
    void SetRestartTime(uint32_t ms);
    uint32_t RestartTime() const;

    // Fault memory. Adding a code that is present replaces its status.
    void AddDtc(uint32_t code, uint8_t status);
    void ClearDtcs();
    std::vector<SimDtc> Dtcs() const;

    // Programming.
    // RequestDownload's maxNumberOfBlockLength from the next download on.
    void SetMaxBlockLength(uint16_t length);
    std::vector<uint8_t> DownloadedImage() const;
    uint32_t DownloadAddress() const;
    bool DownloadComplete() const;  // RequestTransferExit accepted for the last download

    uint8_t Session() const;
    bool Unlocked(uint8_t level) const;
    void SetSeedGenerator(uint32_t seed);

    // Fault injection. sid 0 matches every service. times < 0: until cleared.
    void SetNoAnswer(uint8_t sid, int times = -1);
    // `skip`: so many requests of the service are answered normally first.
    void SetNegativeResponse(uint8_t sid, uint8_t nrc, int times = -1, unsigned skip = 0);
    // `count` answers 7F sid 78, `intervalMs` apart, before the real answer
    // (which follows the last of them after another interval).
    void SetResponsePending(uint8_t sid, unsigned count, uint32_t intervalMs = 1000, int times = -1);
    // Frames carry only their used bytes instead of 8 padded ones.
    void SetShortDlc(bool on);
    // The byte that fills the unused bytes of a padded frame (0x00 at start;
    // ECUs pad with 0x55, 0xAA or 0xCC as well).
    void SetPadByte(uint8_t pad);
    // DiagnosticSessionControl 10 02 is answered twice.
    void SetDuplicateProgrammingSessionAnswer(bool on);
    void ClearFaults();

    SimEcuStats Stats() const;
    // The requests received, oldest first (the last 4096).
    std::vector<std::vector<uint8_t>> Requests() const;

    class Impl;

private:
    std::shared_ptr<Impl> impl_;
};

// The ECU of the running program: attached to CurrentWorld().Bus(0) and
// Bus(1), each at that bus's bit rate, with the trailer and the person at it
// behind it (SimBuiltInWorld.h says what it runs on). Started once (later
// calls return the same ECU); it lives until StopBuiltInEcu or the end of the
// program.
SimEcu& StartBuiltInEcu();
// Null while the built-in ECU is not running.
SimEcu* BuiltInEcu();
void StopBuiltInEcu();

} // namespace sim
