#include "IsoTpLink.h"

#include "CanPort.h"
#include "Clock.h"

#include <algorithm>
#include <cstdio>

namespace tarvel {

std::atomic<uint32_t> RequestCanId{kUdsRequestCanId};
std::atomic<uint32_t> ProgrammingSessionSeen{0};
std::atomic<uint32_t> RxTraceDeviceType{0};

namespace {
constexpr size_t kFrameBytes = 8;
// Trace captions handed to the transmit.
const char* const kCaptionSingle = "发送单帧";
const char* const kCaptionFirst = "发送首帧";
const char* const kCaptionConsecutive = "发送连续帧";
const char* const kCaptionLastConsecutive = "发送最后的连续帧";
const char* const kCaptionFlowControl = "发送流控帧";

uint64_t NowUs() { return GetClock().NowUs(); }
} // namespace

uint64_t IsoTpStminToUs(uint8_t stmin)
{
    if (stmin <= 0x7F)
        return static_cast<uint64_t>(stmin) * 1000;
    if (stmin >= 0xF1 && stmin <= 0xF9)
        return static_cast<uint64_t>(stmin - 0xF0) * 100;
    return 127000; // reserved
}

IsoTpLink::IsoTpLink() : txFrame_(kFrameBytes, 0) {}

void IsoTpLink::ResetReceiver()
{
    rxState_ = RxIdle;
    complete_ = 0;
    completeSize_ = 0;
    rxBuffer_.clear();
    rxRemaining_ = 0;
    blockCountdown_ = 0;
    lastSequence_ = 0;
    rxBlockSize_ = testerFcBlockSize;
    rxStmin_ = testerFcStmin;
    rxLastFrameUs_ = 0;
    rxBacklog_.clear();
}

void IsoTpLink::ResetSender()
{
    txState_ = TxIdle;
    queued_ = 0;
    request_.clear();
    txOffset_ = 0;
    txRemaining_ = 0;
    std::fill(txFrame_.begin(), txFrame_.end(), 0);
    txSequence_ = 0;
    timerArmed_ = false;
    timerStartUs_ = 0;
    timerIntervalUs_ = 0;
    ecuBlockSize_ = testerFcBlockSize;
    ecuStmin_ = testerFcStmin;
    blockSent_ = 0;
    flowControlWaits_ = 0;
    flowControlSinceUs_ = 0;
    outcome_ = RequestOutcome::None;
    sentAtUs_ = 0;
}

int IsoTpLink::QueueRequest(const std::vector<uint8_t>& request)
{
    if (queued_)
        return 0;
    // A first frame announces 12 bits of length: anything longer would go out
    // with a wrong length and be cut by the ECU.
    if (request.empty() || request.size() > kIsoTpMaxRequestLength)
        return 0;
    request_ = request;
    txOffset_ = static_cast<uint32_t>(request_.size());
    return 1;
}

int IsoTpLink::MarkQueued()
{
    if (queued_ || request_.empty())
        return 0;
    queued_ = 1;
    txRemaining_ = static_cast<uint32_t>(request_.size());
    txOffset_ = 0;
    outcome_ = RequestOutcome::Sending;
    return 1;
}

void IsoTpLink::ClearBuffers()
{
    rxBuffer_.clear();
    request_.clear();
    txOffset_ = 0;
    txRemaining_ = 0;
    queued_ = 0;
    txState_ = TxIdle;
    outcome_ = RequestOutcome::None;
    std::fill(txFrame_.begin(), txFrame_.end(), 0);
    frame_.clear();
    frameLength_ = 0;
    rxQueue_.clear();
    rxBacklog_.clear();
}

bool IsoTpLink::Transmit(const std::vector<uint8_t>& bytes, size_t length, const char* caption)
{
    CanPort* port = GetCanPort();
    if (!port)
        return false;
    std::vector<uint8_t> data(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(length, bytes.size())));
    return port->Transmit(RequestCanId.load(), data, caption);
}

bool IsoTpLink::Poll()
{
    const bool sent = TransmitStep();
    bool received = false;
    // While a complete message waits to be taken, further frames stay in the
    // adapter: they are judged once it was taken.
    if (rxState_ != RxComplete && ReceiveCanFrames()) {
        for (UdsFrameBuffer& f : rxQueue_)
            rxBacklog_.push_back(std::move(f));
        rxQueue_.clear();
        received = true;
    }
    // One frame at a time off the backlog, in order; a complete message
    // stops the walk.
    while (!rxBacklog_.empty() && rxState_ != RxComplete) {
        UdsFrameBuffer f = std::move(rxBacklog_.front());
        rxBacklog_.pop_front();
        frame_ = std::move(f.data);
        frameLength_ = static_cast<uint32_t>(std::min<size_t>(f.length, frame_.size()));
        frame_.resize(frameLength_);
        HandleFrame();
    }
    CheckTimeouts();
    return sent || received;
}

