// ISO 15765-2 transport to the ECU: 29-bit normal fixed addressing, tester
// 0xF9, ECU 0x0B. One request at a time is split into a single frame or a
// first frame plus consecutive frames; the response is reassembled from the
// frames on 0x18DAF90B. Nothing runs by itself: PollIsoTpLink (called by the
// response wait) makes one transmit step and one receive step.
//
// All frames go through the CanPort installed with SetCanPort (GetCanPort()).
// The state lives in one IsoTpLink object; the free functions below work on
// the program's single link, under the names the rest of the program uses.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace tarvel {

// Identifier of every request frame (target 0x0B, source 0xF9).
constexpr uint32_t kUdsRequestCanId = 0x18DA0BF9u;
// The only identifier taken in.
constexpr uint32_t kUdsResponseCanId = 0x18DAF90Bu;
// Requests longer than the 12-bit first-frame length cannot be sent.
constexpr size_t kIsoTpMaxRequestLength = 4095;
// Frames read from the adapter per receive step.
constexpr size_t kIsoTpFramesPerRead = 50;
// How long the sender waits for each flow control of the ECU (N_Bs), and the
// receiver for each consecutive frame of a segmented answer (N_Cr).
constexpr uint32_t kIsoTpFlowControlTimeoutMs = 1000;
constexpr uint32_t kIsoTpConsecutiveFrameTimeoutMs = 1000;
// Flow control "wait" frames the sender accepts in a row before it gives up.
constexpr uint32_t kIsoTpMaxFlowControlWaits = 10;

// The pause an STmin byte asks for between consecutive frames, in
// microseconds: 0x00..0x7F milliseconds, 0xF1..0xF9 100..900 us; the reserved
// values count as the longest pause, 127 ms.
uint64_t IsoTpStminToUs(uint8_t stmin);

// One received frame: its data bytes and their count.
struct UdsFrameBuffer {
    std::vector<uint8_t> data;
    uint32_t length = 0;
};
using _tagUDS_BUFFER_ = UdsFrameBuffer;

// Identifier the request frames go out on. The shell writes it at start-up;
// it starts as the tester-to-ECU identifier so nothing ever goes out on 0.
extern std::atomic<uint32_t> RequestCanId;
// Set once a positive 50 02 single frame was taken in; further 50 02 single
// frames are dropped until the programming page clears it.
extern std::atomic<uint32_t> ProgrammingSessionSeen;
// Adapter type code shown in the header of the receive trace line; the
// adapter switch's port sets it on every read.
extern std::atomic<uint32_t> RxTraceDeviceType;

class IsoTpLink {
public:
    // Receiver states.
    enum : uint32_t { RxIdle = 0, RxComplete = 1, RxReceiving = 2, RxAwaitingFlowControl = 3 };
    // Sender states.
    enum : uint32_t { TxIdle = 0, TxAwaitingFlowControl = 1, TxSending = 2 };
    // What became of the request queued last.
    enum class RequestOutcome {
        None,    // nothing queued since the sender was reset
        Sending, // queued, not all of it on the bus yet
        Sent,    // its last frame has gone out (SentAtUs)
        Failed,  // dropped: the ECU refused it or stopped asking for it, or the adapter failed
    };

    IsoTpLink();

    // Block size and STmin the tester puts into its own flow control frames.
    uint8_t testerFcBlockSize = 0;
    uint8_t testerFcStmin = 5;

    void ResetReceiver();
    void ResetSender();
    // Copies the request; 0 (copying nothing) when one is already queued, or
    // when it is empty or longer than a first frame can announce.
    int QueueRequest(const std::vector<uint8_t>& request);
    // Marks the copied request as ready to go; 0 when one is already queued
    // or nothing was copied.
    int MarkQueued();

    // One polling round: transmit step, then receive step, then the link's
    // own time limits. The receive step stops at a complete message; frames
    // behind it are handled in the rounds after it was taken. True when a
    // frame was sent or taken in (the caller may sleep when nothing happened).
    bool Poll();
    // Microseconds the caller may sleep after an idle round without delaying
    // a consecutive frame that is due (at most `cap`).
    uint64_t IdleSleepUs(uint64_t capUs) const;

