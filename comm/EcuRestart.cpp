#include "EcuRestart.h"

#include "Clock.h"
#include "DelayPumping.h"
#include "Pump.h"
#include "UdsEngine.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace tarvel {

namespace {

const char* const kCaptionTesterPresent = "UDS TesterPresent (0x3E)";

std::atomic<bool> g_pending{false};
std::atomic<uint64_t> g_resetAtUs{0};

std::mutex& LostMutex()
{
    static std::mutex m;
    return m;
}

std::function<void()>& LostHandler()
{
    static std::function<void()> handler;
    return handler;
}

uint64_t AllowanceUs() { return static_cast<uint64_t>(kEcuRestartAllowanceMs) * 1000; }

// Milliseconds from now until `untilUs`, rounded up.
uint32_t MsUntil(uint64_t nowUs, uint64_t untilUs)
{
    return untilUs > nowUs ? static_cast<uint32_t>((untilUs - nowUs + 999) / 1000) : 0;
}

// One question: TesterPresent with an answer wanted, waited for no longer
// than the probe period. Any answer naming the service counts: an ECU that
// refuses it runs all the same. A time-out here is the restart's silence,
// not a fault of a running test: it shows nothing and is not counted.
bool AskEcu()
{
    UdsTransaction tx;
    if (!tx.Acquired())
        return false; // another request holds the link: ask at the next turn
    const uint32_t timeoutsBefore = UdsTimeoutCount.load();
    const uint32_t responseMs = UdsResponseTimeoutMs.exchange(kEcuRestartProbeMs);
    UdsRequest = {0x3E, 0x00};
    const bool answered = PrepareUdsRequest(UdsRequest, static_cast<uint32_t>(UdsRequest.size())) == 1 &&
                          WaitUdsResponseQuiet(0x3E, kCaptionTesterPresent) == 1;
    UdsResponseTimeoutMs.store(responseMs);
    if (!answered)
        UdsTimeoutCount.store(timeoutsBefore);
    return answered;
}

} // namespace

void NoteEcuReset()
{
    g_resetAtUs.store(GetClock().NowUs());
    g_pending.store(true);
}

bool EcuRestartPending()
{
    if (!g_pending.load())
        return false;
    return GetClock().NowUs() < g_resetAtUs.load() + AllowanceUs();
}

void ClearEcuRestart() { g_pending.store(false); }

EcuRestartEnd WaitForEcuRestart(const std::function<bool()>& stopped, uint32_t fixedMs)
{
    Clock& clock = GetClock();
    const uint64_t resetAt = g_pending.load() ? g_resetAtUs.load() : clock.NowUs();
    auto ended = [&stopped] { return GetPump().QuitRequested() || (stopped && stopped()); };

    // The caller's own time first.
    const uint64_t fixedEnd = resetAt + static_cast<uint64_t>(fixedMs) * 1000;
    if (clock.NowUs() < fixedEnd)
        DelayPumpingMessages(MsUntil(clock.NowUs(), fixedEnd));
    if (ended())
        return EcuRestartEnd::Stopped;

    const uint64_t deadline = resetAt + AllowanceUs();
    for (;;) {
        const uint64_t askedAt = clock.NowUs();
        const bool answered = AskEcu();
        if (answered)
            ClearEcuRestart();
        if (ended())
            return EcuRestartEnd::Stopped;
        if (answered)
            return EcuRestartEnd::Answered;
        const uint64_t now = clock.NowUs();
        if (now >= deadline) {
            ClearEcuRestart();
            return EcuRestartEnd::NoAnswer;
        }
        const uint64_t next = std::min(askedAt + static_cast<uint64_t>(kEcuRestartProbeMs) * 1000, deadline);
        if (now < next)
            DelayPumpingMessages(MsUntil(now, next));
        if (ended())
            return EcuRestartEnd::Stopped;
    }
}

void SetEcuLostHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> lock(LostMutex());
    LostHandler() = std::move(handler);
}

void CloseLinkToLostEcu()
{
    std::function<void()> handler;
    {
        std::lock_guard<std::mutex> lock(LostMutex());
        handler = LostHandler();
    }
    if (handler)
        handler();
}

} // namespace tarvel