uint64_t IsoTpLink::IdleSleepUs(uint64_t capUs) const
{
    if (txState_ == TxSending && timerArmed_) {
        const uint64_t due = timerStartUs_ + timerIntervalUs_;
        const uint64_t now = NowUs();
        return due > now ? std::min(capUs, due - now) : 0;
    }
    // Also after a refused single or first frame (still queued, sender
    // idle): it goes again next round, but retrying without a pause would
    // spin on an adapter that cannot send at all.
    return capUs;
}

void IsoTpLink::CheckTimeouts()
{
    if (txState_ != TxAwaitingFlowControl && rxState_ != RxReceiving)
        return;
    const uint64_t now = NowUs();
    if (txState_ == TxAwaitingFlowControl &&
        now - flowControlSinceUs_ > static_cast<uint64_t>(kIsoTpFlowControlTimeoutMs) * 1000)
        FailRequest(); // the ECU stopped asking for the rest of the request
    if (rxState_ == RxReceiving && now - rxLastFrameUs_ > static_cast<uint64_t>(kIsoTpConsecutiveFrameTimeoutMs) * 1000)
        AbandonReception(); // the rest of the answer is not coming
}

// ---- Transmit side --------------------------------------------------------

bool IsoTpLink::TransmitStep()
{
    if (txState_ == TxIdle && queued_)
        return txRemaining_ < kFrameBytes ? SendSingleFrame() : SendFirstFrame();
    if (txState_ == TxSending)
        return ConsecutiveFrameStep();
    return false;
}

bool IsoTpLink::SendSingleFrame()
{
    std::vector<uint8_t> frame(kFrameBytes, 0);
    frame[0] = static_cast<uint8_t>(txRemaining_);
    for (uint32_t i = 0; i < txRemaining_ && i < request_.size() && i + 1 < kFrameBytes; ++i)
        frame[i + 1] = request_[i];
    txFrame_ = frame;
    const bool ok = Transmit(frame, txRemaining_ + 1, kCaptionSingle);
    if (ok)
        SendDone();
    // On failure the request stays queued and goes again next round.
    txState_ = TxIdle;
    return ok;
}

bool IsoTpLink::SendFirstFrame()
{
    const uint32_t length = static_cast<uint32_t>(request_.size());
    std::vector<uint8_t> frame(kFrameBytes, 0);
    frame[0] = static_cast<uint8_t>(0x10 | ((length >> 8) & 0x0F));
    frame[1] = static_cast<uint8_t>(length & 0xFF);
    for (uint32_t i = 0; i < 6 && txOffset_ + i < request_.size(); ++i)
        frame[2 + i] = request_[txOffset_ + i];
    txFrame_ = frame;
    if (!Transmit(frame, kFrameBytes, kCaptionFirst)) {
        // Offset and count are untouched, so the same first frame goes again.
        txState_ = TxIdle;
        return false;
    }
    txOffset_ += 6;
    txRemaining_ -= 6;
    // Whatever the receiver held cannot be the answer to a request that is
    // only half sent: it now waits for the ECU's flow control.
    ResetReceiver();
    txSequence_ = 0;
    AwaitFlowControl();
    return true;
}

void IsoTpLink::AwaitFlowControl()
{
    timerArmed_ = false;
    blockSent_ = 0;
    flowControlWaits_ = 0;
    flowControlSinceUs_ = NowUs();
    txState_ = TxAwaitingFlowControl;
    rxState_ = RxAwaitingFlowControl;
}

bool IsoTpLink::TimerElapsed() const { return NowUs() >= timerStartUs_ + timerIntervalUs_; }