    bool RxCompleteFlag() const { return complete_ != 0; }
    std::vector<uint8_t> CopyRxBuffer() const { return rxBuffer_; }
    int TakeResponse();
    uint32_t AnnouncedLength() const { return announcedLength_; }
    // Reads frames through the port and queues those with the response
    // identifier; 1 when at least one such frame was handled.
    int ReceiveCanFrames();
    // Reads and drops whatever the adapter still holds: answers that came
    // after their request timed out must not be taken for the answer to the
    // next request. Bounded, so a babbling bus cannot hold the caller.
    void DiscardStaleFrames();

    uint32_t RxState() const { return rxState_; }
    uint32_t TxState() const { return txState_; }
    bool RequestQueued() const { return queued_ != 0; }
    RequestOutcome Outcome() const { return outcome_; }
    // Clock time (us) the last frame of the request went out.
    uint64_t SentAtUs() const { return sentAtUs_; }
    // True while a segmented answer is coming in frame by frame.
    bool Receiving() const { return rxState_ == RxReceiving; }
    // Empties every buffer of the link (the programming page's clean-up).
    void ClearBuffers();

    std::vector<UdsFrameBuffer>& RxFrameQueue() { return rxQueue_; }
    std::string& LastRxFrameText() { return lastRxText_; }

private:
    bool Transmit(const std::vector<uint8_t>& bytes, size_t length, const char* caption);
    bool TransmitStep();
    bool SendSingleFrame();
    bool SendFirstFrame();
    bool ConsecutiveFrameStep();
    void SendDone();
    void FailRequest();
    void AwaitFlowControl();
    void CheckTimeouts();
    void SendFlowControlContinue();
    void HandleFrame();
    void HandleSingleFrame();
    void HandleFirstFrame();
    void HandleConsecutiveFrame();
    void HandleFlowControl();
    void AbandonReception();
    void AppendFrameData(size_t first);
    void MarkComplete();
    bool TimerElapsed() const;

    // Receiver.
    uint32_t rxState_ = RxIdle;
    std::vector<uint8_t> rxBuffer_;
    std::vector<uint8_t> frame_;
    uint32_t frameLength_ = 0;
    uint32_t rxRemaining_ = 0;
    uint8_t lastSequence_ = 0;
    uint8_t blockCountdown_ = 0;
    uint8_t complete_ = 0;
    uint32_t completeSize_ = 0;
    uint8_t rxBlockSize_ = 0;
    uint8_t rxStmin_ = 5;
    uint32_t announcedLength_ = 0;
    uint64_t rxLastFrameUs_ = 0; // when the last frame of a segmented answer came

    // Sender.
    uint32_t txState_ = TxIdle;
    uint8_t queued_ = 0;
    std::vector<uint8_t> request_;
    uint32_t txOffset_ = 0;
    uint32_t txRemaining_ = 0;
    std::vector<uint8_t> txFrame_;
    uint8_t txSequence_ = 0;
    uint8_t ecuBlockSize_ = 0;
    uint8_t ecuStmin_ = 5;
    bool timerArmed_ = false;
    uint64_t timerStartUs_ = 0;
    uint64_t timerIntervalUs_ = 0;
    uint8_t blockSent_ = 0;          // consecutive frames sent in the ECU's current block
    uint32_t flowControlWaits_ = 0;  // "wait" flow controls in a row
    uint64_t flowControlSinceUs_ = 0;
    RequestOutcome outcome_ = RequestOutcome::None;
    uint64_t sentAtUs_ = 0;

    std::vector<UdsFrameBuffer> rxQueue_;
    // Frames read but not handled yet: handling stops at a complete message,
    // so that what came behind it is judged after it was taken.
    std::deque<UdsFrameBuffer> rxBacklog_;
    std::string lastRxText_;
};

// The program's one link.
IsoTpLink& TheIsoTpLink();

// The link's state under its usual names.
extern std::vector<_tagUDS_BUFFER_>& UdsRxFrameQueue;
extern std::string& LastRxFrameText;
uint32_t IsoTpRxState();
uint32_t IsoTpTxState();

void IsoTpResetReceiver();
void IsoTpResetSender();
int IsoTpQueueRequest(const std::vector<uint8_t>& request);
int IsoTpMarkQueued();
void PollIsoTpLink();
int IsoTpRxComplete();
std::vector<uint8_t> IsoTpCopyRxBuffer();
int IsoTpTakeResponse();
uint32_t IsoTpAnnouncedLength();
int ReceiveCanFrames();

} // namespace tarvel
