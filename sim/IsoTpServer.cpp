#include "IsoTpServer.h"

#include <algorithm>

namespace sim {

namespace {
constexpr uint8_t kFlowContinue = 0x0;
constexpr uint8_t kFlowWait = 0x1;
constexpr uint8_t kFlowOverflow = 0x2;
} // namespace

IsoTpServer::IsoTpServer(Host& host, Settings settings) : host_(host), settings_(settings) {}

uint64_t IsoTpServer::StMinToUs(uint8_t stMin)
{
    if (stMin <= 0x7F)
        return uint64_t(stMin) * 1000;
    if (stMin >= 0xF1 && stMin <= 0xF9)
        return uint64_t(stMin - 0xF0) * 100;
    return 127000;
}

void IsoTpServer::Emit(std::array<uint8_t, 8> data, uint8_t used)
{
    uint8_t dlc = used;
    if (settings_.padFrames) {
        for (size_t i = used; i < data.size(); ++i)
            data[i] = settings_.padByte;
        dlc = 8;
    } else {
        for (size_t i = used; i < data.size(); ++i)
            data[i] = 0;
    }
    ++counters_.framesOut;
    host_.SendFrame(data, dlc);
}

void IsoTpServer::SendFlowControl(uint8_t status)
{
    std::array<uint8_t, 8> fc{};
    fc[0] = uint8_t(0x30 | status);
    if (status == kFlowContinue) {
        fc[1] = settings_.blockSize;
        fc[2] = settings_.stMin;
    }
    // A flow control always carries its three bytes, even unpadded.
    Emit(fc, 3);
}

void IsoTpServer::OnFrame(const uint8_t* data, uint8_t dlc)
{
    ++counters_.framesIn;
    dlc = std::min<uint8_t>(dlc, 8);
    if (dlc == 0) {
        ++counters_.ignoredFrames;
        return;
    }
    switch (data[0] >> 4) {
    case 0x0: OnSingleFrame(data, dlc); break;
    case 0x1: OnFirstFrame(data, dlc); break;
    case 0x2: OnConsecutiveFrame(data, dlc); break;
    case 0x3: OnFlowControl(data, dlc); break;
    default: ++counters_.ignoredFrames; break;
    }
}

void IsoTpServer::OnSingleFrame(const uint8_t* data, uint8_t dlc)
{
    const uint8_t length = data[0] & 0x0F;
    // SF_DL 0 is the CAN FD escape, 8 and above do not fit a classic frame,
    // and the frame must actually carry the bytes it announces.
    if (length == 0 || length > 7 || length + 1 > dlc) {
        ++counters_.ignoredFrames;
        return;
    }
    // A new request ends whatever exchange was going on.
    if (rxActive_)
        AbortReceive();
    if (txState_ != TxState::Idle)
        AbortTransmit();
    host_.RequestReceived(std::vector<uint8_t>(data + 1, data + 1 + length));
}

void IsoTpServer::OnFirstFrame(const uint8_t* data, uint8_t dlc)
{
    if (dlc < 8) {
        ++counters_.ignoredFrames;
        return;
    }
    if (rxActive_)
        AbortReceive();
    if (txState_ != TxState::Idle)
        AbortTransmit();

    const size_t length = (size_t(data[0] & 0x0F) << 8) | data[1];
    if (length == 0) {
        // The escape to a 32-bit length: more than we can take.
        ++counters_.overflowsSent;
        SendFlowControl(kFlowOverflow);
        return;
    }
    if (length < 8) {
        // A message this short belongs in a single frame.
        ++counters_.ignoredFrames;
        return;
    }
    rxActive_ = true;
    rxExpected_ = length;
    rxBuffer_.assign(data + 2, data + 8);
    rxBuffer_.reserve(length);
    rxNextSn_ = 1;
    rxBlockCount_ = 0;
    SendFlowControl(kFlowContinue);
    RestartRxTimer();
}

void IsoTpServer::OnConsecutiveFrame(const uint8_t* data, uint8_t dlc)
{
    if (!rxActive_) {
        ++counters_.ignoredFrames;
        return;
    }
    const uint8_t sn = data[0] & 0x0F;
    if (sn != rxNextSn_) {
        // A lost or repeated frame: the request cannot be trusted any more.
        ++counters_.sequenceErrors;
        AbortReceive();
        return;
    }
    const size_t remaining = rxExpected_ - rxBuffer_.size();
    const size_t take = std::min<size_t>(7, remaining);
    if (size_t(dlc) - 1 < take) {
        ++counters_.ignoredFrames;
        return;
    }
    rxBuffer_.insert(rxBuffer_.end(), data + 1, data + 1 + take);
    rxNextSn_ = uint8_t((rxNextSn_ + 1) & 0x0F);

    if (rxBuffer_.size() == rxExpected_) {
        StopRxTimer();
        rxActive_ = false;
        std::vector<uint8_t> request;
        request.swap(rxBuffer_);
        host_.RequestReceived(std::move(request));
        return;
    }
    RestartRxTimer();
    if (settings_.blockSize != 0 && ++rxBlockCount_ == settings_.blockSize) {
        rxBlockCount_ = 0;
        SendFlowControl(kFlowContinue);
    }
}

void IsoTpServer::OnFlowControl(const uint8_t* data, uint8_t dlc)
{
    if (txState_ != TxState::AwaitingFlowControl || dlc < 3) {
        ++counters_.ignoredFrames;
        return;
    }
    switch (data[0] & 0x0F) {
    case kFlowContinue:
        StopTxTimer();
        txBlockSize_ = data[1];
        txStMin_ = data[2];
        txBlockCount_ = 0;
        txState_ = TxState::Sending;
        // The first consecutive frame may follow the flow control at once;
        // STmin is the gap between consecutive frames.
        StartTxTimer(0, &IsoTpServer::SendNextConsecutive);
        break;
    case kFlowWait:
        StartTxTimer(settings_.flowControlTimeoutUs, &IsoTpServer::FlowControlTimedOut);
        break;
    case kFlowOverflow:
    default:
        AbortTransmit();
        break;
    }
}

bool IsoTpServer::Send(const std::vector<uint8_t>& message)
{
    if (message.empty() || message.size() > kMaxMessage)
        return false;
    if (txState_ != TxState::Idle)
        AbortTransmit();

    std::array<uint8_t, 8> frame{};
    if (message.size() <= 7) {
        frame[0] = uint8_t(message.size());
        std::copy(message.begin(), message.end(), frame.begin() + 1);
        Emit(frame, uint8_t(message.size() + 1));
        return true;
    }
    txMessage_ = message;
    frame[0] = uint8_t(0x10 | ((message.size() >> 8) & 0x0F));
    frame[1] = uint8_t(message.size() & 0xFF);
    std::copy(message.begin(), message.begin() + 6, frame.begin() + 2);
    txOffset_ = 6;
    txSn_ = 1;
    txState_ = TxState::AwaitingFlowControl;
    Emit(frame, 8);
    // Emit may have re-entered us through a tester that answers at once; only
    // arm N_Bs when we are still waiting.
    if (txState_ == TxState::AwaitingFlowControl && txTimer_ == 0)
        StartTxTimer(settings_.flowControlTimeoutUs, &IsoTpServer::FlowControlTimedOut);
    return true;
}

void IsoTpServer::SendNextConsecutive()
{
    if (txState_ != TxState::Sending)
        return;
    std::array<uint8_t, 8> frame{};
    frame[0] = uint8_t(0x20 | (txSn_ & 0x0F));
    const size_t take = std::min<size_t>(7, txMessage_.size() - txOffset_);
    std::copy(txMessage_.begin() + txOffset_, txMessage_.begin() + txOffset_ + take, frame.begin() + 1);
    txOffset_ += take;
    txSn_ = uint8_t((txSn_ + 1) & 0x0F);
    const bool last = txOffset_ >= txMessage_.size();
    if (last) {
        txState_ = TxState::Idle;
        txMessage_.clear();
    } else if (txBlockSize_ != 0 && ++txBlockCount_ == txBlockSize_) {
        txState_ = TxState::AwaitingFlowControl;
    }
    Emit(frame, uint8_t(take + 1));
    if (last || txTimer_ != 0)
        return;
    if (txState_ == TxState::AwaitingFlowControl)
        StartTxTimer(settings_.flowControlTimeoutUs, &IsoTpServer::FlowControlTimedOut);
    else if (txState_ == TxState::Sending)
        StartTxTimer(StMinToUs(txStMin_), &IsoTpServer::SendNextConsecutive);
}

void IsoTpServer::FlowControlTimedOut()
{
    ++counters_.flowControlTimeouts;
    txState_ = TxState::Idle;
    txMessage_.clear();
}

void IsoTpServer::ReceiveTimedOut()
{
    ++counters_.receiveTimeouts;
    rxActive_ = false;
    rxBuffer_.clear();
}

void IsoTpServer::StartTxTimer(uint64_t delayUs, void (IsoTpServer::*step)())
{
    StopTxTimer();
    txTimer_ = host_.StartTimer(delayUs, [this, step] {
        txTimer_ = 0;
        (this->*step)();
    });
}

void IsoTpServer::StopTxTimer()
{
    if (txTimer_ != 0) {
        host_.StopTimer(txTimer_);
        txTimer_ = 0;
    }
}

void IsoTpServer::RestartRxTimer()
{
    StopRxTimer();
    rxTimer_ = host_.StartTimer(settings_.consecutiveTimeoutUs, [this] {
        rxTimer_ = 0;
        ReceiveTimedOut();
    });
}

void IsoTpServer::StopRxTimer()
{
    if (rxTimer_ != 0) {
        host_.StopTimer(rxTimer_);
        rxTimer_ = 0;
    }
}

void IsoTpServer::AbortReceive()
{
    StopRxTimer();
    rxActive_ = false;
    rxBuffer_.clear();
}

void IsoTpServer::AbortTransmit()
{
    StopTxTimer();
    if (txState_ != TxState::Idle)
        ++counters_.transmitsAborted;
    txState_ = TxState::Idle;
    txMessage_.clear();
}

void IsoTpServer::Reset()
{
    AbortReceive();
    StopTxTimer();
    txState_ = TxState::Idle;
    txMessage_.clear();
}

} // namespace sim