bool IsoTpLink::ConsecutiveFrameStep()
{
    if (!timerArmed_) {
        FailRequest();
        return false;
    }
    if (!TimerElapsed())
        return false;
    timerArmed_ = false;
    ++txSequence_;
    std::vector<uint8_t> frame(kFrameBytes, 0);
    frame[0] = static_cast<uint8_t>(0x20 | (txSequence_ & 0x0F));
    if (txOffset_ + txRemaining_ > request_.size()) {
        FailRequest(); // the copy no longer holds what is left to send
        return false;
    }
    if (txRemaining_ > 7) {
        for (uint32_t i = 0; i < 7; ++i)
            frame[1 + i] = request_[txOffset_ + i];
        txFrame_ = frame;
        if (!Transmit(frame, kFrameBytes, kCaptionConsecutive)) {
            // The ECU holds a partial message now; resuming would corrupt it.
            FailRequest();
            return false;
        }
        txOffset_ += 7;
        txRemaining_ -= 7;
        if (ecuBlockSize_ != 0 && ++blockSent_ >= ecuBlockSize_) {
            // The block the ECU allowed is out: nothing more until it says so.
            AwaitFlowControl();
            return true;
        }
        timerArmed_ = true;
        timerStartUs_ = NowUs();
        timerIntervalUs_ = IsoTpStminToUs(ecuStmin_);
        txState_ = TxSending;
        return true;
    }
    for (uint32_t i = 0; i < txRemaining_ && txOffset_ + i < request_.size(); ++i)
        frame[1 + i] = request_[txOffset_ + i];
    txFrame_ = frame;
    const bool ok = Transmit(frame, txRemaining_ + 1, kCaptionLastConsecutive);
    if (ok)
        SendDone();
    else
        FailRequest();
    txState_ = TxIdle;
    return ok;
}

void IsoTpLink::SendDone()
{
    queued_ = 0;
    std::fill(txFrame_.begin(), txFrame_.end(), 0);
    request_.clear();
    txOffset_ = 0;
    txRemaining_ = 0;
    txState_ = TxIdle;
    outcome_ = RequestOutcome::Sent;
    sentAtUs_ = NowUs();
}

void IsoTpLink::FailRequest()
{
    ResetSender();
    if (rxState_ == RxAwaitingFlowControl)
        rxState_ = RxIdle;
    outcome_ = RequestOutcome::Failed;
}

void IsoTpLink::SendFlowControlContinue()
{
    const std::vector<uint8_t> fc{0x30, rxBlockSize_, rxStmin_};
    blockCountdown_ = rxBlockSize_;
    Transmit(fc, fc.size(), kCaptionFlowControl); // a lost flow control shows as a time-out
}

// ---- Receive side ---------------------------------------------------------

void IsoTpLink::HandleFrame()
{
    if (frameLength_ == 0)
        return; // no protocol control information at all
    const uint8_t kind = frame_[0] >> 4;
    if (kind == 3) {
        if (txState_ == TxAwaitingFlowControl)
            HandleFlowControl();
        return;
    }
    // While the request is still going out the ECU cannot be answering it:
    // anything else it sends now belongs to an earlier exchange.
    if (queued_)
        return;
    switch (kind) {
    case 0:
        HandleSingleFrame();
        break;
    case 1:
        HandleFirstFrame();
        break;
    case 2:
        if (rxState_ == RxReceiving)
            HandleConsecutiveFrame();
        break;
    default:
        break; // reserved frame types
    }
}

void IsoTpLink::HandleSingleFrame()
{
    const uint32_t length = frame_[0] & 0x0F;
    // An empty single frame, or one announcing more than it carries, is no
    // message at all.
    if (length == 0 || length + 1 > frameLength_)
        return;
    if (rxState_ == RxReceiving)
        AbandonReception(); // a new message replaces the one coming in
    rxBuffer_.clear();
    AppendFrameData(1);
    MarkComplete();
    rxState_ = RxComplete;
}

void IsoTpLink::HandleFirstFrame()
{
    // A first frame always fills its 8 bytes. A shorter one would leave the
    // consecutive frames' bytes at the wrong offsets of the message.
    if (frameLength_ < kFrameBytes)
        return;
    const uint32_t length = (static_cast<uint32_t>(frame_[0] & 0x0F) << 8) | frame_[1];
    if (length < kFrameBytes)
        return; // would have fitted a single frame
    if (rxState_ == RxReceiving)
        AbandonReception(); // a new message replaces the one coming in
    rxBuffer_.clear();
    AppendFrameData(2);
    rxRemaining_ = length - 6;
    lastSequence_ = 0;
    SendFlowControlContinue();
    rxState_ = RxReceiving;
    rxLastFrameUs_ = NowUs();
}

