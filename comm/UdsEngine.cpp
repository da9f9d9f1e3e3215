#include "UdsEngine.h"

#include "Clock.h"
#include "DelayPumping.h"
#include "Prompter.h"
#include "Pump.h"
#include "UdsServices.h"

#include <algorithm>
#include <mutex>
#include <thread>

namespace tarvel {

std::vector<uint8_t> UdsRequest;
std::vector<uint8_t> UdsResponse;
// Set here and not only by InitUdsLink: a wait before start-up finished must
// not end after a millisecond.
std::atomic<uint32_t> UdsResponseTimeoutMs{kUdsResponseTimeoutMs};
std::atomic<uint32_t> TestRunning{0};
std::atomic<uint32_t> UdsQuiet{0};
std::atomic<uint32_t> UdsTimeoutCount{0};

namespace {

// The transaction. Only its owner thread reads or writes the fields below
// the mutex; the mutex hands them over between threads.
std::mutex g_txMutex;
std::atomic<std::thread::id> g_txOwner{std::thread::id()};
std::atomic<bool> g_inFlight{false};
bool g_serviceActive = false; // a UdsTransaction holds it
bool g_rawActive = false;     // taken by a bare PrepareUdsRequest / wait
int g_waitDepth = 0;
uint32_t g_responseAnnounced = 0;
// The request that went out last; the answer must echo it.
std::vector<uint8_t> g_sentRequest;
// P2* the ECU announced in its last positive session answer (0: none).
std::atomic<uint32_t> g_announcedPendingMs{0};
// The last call of each thread: refused, and the length its answer announced.
thread_local bool t_lastRefused = false;
thread_local uint32_t t_lastAnnounced = 0;

// How long the pump's held work may poll in one turn.
constexpr uint64_t kServeTurnUs = 2000;

bool OwnedHere() { return g_txOwner.load(std::memory_order_acquire) == std::this_thread::get_id(); }

bool TakeMutex()
{
    if (OwnedHere())
        return false; // never lock twice on one thread
    if (!g_txMutex.try_lock())
        return false;
    g_txOwner.store(std::this_thread::get_id(), std::memory_order_release);
    g_inFlight.store(true, std::memory_order_release);
    return true;
}

void GiveMutex()
{
    g_serviceActive = false;
    g_rawActive = false;
    g_inFlight.store(false, std::memory_order_release);
    g_txOwner.store(std::thread::id(), std::memory_order_release);
    g_txMutex.unlock();
}

// Bytes of a positive answer that echo the request: the identifier for the
// data-by-identifier services, control type and routine for RoutineControl,
// the sub-function for the services that have one.
size_t EchoLength(uint8_t sid)
{
    switch (sid) {
    case 0x22:
    case 0x2E:
    case 0x2F:
        return 2;
    case 0x31:
        return 3;
    case 0x10:
    case 0x11:
    case 0x19:
    case 0x27:
    case 0x28:
    case 0x85:
        return 1;
    default:
        return 0;
    }
}

bool HasSubFunction(uint8_t sid) { return EchoLength(sid) == 1; }

// True when `response` (its first `length` bytes are the ECU's) can be the
// answer to the request that went out for `sid`: a negative answer naming the
// service, or a positive one echoing what was asked. An answer shorter than
// its echo is judged on the bytes it has; the service call then finds it too
// short.
bool AnswersRequest(const std::vector<uint8_t>& response, uint32_t length, uint8_t sid)
{
    const size_t have = std::min<size_t>(length, response.size());
    if (have == 0)
        return false;
    if (response[0] == 0x7F)
        return have >= 2 && response[1] == sid;
    if (response[0] != static_cast<uint8_t>(sid + 0x40))
        return false;
    if (g_sentRequest.empty() || g_sentRequest[0] != sid)
        return true; // a bare wait for a service other than the one sent
    const uint8_t mask = HasSubFunction(sid) ? 0x7F : 0xFF; // bit 7 asks to suppress the answer
    const size_t echo = EchoLength(sid);
    for (size_t i = 1; i <= echo && i < have && i < g_sentRequest.size(); ++i)
        if ((response[i] & mask) != (g_sentRequest[i] & mask))
            return false;
    return true;
}

// A positive session answer announces the ECU's P2* in 10 ms units.
void NoteAnnouncedTiming(const std::vector<uint8_t>& response, uint32_t length)
{
    if (length >= 6 && response.size() >= 6 && response[0] == 0x50)
        g_announcedPendingMs.store((static_cast<uint32_t>(response[4]) << 8 | response[5]) * 10u);
}

void ReportTimeout(const std::string& caption, bool quiet)
{
    if (TestRunning.load() != 0) {
        if (UdsTimeoutCount.fetch_add(1) + 1 >= kUdsTimeoutsPerBox) {
            UdsTimeoutCount.store(0);
            if (!quiet)
                ShowServiceTimeout(caption, "Service timeout");
        }
    } else if (!quiet && UdsQuiet.load() == 0) {
        ShowServiceTimeout(caption, "Service timeout");
    }
}

// The wait of the transaction's owner: what one round needs to judge it, so
// that the rounds go on while a handler holds the thread (ServeHeldWait).
struct WaitRun {
    uint8_t sid = 0;
    bool sent = false;        // the request's last frame is out
    uint64_t responseUs = 0;  // P2
    uint64_t capUs = 0;       // the longest wait for one request
    uint64_t deadline = 0;
    uint64_t limit = 0;
    int result = -1;          // -1 waiting, 1 the answer is in UdsResponse, 0 ended without one
    bool timedOut = false;    // ended by a time-out (the box rules apply)
    uint64_t lastTrafficUs = 0; // last request or answer on the link, for the keep-alive
};
WaitRun g_run;          // owner thread only
bool g_roundRunning = false; // a round or the keep-alive is under way

// One polling round of the wait: the link's transmit and receive steps, the
// answer taken when it is complete, the time limits. True when a frame went
// or came.
bool WaitRound(WaitRun& run)
{
    IsoTpLink& link = TheIsoTpLink();
    const bool progress = link.Poll();
    const uint64_t now = GetClock().NowUs();
    const IsoTpLink::RequestOutcome outcome = link.Outcome();
    if (!run.sent && outcome == IsoTpLink::RequestOutcome::Sent) {
        run.sent = true;
        run.deadline = link.SentAtUs() + run.responseUs;
        run.limit = link.SentAtUs() + run.capUs;
    }
    if (link.RxCompleteFlag()) {
        std::vector<uint8_t> response = link.CopyRxBuffer();
        const uint32_t announced = link.AnnouncedLength();
        link.TakeResponse();
        // Anything else is a late answer to an earlier request or not meant
        // for us: the wait goes on for the right one.
        if (run.sent && AnswersRequest(response, announced, run.sid)) {
            UdsResponse = std::move(response);
            g_responseAnnounced = announced;
            t_lastAnnounced = announced;
            UdsTimeoutCount.store(0);
            run.lastTrafficUs = now;
            if (!IsUdsResponsePending(UdsResponse, run.sid)) {
                NoteAnnouncedTiming(UdsResponse, UdsResponseLength());
                run.result = 1;
                return progress;
            }
            run.deadline = now + static_cast<uint64_t>(UdsPendingTimeoutMs()) * 1000; // the ECU asked for more time
        }
        // No shortcut back to polling: a stream of foreign answers must not
        // hold the wait past its limits.
    }
    bool over = false;
    if (outcome == IsoTpLink::RequestOutcome::Failed)
        over = true; // the request never reached the ECU whole
    else if (link.Receiving())
        over = false; // an answer is coming in, paced by its own frame limit
    else if (!run.sent)
        over = link.TxState() == IsoTpLink::TxIdle && now > run.deadline; // once the first frame is out, the link's limits hold
    else
        over = now > run.deadline || now > run.limit;
    if (over) {
        run.result = 0;
        run.timedOut = true;
    }
    return progress;
}

// The pace of the held work while a message is in flight, in milliseconds.
constexpr uint32_t kHeldRoundMs = 1;

// While the answer is in and a handler still holds the wait, the ECU hears a
// TesterPresent that asks for no answer every kUdsHeldKeepAliveMs, so that a
// session other than the default one is not ended by the ECU's S3 timer.
// Returns the milliseconds until it is due again; nothing else needs the
// link meanwhile.
uint32_t KeepSessionWhileHeld(WaitRun& run)
{
    IsoTpLink& link = TheIsoTpLink();
    link.Poll();
    if (link.RxCompleteFlag())
        link.TakeResponse(); // an ECU that answers all the same
    if (link.TxState() != IsoTpLink::TxIdle)
        return kHeldRoundMs; // the keep-alive is still on its way
    const uint64_t now = GetClock().NowUs();
    const uint64_t periodUs = static_cast<uint64_t>(kUdsHeldKeepAliveMs) * 1000;
    const uint64_t quietUs = now - run.lastTrafficUs;
    if (quietUs < periodUs)
        return static_cast<uint32_t>((periodUs - quietUs + 999) / 1000);
    run.lastTrafficUs = now;
    // The wait's answer is in UdsResponse already: the link is free.
    link.ResetReceiver();
    link.ResetSender();
    if (link.QueueRequest({0x3E, 0x80}) && link.MarkQueued())
        link.Poll();
    return link.TxState() != IsoTpLink::TxIdle ? kHeldRoundMs : kUdsHeldKeepAliveMs;
}

// Serves the owner's wait while a handler that its pump dispatched holds the
// thread: the request goes out whole, its answer is taken, the time limits
// hold; once the answer is in, the session is kept. Returns when it has to
// run again.
uint32_t ServeHeldWait()
{
    if (!OwnedHere() || g_waitDepth == 0 || g_roundRunning)
        return kHeldRoundMs;
    // Once the program is closing, the wait ends at its next round: nothing
    // more goes to the ECU, the session is not kept either.
    if (GetPump().QuitRequested())
        return kUdsHeldKeepAliveMs;
    uint32_t nextMs = kUdsHeldKeepAliveMs; // a wait that ended has nothing more to do
    g_roundRunning = true;
    if (g_run.result < 0) {
        Clock& clock = GetClock();
        const uint64_t until = clock.NowUs() + kServeTurnUs;
        while (g_run.result < 0 && WaitRound(g_run) && clock.NowUs() < until) {
        }
        nextMs = g_run.result == 1 ? KeepSessionWhileHeld(g_run) : g_run.result < 0 ? kHeldRoundMs : nextMs;
    } else if (g_run.result == 1) {
        nextMs = KeepSessionWhileHeld(g_run);
    }
    g_roundRunning = false;
    return nextMs;
}

int WaitCore(uint8_t sid, const std::string& caption, bool quiet)
{
    bool rawWait = false;
    if (!OwnedHere()) {
        // A wait without a transaction still must not poll the link under
        // somebody else's request.
        if (!TakeMutex())
            return 0;
        g_rawActive = true;
        rawWait = true;
    } else if (g_waitDepth > 0) {
        return 0; // a handler's wait inside our own wait would steal the response
    }
    ++g_waitDepth;

    IsoTpLink& link = TheIsoTpLink();
    Clock& clock = GetClock();
    const uint64_t start = clock.NowUs();
    WaitRun& run = g_run;
    run = WaitRun{};
    run.sid = sid;
    run.responseUs = static_cast<uint64_t>(UdsResponseTimeoutMs.load()) * 1000;
    run.capUs = static_cast<uint64_t>(kUdsMaxRequestWaitMs) * 1000;
    // Until the request is out, the response time also bounds a first frame
    // the adapter keeps refusing. Once it is out, the response time runs
    // from its last frame; "pending" answers restart it with P2*, up to the
    // cap.
    run.sent = link.Outcome() == IsoTpLink::RequestOutcome::None; // a wait with nothing sent
    run.deadline = start + run.responseUs;
    run.limit = start + run.capUs;
    run.lastTrafficUs = start;
    // A box, a file dialog or a menu opened by a handler below would stop
    // this loop for as long as it stays open: the pump goes on serving the
    // link meanwhile.
    GetPump().SetHeldWork(ServeHeldWait);
    while (run.result < 0) {
        g_roundRunning = true;
        const bool progress = WaitRound(run);
        g_roundRunning = false;
        if (run.result >= 0)
            break;
        GetPump().PumpPending();
        if (run.result >= 0)
            break; // served to its end while a handler held the thread
        if (GetPump().QuitRequested()) {
            run.result = 0;
            break;
        }
        if (!progress) {
            const uint64_t sleepUs = link.IdleSleepUs(1000);
            if (sleepUs > 0)
                clock.SleepUs(sleepUs);
        }
    }
    GetPump().SetHeldWork({});
    const int result = run.result;
    if (result == 0 && run.timedOut)
        ReportTimeout(caption, quiet);

    --g_waitDepth;
    if (rawWait || (g_rawActive && !g_serviceActive))
        GiveMutex();
    return result;
}

} // namespace

uint32_t UdsResponseLength()
{
    const size_t held = UdsResponse.size();
    return g_responseAnnounced < held ? g_responseAnnounced : static_cast<uint32_t>(held);
}

int IsUdsResponsePending(const std::vector<uint8_t>& response, uint8_t sid)
{
    return response.size() >= 3 && response[0] == 0x7F && response[1] == sid && response[2] == 0x78 ? 1 : 0;
}

bool UdsRequestInFlight() { return g_inFlight.load(std::memory_order_acquire); }

bool UdsLastCallRefusedHere() { return t_lastRefused; }

uint32_t UdsLastResponseLengthHere() { return t_lastAnnounced; }

uint32_t UdsPendingTimeoutMs() { return std::max(kUdsPendingTimeoutMs, g_announcedPendingMs.load()); }

UdsTransaction::UdsTransaction()
{
    t_lastRefused = true;
    t_lastAnnounced = 0;
    if (OwnedHere()) {
        // A bare request of this thread that nobody waits for any more may be
        // taken over; anything else is a re-entry through the pump.
        if (g_rawActive && !g_serviceActive && g_waitDepth == 0) {
            g_rawActive = false;
            g_serviceActive = true;
            acquired_ = true;
            t_lastRefused = false;
        }
        return;
    }
    if (TakeMutex()) {
        g_serviceActive = true;
        acquired_ = true;
        t_lastRefused = false;
    }
}

UdsTransaction::~UdsTransaction()
{
    if (acquired_)
        GiveMutex();
}

int PrepareUdsRequest(const std::vector<uint8_t>& request, uint32_t /*length*/)
{
    if (OwnedHere()) {
        if (g_waitDepth > 0)
            return 0; // re-entered from a handler while our request waits
    } else {
        if (!TakeMutex())
            return 0;
        g_rawActive = true;
    }
    IsoTpLink& link = TheIsoTpLink();
    link.ResetReceiver();
    link.ResetSender();
    link.DiscardStaleFrames();
    g_sentRequest = request;
    if (!link.QueueRequest(request) || !link.MarkQueued()) {
        if (g_rawActive && !g_serviceActive)
            GiveMutex();
        return 0;
    }
    return 1;
}

int WaitUdsResponse(uint8_t sid, const std::string& caption) { return WaitCore(sid, caption, false); }

int WaitUdsResponseQuiet(uint8_t sid, const std::string& caption) { return WaitCore(sid, caption, true); }

void ShowServiceTimeout(const std::string& caption, const std::string& text)
{
    ShowMessage(text, caption, MsgIcon::Exclamation);
}

void InitUdsLink()
{
    DelayPumpingMessagesFixed(kUdsResponseTimeoutMs);
    ResetUdsLink();
}

void ResetUdsLink()
{
    UdsResponseTimeoutMs.store(kUdsResponseTimeoutMs);
    UdsTransaction tx;
    if (!tx.Acquired())
        return; // a request runs: its link is left alone
    IsoTpLink& link = TheIsoTpLink();
    link.ResetReceiver();
    link.ResetSender();
    g_announcedPendingMs.store(0);
    DownloadMaxBlockLength.store(0);
}

void ResetUdsBuffers()
{
    UdsTransaction tx;
    if (!tx.Acquired())
        return;
    UdsResponse.clear();
    UdsRequest.clear();
    g_responseAnnounced = 0;
    g_sentRequest.clear();
    g_announcedPendingMs.store(0);
    TheIsoTpLink().ClearBuffers();
    DownloadMaxBlockLength.store(0);
}

} // namespace tarvel
