#include "SimEcu.h"

#include "IsoTpServer.h"
#include "SecurityAccessKey.h"
#include "SimEcuData.h"

#include "Clock.h"  // tarvel::Scheduler

#include <algorithm>
#include <deque>
#include <mutex>

namespace sim {

namespace {

// Negative response codes we use (ISO 14229-1).
constexpr uint8_t kServiceNotSupported = 0x11;
constexpr uint8_t kSubFunctionNotSupported = 0x12;
constexpr uint8_t kIncorrectLength = 0x13;
constexpr uint8_t kResponseTooLong = 0x14;
constexpr uint8_t kConditionsNotCorrect = 0x22;
constexpr uint8_t kRequestSequenceError = 0x24;
constexpr uint8_t kRequestOutOfRange = 0x31;
constexpr uint8_t kSecurityAccessDenied = 0x33;
constexpr uint8_t kInvalidKey = 0x35;
constexpr uint8_t kExceededAttempts = 0x36;
constexpr uint8_t kDelayNotExpired = 0x37;
constexpr uint8_t kTransferSuspended = 0x71;
constexpr uint8_t kWrongBlockCounter = 0x73;
constexpr uint8_t kResponsePending = 0x78;
constexpr uint8_t kNotInActiveSession = 0x7F;

constexpr uint8_t kDefaultSession = 0x01;
constexpr uint8_t kProgrammingSession = 0x02;
constexpr uint8_t kExtendedSession = 0x03;

constexpr size_t kRequestLogLimit = 4096;

struct DidEntry {
    std::vector<uint8_t> bytes;
    DidReader reader;  // set for DIDs whose value is computed when read
    bool writable = false;
    bool needsUnlock = false;
    bool fixedLength = true;
};

struct FaultRule {
    enum class Kind { NoAnswer, Negative, Pending } kind;
    uint8_t nrc = 0;
    unsigned pendingCount = 0;
    uint32_t intervalMs = 0;
    int times = -1;
    unsigned skip = 0;  // requests answered normally before the rule applies
};

struct Reply {
    std::vector<uint8_t> bytes;
    bool suppressed = false;  // positive answer held back by the suppress bit
    uint32_t busyMs = 0;      // answered "pending" this long first
};

Reply Negative(uint8_t sid, uint8_t nrc) { return {{0x7F, sid, nrc}, false}; }

// Interval of the "pending" answers of a routine that takes long.
constexpr uint32_t kBusyPendingIntervalMs = 2000;

} // namespace

class SimEcu::Impl : public std::enable_shared_from_this<SimEcu::Impl>, public SimEcuContext {
public:
    Impl(tarvel::Scheduler& scheduler, const SimEcuConfig& config)
        : scheduler_(scheduler), config_(config), seedState_(config.seed ? config.seed : 1u)
    {
    }

    // One bus connection with its own transport state.
    struct Link : IsoTpServer::Host {
        Link(Impl& owner, std::shared_ptr<CanNode> n, IsoTpServer::Settings s)
            : impl(owner), node(std::move(n)), server(*this, s)
        {
        }
        void SendFrame(const std::array<uint8_t, 8>& data, uint8_t dlc) override
        {
            CanFrame f;
            f.id = impl.config_.responseId;
            f.extended = true;
            f.dlc = dlc;
            f.data = data;
            impl.outbox_.push_back({node, f});
        }
        uint64_t StartTimer(uint64_t delayUs, std::function<void()> onExpiry) override
        {
            return impl.StartTimerLocked(delayUs, std::move(onExpiry));
        }
        void StopTimer(uint64_t id) override { impl.StopTimerLocked(id); }
        void RequestReceived(std::vector<uint8_t> request) override { impl.HandleRequest(*this, request); }

        Impl& impl;
        std::shared_ptr<CanNode> node;
        IsoTpServer server;
        std::vector<uint64_t> replyTimers;  // delayed answers to the current request
    };

    struct Outgoing {
        std::shared_ptr<CanNode> node;
        CanFrame frame;
    };

    // ---- called through SimEcu, each takes the lock -------------------------

    void Attach(const std::shared_ptr<CanBus>& bus, uint32_t bitrate)
    {
        auto node = bus->Attach(bitrate);
        Link* link = nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            links_.push_back(std::make_unique<Link>(*this, node, TransportSettings()));
            link = links_.back().get();
        }
        std::weak_ptr<Impl> weak = shared_from_this();
        node->SetReceiveHandler([weak, link](const CanFrame& frame) {
            if (auto self = weak.lock())
                self->OnFrame(link, frame);
        });
    }

