// The send-and-wait core under every UDS service call, and the globals of the
// UDS client. A service call takes the transaction (UdsTransaction), builds
// UdsRequest, hands it to PrepareUdsRequest and waits in WaitUdsResponse.
//
// One transaction at a time: every wait pumps events, so timers and buttons
// run while a request is outstanding, and the live-data worker thread uses
// the same calls. A request started while another is outstanding - from a
// handler run by the pump, or from another thread - is refused at once and
// its call returns 0 without touching the buffers. Timers consult
// UdsRequestInFlight() to skip their tick instead.
#pragma once

#include "IsoTpLink.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvel {

// Response wait (P2), from the last frame of the request.
constexpr uint32_t kUdsResponseTimeoutMs = 3500;
// Wait after a "response pending" answer (P2*), unless the ECU announced a
// longer one in its last positive session answer.
constexpr uint32_t kUdsPendingTimeoutMs = 5000;
// However often the ECU answers "pending", no wait lasts longer than this
// from the last frame of the request (an answer already coming in frame by
// frame is still received to its end).
constexpr uint32_t kUdsMaxRequestWaitMs = 30000;
// While a handler holds a wait whose answer is in (a box left open), the
// ECU hears a TesterPresent this often, well within its S3 time of 5 s.
constexpr uint32_t kUdsHeldKeepAliveMs = 2000;
// Every third consecutive time-out of a running test shows the box.
constexpr uint32_t kUdsTimeoutsPerBox = 3;

// The request being built (byte 0 the service) and the last complete
// response, padding of its last frame included. Only the holder of the
// transaction touches them.
extern std::vector<uint8_t> UdsRequest;
extern std::vector<uint8_t> UdsResponse;

extern std::atomic<uint32_t> UdsResponseTimeoutMs;
// While not 0 a test drives the ECU: time-outs are counted (UdsTimeoutCount)
// and only every third shows a box; the keep-alive stays silent.
extern std::atomic<uint32_t> TestRunning;
// While 1 (and no test runs) a time-out shows no box.
extern std::atomic<uint32_t> UdsQuiet;
extern std::atomic<uint32_t> UdsTimeoutCount;

// The exact length of UdsResponse as its frames announced it (never more than
// the bytes held). Length checks use this, not UdsResponse.size().
uint32_t UdsResponseLength();

// 1 when `response` is 7F sid 78 (the ECU needs more time for `sid`).
int IsUdsResponsePending(const std::vector<uint8_t>& response, uint8_t sid);

// P2* now in force: the larger of kUdsPendingTimeoutMs and what the ECU
// announced.
uint32_t UdsPendingTimeoutMs();

// True while a transaction holds the link (any thread).
bool UdsRequestInFlight();

// What the last service call of the calling thread met: refused at once
// because another transaction held the link (nothing was sent), and the
// length its answer announced (0 when none came). A worker thread uses them
// to tell "the link was busy" from "the ECU did not answer", and to read no
// further than the ECU's data, without touching the shared buffers.
bool UdsLastCallRefusedHere();
uint32_t UdsLastResponseLengthHere();

// Holds the link for one whole exchange (one or more requests and their
// responses). Acquired() is false when another transaction is running: on
// this thread (re-entered through the pump) or on another thread.
class UdsTransaction {
public:
    UdsTransaction();
    ~UdsTransaction();
    UdsTransaction(const UdsTransaction&) = delete;
    UdsTransaction& operator=(const UdsTransaction&) = delete;
    bool Acquired() const { return acquired_; }

private:
    bool acquired_ = false;
};

// Resets both sides of the link, drops frames the adapter still holds (late
// answers to an earlier request) and queues `request` (all of it; `length`
// is kept for the callers' convenience and not used). 1 when queued; 0 when
// another request is outstanding or the request cannot be sent.
int PrepareUdsRequest(const std::vector<uint8_t>& request, uint32_t length);

// Polls until the answer is complete (1, the answer in UdsResponse) or the
// wait ends (0): time-out, the request could not be sent whole, or the user
// asked to quit. A handler that the wait's pump runs may hold the thread (a
// box left open): the pump then serves the link in the wait's place (see
// MessagePump::SetHeldWork), so the request goes out whole and its answer is
// taken; once it is in, TesterPresent (3E 80) keeps the ECU's session until
// the handler returns. The answer is a negative one naming `sid` or a positive one
// echoing the request; anything else (a late answer to an earlier request,
// another service's answer) is passed over. A failure shows the "Service
// timeout" box with `caption` by the rules above. Never resends.
int WaitUdsResponse(uint8_t sid, const std::string& caption);
// The same wait without any box.
int WaitUdsResponseQuiet(uint8_t sid, const std::string& caption);

void ShowServiceTimeout(const std::string& caption, const std::string& text);

// Start-up of the link: a pumped pause of 3500 ms, then the time-out, both
// sides of the link and DownloadMaxBlockLength are set up.
void InitUdsLink();
// The same without the pause: time-out, both sides of the link and
// DownloadMaxBlockLength set up at once.
void ResetUdsLink();
// Empties every buffer (the programming page's clean-up).
void ResetUdsBuffers();

} // namespace tarvel