void IsoTpLink::HandleConsecutiveFrame()
{
    const uint8_t n = frame_[0] & 0x0F;
    // Out of sequence, or a frame carrying fewer bytes than the message still
    // needs from it (7, or what is left): the message is lost, since every
    // byte behind the gap would sit at the wrong offset.
    const uint32_t needed = std::min<uint32_t>(7, rxRemaining_);
    if (n != ((lastSequence_ + 1) & 0x0F) || frameLength_ - 1 < needed) {
        AbandonReception();
        frame_.clear();
        frameLength_ = 0;
        return;
    }
    rxLastFrameUs_ = NowUs();
    if (rxRemaining_ >= 8) {
        AppendFrameData(1);
        lastSequence_ = n;
        rxRemaining_ -= 7;
        // The block we allowed is complete: allow the next one.
        if (rxBlockSize_ != 0 && blockCountdown_ > 0 && --blockCountdown_ == 0)
            SendFlowControlContinue();
        rxState_ = RxReceiving;
        return;
    }
    AppendFrameData(1);
    MarkComplete();
    rxState_ = RxComplete;
}

void IsoTpLink::AbandonReception()
{
    // The bytes gathered so far go too, so they cannot end up in front of
    // the next message.
    rxState_ = RxIdle;
    rxBuffer_.clear();
    rxRemaining_ = 0;
}

void IsoTpLink::HandleFlowControl()
{
    switch (frame_[0]) {
    case 0x30: {
        if (frameLength_ < 3)
            return; // no block size and STmin: not a usable flow control
        ecuBlockSize_ = frame_[1];
        ecuStmin_ = frame_[2];
        const uint64_t stminUs = IsoTpStminToUs(ecuStmin_);
        if (txState_ == TxAwaitingFlowControl) {
            // The first consecutive frame leaves two STmin after the flow
            // control. The pause is the timer's, not a pumped wait inside
            // this step: a handler run from here (a box left open) would
            // hold the link half-way through a frame walk, where nothing can
            // serve it.
            timerArmed_ = true;
            timerStartUs_ = NowUs() + stminUs;
            timerIntervalUs_ = stminUs;
            blockSent_ = 0;
            flowControlWaits_ = 0;
            txState_ = TxSending;
        }
        if (rxState_ == RxAwaitingFlowControl)
            rxState_ = RxIdle;
        break;
    }
    case 0x31:
        // The ECU asks for more time: the wait for its next flow control
        // starts again, a bounded number of times.
        if (++flowControlWaits_ > kIsoTpMaxFlowControlWaits)
            FailRequest();
        else
            flowControlSinceUs_ = NowUs();
        break;
    default:
        // Overflow (0x32): the ECU cannot take the request. Any other flow
        // status does not exist; waiting on would only run into the time-out.
        FailRequest();
        break;
    }
}

void IsoTpLink::AppendFrameData(size_t first)
{
    if (frameLength_ >= 1) {
        const uint8_t kind = frame_[0] >> 4;
        if (kind == 1 && frameLength_ >= 2)
            announcedLength_ = (static_cast<uint32_t>(frame_[0] & 0x0F) << 8) | frame_[1];
        else if (kind == 0)
            announcedLength_ = frame_[0];
    }
    for (size_t i = first; i < frameLength_ && i < frame_.size(); ++i)
        rxBuffer_.push_back(frame_[i]);
    frame_.clear();
    frameLength_ = 0;
}

void IsoTpLink::MarkComplete()
{
    if (complete_)
        return;
    complete_ = 1;
    completeSize_ = static_cast<uint32_t>(rxBuffer_.size());
}

int IsoTpLink::TakeResponse()
{
    if (rxState_ != RxComplete)
        return 0;
    rxState_ = RxIdle;
    complete_ = 0;
    rxBuffer_.clear();
    rxQueue_.clear();
    return 1;
}

// ---- Receive pump ---------------------------------------------------------

namespace {
std::string TraceLine(const CanFrameRecord& f, uint32_t typeCode, double seconds)
{
    char buf[96];
    std::string line;
    std::snprintf(buf, sizeof buf, "<0x%X: %g>接收到数据帧： ", typeCode, seconds);
    line += buf;
    if (f.TimeFlag) {
        std::snprintf(buf, sizeof buf, "时间标识:%08x ", f.TimeStamp);
        line += buf;
    } else {
        line += "时间标识:无 ";
    }
    std::snprintf(buf, sizeof buf, "帧ID:%08x ", f.ID);
    line += buf;
    line += "帧格式:";
    line += f.RemoteFlag ? "远程帧 " : "数据帧 ";
    line += "帧类型:";
    line += f.ExternFlag ? "扩展帧 " : "标准帧 ";
    for (uint8_t i = 0; i < f.DataLen && i < 8; ++i) {
        std::snprintf(buf, sizeof buf, "%02x ", f.Data[i]);
        line += buf;
    }
    return line;
}
} // namespace