    void DetachAll()
    {
        std::vector<std::unique_ptr<Link>> links;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            for (auto& l : links_) {
                l->server.Reset();
                for (uint64_t t : l->replyTimers)
                    StopTimerLocked(t);
                l->replyTimers.clear();
            }
            links.swap(links_);
            outbox_.clear();
        }
        for (auto& l : links) {
            l->node->SetReceiveHandler(nullptr);
            l->node->Detach();
        }
        // A frame handler running right now on another thread may still hold
        // a Link pointer; it finds the link gone from links_ and does nothing.
        std::lock_guard<std::mutex> lock(mutex_);
        retired_.insert(retired_.end(), std::make_move_iterator(links.begin()),
                        std::make_move_iterator(links.end()));
    }

    void Shutdown()
    {
        DetachAll();
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& t : timers_)
            scheduler_.Cancel(t.second.schedulerId);
        timers_.clear();
    }

    // ---- timers ----------------------------------------------------------------

    struct TimerEntry {
        uint64_t schedulerId = 0;
        std::function<void()> fn;
    };

    uint64_t StartTimerLocked(uint64_t delayUs, std::function<void()> fn)
    {
        const uint64_t id = nextTimer_++;
        std::weak_ptr<Impl> weak = weak_from_this();
        TimerEntry& entry = timers_[id];
        entry.fn = std::move(fn);
        entry.schedulerId = scheduler_.ScheduleIn(delayUs, [weak, id] {
            if (auto self = weak.lock())
                self->RunTimer(id);
        });
        return id;
    }

    void StopTimerLocked(uint64_t id)
    {
        auto it = timers_.find(id);
        if (it == timers_.end())
            return;
        scheduler_.Cancel(it->second.schedulerId);
        timers_.erase(it);
    }

    void RunTimer(uint64_t id)
    {
        std::vector<Outgoing> out;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto it = timers_.find(id);
            if (it == timers_.end())
                return;  // stopped while it was on its way
            auto fn = std::move(it->second.fn);
            timers_.erase(it);
            fn();
            out.swap(outbox_);
        }
        Flush(out);
    }

    // Sends outside the lock: a receiver may answer at once on this thread and
    // so re-enter us.
    static void Flush(std::vector<Outgoing>& out)
    {
        for (auto& o : out)
            o.node->Send(o.frame);
    }

    // ---- transport -------------------------------------------------------------

    IsoTpServer::Settings TransportSettings() const
    {
        IsoTpServer::Settings s;
        s.blockSize = config_.blockSize;
        s.stMin = config_.stMin;
        s.padFrames = !shortDlc_;
        s.padByte = padByte_;
        return s;
    }

    void ApplyTransportSettingsLocked()
    {
        for (auto& l : links_)
            l->server.SetSettings(TransportSettings());
    }

    void OnFrame(Link* link, const CanFrame& frame)
    {
        if (!frame.extended || frame.remote || frame.id != config_.requestId)
            return;
        std::vector<Outgoing> out;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            bool known = std::any_of(links_.begin(), links_.end(),
                                     [link](const std::unique_ptr<Link>& l) { return l.get() == link; });
            if (!known)
                return;
            link->server.OnFrame(frame.data.data(), frame.dlc);
            out.swap(outbox_);
        }
        Flush(out);
    }

    // ---- request dispatch (lock held) ---------------------------------------------

    void HandleRequest(Link& link, const std::vector<uint8_t>& request)
    {
        ++stats_.requests;
        const uint8_t sid = request[0];
        ++stats_.requestsByService[sid];
        requestLog_.push_back(request);
        if (requestLog_.size() > kRequestLogLimit)
            requestLog_.pop_front();

        // One request at a time: answers still due for an earlier one are dropped.
        for (uint64_t t : link.replyTimers)
            StopTimerLocked(t);
        link.replyTimers.clear();

        RestartS3Locked();

        if (restarting_) {  // the ECU is starting up after a reset
            ++stats_.unanswered;
            return;
        }

        std::optional<FaultRule> fault = TakeFaultLocked(sid);
        if (fault && fault->kind == FaultRule::Kind::NoAnswer) {
            ++stats_.unanswered;
            return;
        }
        Reply reply;
        if (fault && fault->kind == FaultRule::Kind::Negative)
            reply = Negative(sid, fault->nrc);
        else
            reply = Execute(request);
        // Nothing longer than one ISO-TP message can go out: say so rather
        // than leave the tester waiting for an answer that never comes.
        if (reply.bytes.size() > IsoTpServer::kMaxMessage)
            reply = Negative(sid, kResponseTooLong);
        // The session may have changed (or the ECU reset): S3 follows it.
        RestartS3Locked();

        const bool pending = fault && fault->kind == FaultRule::Kind::Pending && fault->pendingCount > 0;
        if (pending) {
            // After a response-pending answer the final answer is always sent,
            // even when the request asked to suppress it.
            const uint64_t interval = uint64_t(fault->intervalMs) * 1000;
            SendReplyLocked(link, {0x7F, sid, kResponsePending});
            for (unsigned k = 1; k < fault->pendingCount; ++k)
                ScheduleReplyLocked(link, interval * k, {0x7F, sid, kResponsePending});
            ScheduleReplyLocked(link, interval * fault->pendingCount, reply.bytes);
            return;
        }
        if (reply.busyMs > 0) {
            SendReplyLocked(link, {0x7F, sid, kResponsePending});
            for (uint32_t t = kBusyPendingIntervalMs; t < reply.busyMs; t += kBusyPendingIntervalMs)
                ScheduleReplyLocked(link, uint64_t(t) * 1000, {0x7F, sid, kResponsePending});
            ScheduleReplyLocked(link, uint64_t(reply.busyMs) * 1000, reply.bytes);
            return;
        }
        if (reply.suppressed) {
            ++stats_.unanswered;
            return;
        }
        SendReplyLocked(link, reply.bytes);
        if (duplicateProgrammingAnswer_ && reply.bytes.size() >= 2 && reply.bytes[0] == 0x50 &&
            reply.bytes[1] == kProgrammingSession)
            SendReplyLocked(link, reply.bytes);
    }

    void SendReplyLocked(Link& link, const std::vector<uint8_t>& bytes)
    {
        if (bytes.size() >= 3 && bytes[0] == 0x7F)
            ++(bytes[2] == kResponsePending ? stats_.pendingResponses : stats_.negativeResponses);
        else
            ++stats_.positiveResponses;
        link.server.Send(bytes);
        // S3 runs from the end of each answer, so a long run of pending
        // answers does not end the session under the tester.
        RestartS3Locked();
    }

    void ScheduleReplyLocked(Link& link, uint64_t delayUs, std::vector<uint8_t> bytes)
    {
        Link* target = &link;
        link.replyTimers.push_back(
            StartTimerLocked(delayUs, [this, target, bytes] { SendReplyLocked(*target, bytes); }));
    }

    std::optional<FaultRule> TakeFaultLocked(uint8_t sid)
    {
        for (uint8_t key : {sid, uint8_t(0)}) {
            auto it = faults_.find(key);
            if (it == faults_.end())
                continue;
            if (it->second.skip > 0) {
                --it->second.skip;
                return std::nullopt;
            }
            FaultRule rule = it->second;
            if (it->second.times > 0 && --it->second.times == 0)
                faults_.erase(it);
            return rule;
        }
        return std::nullopt;
    }

    Reply Execute(const std::vector<uint8_t>& r)
    {
        switch (r[0]) {
        case 0x10: return SessionControl(r);
        case 0x11: return EcuReset(r);
        case 0x14: return ClearDtc(r);
        case 0x19: return ReadDtc(r);
        case 0x22: return ReadDid(r);
        case 0x27: return SecurityAccess(r);
        case 0x28: return CommunicationControl(r);
        case 0x2E: return WriteDid(r);
        case 0x2F: return IoControl(r);
        case 0x31: return RoutineControl(r);
        case 0x34: return RequestDownload(r);
        case 0x36: return TransferData(r);
        case 0x37: return TransferExit(r);
        case 0x3E: return TesterPresent(r);
        case 0x85: return ControlDtcSetting(r);
        default: return Negative(r[0], kServiceNotSupported);
        }
    }

    static Reply Positive(std::vector<uint8_t> bytes, bool suppress = false) { return {std::move(bytes), suppress}; }

    // ---- session and security ------------------------------------------------------

    void EnterSessionLocked(uint8_t session)
    {
        // Every session transition locks the ECU again and ends a download.
        const bool backToDefault = session == kDefaultSession && session_ != kDefaultSession;
        session_ = session;
        unlocked1_ = unlocked9_ = false;
        pendingSeed_.reset();
        download_.active = false;
        // ISO 14229-1: leaving a non-default session for the default one
        // returns every input and output the tester controlled to the ECU.
        if (backToDefault)
            NotifyLocked(SimEcuEvent::DefaultSession);
    }

    void RestartS3Locked()
    {
        if (s3Timer_ != 0) {
            StopTimerLocked(s3Timer_);
            s3Timer_ = 0;
        }
        if (session_ == kDefaultSession || config_.s3TimeoutMs == 0)
            return;
        s3Timer_ = StartTimerLocked(uint64_t(config_.s3TimeoutMs) * 1000, [this] {
            s3Timer_ = 0;
            ++stats_.s3Timeouts;
            EnterSessionLocked(kDefaultSession);
        });
    }

    Reply SessionControl(const std::vector<uint8_t>& r)
    {
        if (r.size() != 2)
            return Negative(r[0], kIncorrectLength);
        const uint8_t session = r[1] & 0x7F;
        if (session != kDefaultSession && session != kProgrammingSession && session != kExtendedSession)
            return Negative(r[0], kSubFunctionNotSupported);
        EnterSessionLocked(session);
        // P2server 50 ms, P2*server 5000 ms (in 10 ms units).
        return Positive({0x50, session, 0x00, 0x32, 0x01, 0xF4}, (r[1] & 0x80) != 0);
    }

    Reply EcuReset(const std::vector<uint8_t>& r)
    {
        if (r.size() != 2)
            return Negative(r[0], kIncorrectLength);
        const uint8_t type = r[1] & 0x7F;
        if (type < 0x01 || type > 0x03)
            return Negative(r[0], kSubFunctionNotSupported);
        ++stats_.resets;
        EnterSessionLocked(kDefaultSession);
        communicationControl_ = 0;
        dtcSettingOff_ = false;
        if (restartMs_ > 0) {
            restarting_ = true;
            StartTimerLocked(uint64_t(restartMs_) * 1000, [this] { restarting_ = false; });
        }
        NotifyLocked(SimEcuEvent::Reset);
        return Positive({0x51, type}, (r[1] & 0x80) != 0);
    }

    uint32_t NextSeed()
    {
        // xorshift32: cheap, deterministic from the configured start, never 0.
        uint32_t x = seedState_;
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        seedState_ = x;
        return x;
    }

    Reply SecurityAccess(const std::vector<uint8_t>& r)
    {
        if (r.size() < 2)
            return Negative(r[0], kIncorrectLength);
        const uint8_t sub = r[1] & 0x7F;
        if (sub != 0x01 && sub != 0x02 && sub != 0x09 && sub != 0x0A)
            return Negative(r[0], kSubFunctionNotSupported);
        if (session_ == kDefaultSession)
            return Negative(r[0], kNotInActiveSession);

        if (sub & 0x01) {  // requestSeed
            if (r.size() != 2)
                return Negative(r[0], kIncorrectLength);
            if (lockedOut_)
                return Negative(r[0], kDelayNotExpired);
            const uint32_t s = NextSeed();
            std::array<uint8_t, 4> seed{uint8_t(s >> 24), uint8_t(s >> 16), uint8_t(s >> 8), uint8_t(s)};
            // An unlocked level may be unlocked again: the tester runs the
            // whole unlock before every protected step.
            pendingSeed_ = PendingSeed{sub, seed};
            return Positive({0x67, sub, seed[0], seed[1], seed[2], seed[3]});
        }
        // sendKey
        if (r.size() != 6)
            return Negative(r[0], kIncorrectLength);
        if (!pendingSeed_ || pendingSeed_->level != sub - 1)
            return Negative(r[0], kRequestSequenceError);
        const auto constants = sub == 0x02 ? tarvel::kSecurityLevel1Constants : tarvel::kSecurityLevel9Constants;
        const auto expected = tarvel::UdsKeyToBytes(tarvel::ComputeSecurityKey(pendingSeed_->seed, constants));
        pendingSeed_.reset();  // a seed serves one key attempt
        if (!std::equal(expected.begin(), expected.end(), r.begin() + 2)) {
            ++failedAttempts_;
            if (config_.securityAttemptLimit != 0 && failedAttempts_ >= config_.securityAttemptLimit) {
                failedAttempts_ = 0;
                lockedOut_ = true;
                StartTimerLocked(uint64_t(config_.securityDelayMs) * 1000, [this] { lockedOut_ = false; });
                return Negative(r[0], kExceededAttempts);
            }
            return Negative(r[0], kInvalidKey);
        }
        failedAttempts_ = 0;
        (sub == 0x02 ? unlocked1_ : unlocked9_) = true;
        return Positive({0x67, sub});
    }

    Reply CommunicationControl(const std::vector<uint8_t>& r)
    {
        if (r.size() != 3)
            return Negative(r[0], kIncorrectLength);
        const uint8_t control = r[1] & 0x7F;
        if (control > 0x03)
            return Negative(r[0], kSubFunctionNotSupported);
        if (session_ == kDefaultSession)
            return Negative(r[0], kNotInActiveSession);
        communicationControl_ = control;
        return Positive({0x68, control}, (r[1] & 0x80) != 0);
    }

    Reply TesterPresent(const std::vector<uint8_t>& r)
    {
        if (r.size() != 2)
            return Negative(r[0], kIncorrectLength);
        if ((r[1] & 0x7F) != 0x00)
            return Negative(r[0], kSubFunctionNotSupported);
        return Positive({0x7E, 0x00}, (r[1] & 0x80) != 0);
    }

    Reply ControlDtcSetting(const std::vector<uint8_t>& r)
    {
        if (r.size() < 2)
            return Negative(r[0], kIncorrectLength);
        const uint8_t type = r[1] & 0x7F;
        if (type != 0x01 && type != 0x02)
            return Negative(r[0], kSubFunctionNotSupported);
        if (session_ == kDefaultSession)
            return Negative(r[0], kNotInActiveSession);
        dtcSettingOff_ = type == 0x02;
        return Positive({0xC5, type}, (r[1] & 0x80) != 0);
    }

    // ---- fault memory ---------------------------------------------------------------

    Reply ClearDtc(const std::vector<uint8_t>& r)
    {
        if (r.size() != 4)
            return Negative(r[0], kIncorrectLength);
        const uint32_t group = (uint32_t(r[1]) << 16) | (uint32_t(r[2]) << 8) | r[3];
        if (group == 0xFFFFFF) {
            dtcs_.clear();
        } else {
            auto it = std::find_if(dtcs_.begin(), dtcs_.end(), [group](const SimDtc& d) { return d.code == group; });
            if (it == dtcs_.end())
                return Negative(r[0], kRequestOutOfRange);
            dtcs_.erase(it);
        }
        NotifyLocked(SimEcuEvent::DtcsCleared);
        return Positive({0x54});
    }

    Reply ReadDtc(const std::vector<uint8_t>& r)
    {
        if (r.size() < 2)
            return Negative(r[0], kIncorrectLength);
        const uint8_t sub = r[1] & 0x7F;
        const uint8_t avail = config_.dtcAvailabilityMask;
        switch (sub) {
        case 0x01:
        case 0x02: {
            if (r.size() != 3)
                return Negative(r[0], kIncorrectLength);
            const uint8_t mask = r[2] & avail;
            std::vector<uint8_t> out{0x59, sub, avail};
            unsigned count = 0;
            for (const SimDtc& d : dtcs_) {
                if ((d.status & mask) == 0)
                    continue;
                ++count;
                if (sub == 0x02)
                    out.insert(out.end(), {uint8_t(d.code >> 16), uint8_t(d.code >> 8), uint8_t(d.code),
                                           uint8_t(d.status & avail)});
            }
            if (sub == 0x01)
                out.insert(out.end(), {0x01 /* ISO 14229-1 format */, uint8_t(count >> 8), uint8_t(count)});
            return Positive(std::move(out), (r[1] & 0x80) != 0);
        }
        case 0x0A: {
            if (r.size() != 2)
                return Negative(r[0], kIncorrectLength);
            std::vector<uint8_t> out{0x59, sub, avail};
            for (const SimDtc& d : dtcs_)
                out.insert(out.end(),
                           {uint8_t(d.code >> 16), uint8_t(d.code >> 8), uint8_t(d.code), uint8_t(d.status & avail)});
            return Positive(std::move(out), (r[1] & 0x80) != 0);
        }
        default:
            return Negative(r[0], kSubFunctionNotSupported);
        }
    }

    // ---- data identifiers -------------------------------------------------------------

    std::vector<uint8_t> DidValueLocked(const DidEntry& e) const { return e.reader ? e.reader(*this) : e.bytes; }

    Reply ReadDid(const std::vector<uint8_t>& r)
    {
        if (r.size() < 3 || (r.size() - 1) % 2 != 0)
            return Negative(r[0], kIncorrectLength);
        std::vector<uint8_t> out{0x62};
        for (size_t i = 1; i + 1 < r.size(); i += 2) {
            const uint16_t did = uint16_t((r[i] << 8) | r[i + 1]);
            auto it = dids_.find(did);
            if (it == dids_.end())
                return Negative(r[0], kRequestOutOfRange);
            std::vector<uint8_t> value = DidValueLocked(it->second);
            out.push_back(r[i]);
            out.push_back(r[i + 1]);
            out.insert(out.end(), value.begin(), value.end());
        }
        return Positive(std::move(out));
    }

    Reply WriteDid(const std::vector<uint8_t>& r)
    {
        if (r.size() < 4)
            return Negative(r[0], kIncorrectLength);
        const uint16_t did = uint16_t((r[1] << 8) | r[2]);
        auto it = dids_.find(did);
        if (it == dids_.end() || !it->second.writable || it->second.reader)
            return Negative(r[0], kRequestOutOfRange);
        if (it->second.needsUnlock && !unlocked1_ && !unlocked9_)
            return Negative(r[0], kSecurityAccessDenied);
        std::vector<uint8_t> data(r.begin() + 3, r.end());
        if (it->second.fixedLength && data.size() != it->second.bytes.size())
            return Negative(r[0], kIncorrectLength);
        auto check = writeChecks_.find(did);
        if (check != writeChecks_.end()) {
            if (uint8_t nrc = check->second(data, *this))
                return Negative(r[0], nrc);
        }
        it->second.bytes = data;
        written_[did] = std::move(data);
        return Positive({0x6E, r[1], r[2]});
    }

    Reply IoControl(const std::vector<uint8_t>& r)
    {
        if (r.size() < 4)
            return Negative(r[0], kIncorrectLength);
        const uint16_t did = uint16_t((r[1] << 8) | r[2]);
        auto it = ioControls_.find(did);
        if (it == ioControls_.end())
            return Negative(r[0], kRequestOutOfRange);
        SimEcuAnswer a = it->second(r[3], std::vector<uint8_t>(r.begin() + 4, r.end()), *this);
        if (a.nrc != 0)
            return Negative(r[0], a.nrc);
        std::vector<uint8_t> out{0x6F, r[1], r[2], r[3]};
        out.insert(out.end(), a.data.begin(), a.data.end());
        return Positive(std::move(out));
    }

    Reply RoutineControl(const std::vector<uint8_t>& r)
    {
        if (r.size() < 4)
            return Negative(r[0], kIncorrectLength);
        const uint8_t sub = r[1] & 0x7F;
        if (sub < 0x01 || sub > 0x03)
            return Negative(r[0], kSubFunctionNotSupported);
        const uint16_t rid = uint16_t((r[2] << 8) | r[3]);
        auto it = routines_.find(rid);
        if (it == routines_.end())
            return Negative(r[0], kRequestOutOfRange);
        SimEcuAnswer a = it->second(sub, std::vector<uint8_t>(r.begin() + 4, r.end()), *this);
        if (a.nrc != 0)
            return Negative(r[0], a.nrc);
        std::vector<uint8_t> out{0x71, sub, r[2], r[3]};
        out.insert(out.end(), a.data.begin(), a.data.end());
        Reply reply = Positive(std::move(out), (r[1] & 0x80) != 0);
        reply.busyMs = a.busyMs;
        return reply;
    }

    // ---- programming ----------------------------------------------------------------

    Reply RequestDownload(const std::vector<uint8_t>& r)
    {
        if (session_ != kProgrammingSession)
            return Negative(r[0], kNotInActiveSession);
        if (!unlocked9_)
            return Negative(r[0], kSecurityAccessDenied);
        if (r.size() < 3)
            return Negative(r[0], kIncorrectLength);
        const unsigned addressLen = r[2] & 0x0F;
        const unsigned sizeLen = r[2] >> 4;
        if (addressLen < 1 || addressLen > 4 || sizeLen < 1 || sizeLen > 4)
            return Negative(r[0], kRequestOutOfRange);
        if (r.size() != 3 + addressLen + sizeLen)
            return Negative(r[0], kIncorrectLength);
        if (r[1] != 0x00)  // neither compression nor encryption is supported
            return Negative(r[0], kRequestOutOfRange);
        if (download_.active)
            return Negative(r[0], kConditionsNotCorrect);
        uint32_t address = 0, size = 0;
        for (unsigned i = 0; i < addressLen; ++i)
            address = (address << 8) | r[3 + i];
        for (unsigned i = 0; i < sizeLen; ++i)
            size = (size << 8) | r[3 + addressLen + i];
        if (size == 0 || size > config_.maxImageSize)
            return Negative(r[0], kRequestOutOfRange);

        download_ = Download{};
        download_.active = true;
        download_.address = address;
        download_.expected = size;
        image_.clear();
        image_.reserve(std::min<size_t>(size, 1u << 20));
        imageAddress_ = address;
        imageComplete_ = false;
        const uint16_t max = config_.maxBlockLength;
        return Positive({0x74, 0x20, uint8_t(max >> 8), uint8_t(max)});
    }

    Reply TransferData(const std::vector<uint8_t>& r)
    {
        if (session_ != kProgrammingSession)
            return Negative(r[0], kNotInActiveSession);
        if (!unlocked9_)
            return Negative(r[0], kSecurityAccessDenied);
        if (!download_.active)  // also after any session change or relock
            return Negative(r[0], kRequestSequenceError);
        if (r.size() < 2 || r.size() > config_.maxBlockLength)
            return Negative(r[0], kIncorrectLength);
        const uint8_t counter = r[1];
        if (download_.blocks > 0 && counter == download_.lastCounter) {
            // A repeated block (the tester missed our answer): answer again,
            // do not store it twice.
            return Positive({0x76, counter});
        }
        if (counter != uint8_t(download_.lastCounter + 1))
            return Negative(r[0], kWrongBlockCounter);
        const size_t n = r.size() - 2;
        if (image_.size() + n > download_.expected)
            return Negative(r[0], kTransferSuspended);
        image_.insert(image_.end(), r.begin() + 2, r.end());
        download_.lastCounter = counter;
        ++download_.blocks;
        return Positive({0x76, counter});
    }

    Reply TransferExit(const std::vector<uint8_t>& r)
    {
        if (session_ != kProgrammingSession)
            return Negative(r[0], kNotInActiveSession);
        if (!download_.active || image_.size() != download_.expected)
            return Negative(r[0], kRequestSequenceError);
        download_.active = false;
        imageComplete_ = true;
        return Positive({0x77});
    }

    // ---- SimEcuContext (lock held by the caller) ----------------------------------------

    uint8_t Session() const override { return session_; }
    bool Unlocked(uint8_t level) const override
    {
        return level == 0x01 ? unlocked1_ : level == 0x09 ? unlocked9_ : false;
    }
    const std::vector<uint8_t>& Image() const override { return image_; }
    std::optional<std::vector<uint8_t>> Did(uint16_t did) const override
    {
        auto it = dids_.find(did);
        if (it == dids_.end())
            return std::nullopt;
        return DidValueLocked(it->second);
    }
    bool SetDid(uint16_t did, std::vector<uint8_t> bytes) override
    {
        auto it = dids_.find(did);
        if (it == dids_.end() || it->second.reader)
            return false;
        it->second.bytes = std::move(bytes);
        return true;
    }
    void AddDtc(uint32_t code, uint8_t status) override
    {
        code &= 0xFFFFFF;
        for (SimDtc& d : dtcs_) {
            if (d.code == code) {
                d.status = status;
                return;
            }
        }
        dtcs_.push_back({code, status});
    }
    const std::vector<SimDtc>& Dtcs() const override { return dtcs_; }
    void NotifyLocked(SimEcuEvent event)
    {
        for (auto& listener : listeners_)
            listener(event, *this);
    }
    void ClearImage() override
    {
        image_.clear();
        imageComplete_ = false;
    }

    // ---- state (guarded by mutex_) --------------------------------------------------------

    struct PendingSeed {
        uint8_t level;
        std::array<uint8_t, 4> seed;
    };
    struct Download {
        bool active = false;
        uint32_t address = 0;
        uint32_t expected = 0;
        uint8_t lastCounter = 0;
        uint64_t blocks = 0;
    };

    mutable std::mutex mutex_;
    tarvel::Scheduler& scheduler_;
    SimEcuConfig config_;
    std::vector<std::unique_ptr<Link>> links_;
    std::vector<std::unique_ptr<Link>> retired_;
    std::vector<Outgoing> outbox_;
    std::map<uint64_t, TimerEntry> timers_;
    uint64_t nextTimer_ = 1;

    uint8_t session_ = kDefaultSession;
    uint64_t s3Timer_ = 0;
    bool unlocked1_ = false;
    bool unlocked9_ = false;
    std::optional<PendingSeed> pendingSeed_;
    uint32_t seedState_;
    unsigned failedAttempts_ = 0;
    bool lockedOut_ = false;
    uint8_t communicationControl_ = 0;
    bool dtcSettingOff_ = false;

    std::map<uint16_t, DidEntry> dids_;
    std::map<uint16_t, DidWriteCheck> writeChecks_;
    std::map<uint16_t, std::vector<uint8_t>> written_;
    std::map<uint16_t, RoutineHandler> routines_;
    std::map<uint16_t, IoControlHandler> ioControls_;
    std::vector<SimEcuEventListener> listeners_;
    uint32_t restartMs_ = 0;
    bool restarting_ = false;
    std::vector<SimDtc> dtcs_;

    Download download_;
    std::vector<uint8_t> image_;
    uint32_t imageAddress_ = 0;
    bool imageComplete_ = false;

    std::map<uint8_t, FaultRule> faults_;
    bool shortDlc_ = false;
    uint8_t padByte_ = 0x00;
    bool duplicateProgrammingAnswer_ = false;

    SimEcuStats stats_;
    std::deque<std::vector<uint8_t>> requestLog_;
};

