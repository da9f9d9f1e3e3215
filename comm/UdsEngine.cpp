#include "UdsEngine.h"

#include "Clock.h"
#include "DelayPumping.h"
#include "Prompter.h"
#include "Pump.h"
#include "UdsServices.h"

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
    const uint64_t timeoutUs = static_cast<uint64_t>(UdsResponseTimeoutMs.load()) * 1000;
    const uint64_t limit = start + static_cast<uint64_t>(kUdsMaxRequestWaitMs) * 1000;
    uint64_t deadline = start + timeoutUs;
    int result = -1;
    while (result < 0) {
        const bool progress = link.Poll();
        const uint64_t now = clock.NowUs();
        if (link.RxCompleteFlag()) {
            UdsResponse = link.CopyRxBuffer();
            g_responseAnnounced = link.AnnouncedLength();
            link.TakeResponse();
            UdsTimeoutCount.store(0);
            if (!IsUdsResponsePending(UdsResponse, sid)) {
                result = 1;
                break;
            }
            deadline = now + timeoutUs; // the ECU asked for more time
            continue;
        }
        if (now > deadline || now > limit) {
            if (TestRunning.load() != 0) {
                if (UdsTimeoutCount.fetch_add(1) + 1 >= kUdsTimeoutsPerBox) {
                    UdsTimeoutCount.store(0);
                    if (!quiet)
                        ShowServiceTimeout(caption, "Service timeout");
                }
            } else if (!quiet && UdsQuiet.load() == 0) {
                ShowServiceTimeout(caption, "Service timeout");
            }
            result = 0;
            break;
        }
        GetPump().PumpPending();
        if (GetPump().QuitRequested()) {
            result = 0;
            break;
        }
        if (!progress) {
            const uint64_t sleepUs = link.IdleSleepUs(1000);
            if (sleepUs > 0)
                clock.SleepUs(sleepUs);
        }
    }

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

UdsTransaction::UdsTransaction()
{
    if (OwnedHere()) {
        // A bare request of this thread that nobody waits for any more may be
        // taken over; anything else is a re-entry through the pump.
        if (g_rawActive && !g_serviceActive && g_waitDepth == 0) {
            g_rawActive = false;
            g_serviceActive = true;
            acquired_ = true;
        }
        return;
    }
    if (TakeMutex()) {
        g_serviceActive = true;
        acquired_ = true;
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
    TheIsoTpLink().ClearBuffers();
    DownloadMaxBlockLength.store(0);
}

} // namespace tarvel