int IsoTpLink::ReceiveCanFrames()
{
    CanPort* port = GetCanPort();
    if (!port)
        return 0;
    CanFrameRecord frames[kIsoTpFramesPerRead] = {};
    size_t count = port->Receive(frames, kIsoTpFramesPerRead);
    count = std::min(count, kIsoTpFramesPerRead);
    int handled = 0;
    bool haveFirstStamp = false;
    uint32_t firstStamp = 0;
    double seconds = 0.0;
    if (const auto type = port->TraceDeviceType())
        RxTraceDeviceType.store(*type);
    const uint32_t typeCode = RxTraceDeviceType.load();
    for (size_t i = 0; i < count; ++i) {
        CanFrameRecord& f = frames[i];
        if (f.DataLen > 8)
            f.DataLen = 8;
        if (f.TimeFlag) {
            if (!haveFirstStamp) {
                haveFirstStamp = true;
                firstStamp = f.TimeStamp;
            }
            seconds = static_cast<double>(f.TimeStamp - firstStamp) / 10000.0;
        }
        if (!f.RemoteFlag)
            lastRxText_ = TraceLine(f, typeCode, seconds);
        // A remote frame has no payload: its data bytes are not ISO-TP bytes.
        if (f.ID != kUdsResponseCanId || f.RemoteFlag)
            continue;
        handled = 1;
        // Only a single frame 50 02 is the programming-session answer; a
        // consecutive frame may carry those bytes as plain data.
        const bool programmingSession =
            f.DataLen >= 3 && (f.Data[0] >> 4) == 0 && f.Data[1] == 0x50 && f.Data[2] == 0x02;
        if (programmingSession) {
            uint32_t expected = 0;
            if (!ProgrammingSessionSeen.compare_exchange_strong(expected, 1))
                continue; // a repeat of the answer already taken
        }
        UdsFrameBuffer record;
        record.data.assign(f.Data, f.Data + f.DataLen);
        record.length = f.DataLen;
        rxQueue_.push_back(std::move(record));
    }
    return handled;
}

void IsoTpLink::DiscardStaleFrames()
{
    CanPort* port = GetCanPort();
    if (!port)
        return;
    // Enough reads for a full adapter ring on the batch back-ends; the
    // one-frame-per-read back-ends give up earlier on a busy bus.
    constexpr int kMaxReads = 64;
    CanFrameRecord frames[kIsoTpFramesPerRead];
    for (int i = 0; i < kMaxReads; ++i)
        if (port->Receive(frames, kIsoTpFramesPerRead) == 0)
            break;
    rxQueue_.clear();
    rxBacklog_.clear();
}

// ---- The program's link ---------------------------------------------------

IsoTpLink& TheIsoTpLink()
{
    static IsoTpLink link;
    return link;
}

std::vector<_tagUDS_BUFFER_>& UdsRxFrameQueue = TheIsoTpLink().RxFrameQueue();
std::string& LastRxFrameText = TheIsoTpLink().LastRxFrameText();

uint32_t IsoTpRxState() { return TheIsoTpLink().RxState(); }
uint32_t IsoTpTxState() { return TheIsoTpLink().TxState(); }
void IsoTpResetReceiver() { TheIsoTpLink().ResetReceiver(); }
void IsoTpResetSender() { TheIsoTpLink().ResetSender(); }
int IsoTpQueueRequest(const std::vector<uint8_t>& request) { return TheIsoTpLink().QueueRequest(request); }
int IsoTpMarkQueued() { return TheIsoTpLink().MarkQueued(); }
void PollIsoTpLink() { TheIsoTpLink().Poll(); }
int IsoTpRxComplete() { return TheIsoTpLink().RxCompleteFlag() ? 1 : 0; }
std::vector<uint8_t> IsoTpCopyRxBuffer() { return TheIsoTpLink().CopyRxBuffer(); }
int IsoTpTakeResponse() { return TheIsoTpLink().TakeResponse(); }
uint32_t IsoTpAnnouncedLength() { return TheIsoTpLink().AnnouncedLength(); }
int ReceiveCanFrames() { return TheIsoTpLink().ReceiveCanFrames(); }

} // namespace tarvel