// ---- SimEcu --------------------------------------------------------------------------

SimEcu::SimEcu(tarvel::Scheduler& scheduler, SimEcuConfig config)
    : impl_(std::make_shared<Impl>(scheduler, config))
{
    if (config.loadTrailerData)
        ecudata::InstallTrailerEbs(*this);
}

SimEcu::~SimEcu() { impl_->Shutdown(); }

void SimEcu::AttachTo(const std::shared_ptr<CanBus>& bus) { impl_->Attach(bus, bus->Bitrate()); }
void SimEcu::AttachTo(const std::shared_ptr<CanBus>& bus, uint32_t bitsPerSecond) { impl_->Attach(bus, bitsPerSecond); }
void SimEcu::DetachAll() { impl_->DetachAll(); }

void SimEcu::SetFlowControl(uint8_t blockSize, uint8_t stMin)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->config_.blockSize = blockSize;
    impl_->config_.stMin = stMin;
    impl_->ApplyTransportSettingsLocked();
}

void SimEcu::RegisterDid(uint16_t did, std::vector<uint8_t> bytes, bool writable, bool needsUnlock, bool fixedLength)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    DidEntry e;
    e.bytes = std::move(bytes);
    e.writable = writable;
    e.needsUnlock = needsUnlock;
    e.fixedLength = fixedLength;
    impl_->dids_[did] = std::move(e);
}

void SimEcu::SetDidWriteCheck(uint16_t did, DidWriteCheck check)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->writeChecks_[did] = std::move(check);
}

void SimEcu::RegisterDynamicDid(uint16_t did, DidReader reader)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    DidEntry e;
    e.reader = std::move(reader);
    impl_->dids_[did] = std::move(e);
}

void SimEcu::RemoveDid(uint16_t did)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->dids_.erase(did);
}

std::optional<std::vector<uint8_t>> SimEcu::Did(uint16_t did) const
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->Did(did);
}

std::map<uint16_t, std::vector<uint8_t>> SimEcu::WrittenDids() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->written_;
}

void SimEcu::RegisterRoutine(uint16_t routineId, RoutineHandler handler)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->routines_[routineId] = std::move(handler);
}

void SimEcu::RegisterIoControl(uint16_t did, IoControlHandler handler)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->ioControls_[did] = std::move(handler);
}

void SimEcu::AddEventListener(SimEcuEventListener listener)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->listeners_.push_back(std::move(listener));
}

void SimEcu::SetRestartTime(uint32_t ms)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->restartMs_ = ms;
}

uint32_t SimEcu::RestartTime() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->restartMs_;
}

void SimEcu::AddDtc(uint32_t code, uint8_t status)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->AddDtc(code, status);
}

void SimEcu::ClearDtcs()
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->dtcs_.clear();
}

std::vector<SimDtc> SimEcu::Dtcs() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->dtcs_;
}

void SimEcu::SetMaxBlockLength(uint16_t length)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->config_.maxBlockLength = length;
}

std::vector<uint8_t> SimEcu::DownloadedImage() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->image_;
}

uint32_t SimEcu::DownloadAddress() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->imageAddress_;
}

bool SimEcu::DownloadComplete() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->imageComplete_;
}

uint8_t SimEcu::Session() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->session_;
}

bool SimEcu::Unlocked(uint8_t level) const
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->Unlocked(level);
}

void SimEcu::SetSeedGenerator(uint32_t seed)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->seedState_ = seed ? seed : 1u;
}

void SimEcu::SetNoAnswer(uint8_t sid, int times)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    FaultRule rule{FaultRule::Kind::NoAnswer};
    rule.times = times;
    impl_->faults_[sid] = rule;
}

void SimEcu::SetNegativeResponse(uint8_t sid, uint8_t nrc, int times, unsigned skip)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    FaultRule rule{FaultRule::Kind::Negative};
    rule.nrc = nrc;
    rule.times = times;
    rule.skip = skip;
    impl_->faults_[sid] = rule;
}

void SimEcu::SetResponsePending(uint8_t sid, unsigned count, uint32_t intervalMs, int times)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    FaultRule rule{FaultRule::Kind::Pending};
    rule.pendingCount = count;
    rule.intervalMs = intervalMs;
    rule.times = times;
    impl_->faults_[sid] = rule;
}

void SimEcu::SetShortDlc(bool on)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->shortDlc_ = on;
    impl_->ApplyTransportSettingsLocked();
}

void SimEcu::SetPadByte(uint8_t pad)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->padByte_ = pad;
    impl_->ApplyTransportSettingsLocked();
}

void SimEcu::SetDuplicateProgrammingSessionAnswer(bool on)
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->duplicateProgrammingAnswer_ = on;
}

void SimEcu::ClearFaults()
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    impl_->faults_.clear();
    impl_->shortDlc_ = false;
    impl_->duplicateProgrammingAnswer_ = false;
    impl_->ApplyTransportSettingsLocked();
}

SimEcuStats SimEcu::Stats() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    SimEcuStats s = impl_->stats_;
    for (const auto& l : impl_->links_) {
        const auto& c = l->server.GetCounters();
        s.framesIn += c.framesIn;
        s.framesOut += c.framesOut;
        s.sequenceErrors += c.sequenceErrors;
        s.ignoredFrames += c.ignoredFrames;
    }
    return s;
}

std::vector<std::vector<uint8_t>> SimEcu::Requests() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return {impl_->requestLog_.begin(), impl_->requestLog_.end()};
}

} // namespace sim
