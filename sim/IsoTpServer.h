// The ECU side of ISO 15765-2 on one CAN link: reassembles the tester's
// requests (answering first frames with our own flow control and checking the
// sequence numbers) and segments our responses, paced by the tester's flow
// control (block size and STmin).
//
// The class is not thread-safe and never sends or waits by itself: its owner
// serialises every call (the simulated ECU holds its state lock), and the Host
// it is given carries frames out and runs the timers (consecutive-frame pacing,
// N_Bs while waiting for flow control, N_Cr while waiting for consecutive
// frames). Timer callbacks must be called with the same serialisation.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace sim {

class IsoTpServer {
public:
    // Largest message the 12-bit length of a classic first frame can announce.
    static constexpr size_t kMaxMessage = 4095;

    struct Settings {
        uint8_t blockSize = 0;       // what our flow control asks of the tester
        uint8_t stMin = 0;           // ditto, raw STmin byte
        bool padFrames = true;       // false: frames carry only their used bytes (short DLC)
        uint8_t padByte = 0x00;
        uint64_t flowControlTimeoutUs = 1000000;  // N_Bs
        uint64_t consecutiveTimeoutUs = 1000000;  // N_Cr
    };

    struct Counters {
        uint64_t framesIn = 0;
        uint64_t framesOut = 0;
        uint64_t sequenceErrors = 0;
        uint64_t ignoredFrames = 0;
        uint64_t receiveTimeouts = 0;      // N_Cr expired: request dropped
        uint64_t flowControlTimeouts = 0;  // N_Bs expired: response dropped
        uint64_t overflowsSent = 0;        // first frames refused with FC overflow
        uint64_t transmitsAborted = 0;     // response dropped (new request, FC overflow, bad FC)
    };

    class Host {
    public:
        virtual ~Host() = default;
        virtual void SendFrame(const std::array<uint8_t, 8>& data, uint8_t dlc) = 0;
        // Runs onExpiry after delayUs, under the owner's serialisation, unless
        // stopped first. Returns a non-zero id.
        virtual uint64_t StartTimer(uint64_t delayUs, std::function<void()> onExpiry) = 0;
        virtual void StopTimer(uint64_t id) = 0;
        virtual void RequestReceived(std::vector<uint8_t> request) = 0;
    };

    IsoTpServer(Host& host, Settings settings);
    IsoTpServer(const IsoTpServer&) = delete;
    IsoTpServer& operator=(const IsoTpServer&) = delete;

    void SetSettings(const Settings& settings) { settings_ = settings; }
    const Settings& GetSettings() const { return settings_; }

    // One received frame addressed to us (dlc is clipped to 8).
    void OnFrame(const uint8_t* data, uint8_t dlc);

    // Starts sending a response; a response still on its way is dropped.
    // False (nothing sent) for an empty or over-long message.
    bool Send(const std::vector<uint8_t>& message);

    // Drops whatever is being received or sent and stops the timers.
    void Reset();

    bool Receiving() const { return rxActive_; }
    bool Sending() const { return txState_ != TxState::Idle; }
    const Counters& GetCounters() const { return counters_; }

    // STmin byte to microseconds as ISO 15765-2 defines it; reserved values
    // count as the longest regular gap, 127 ms.
    static uint64_t StMinToUs(uint8_t stMin);

private:
    enum class TxState { Idle, AwaitingFlowControl, Sending };

    void Emit(std::array<uint8_t, 8> data, uint8_t used);
    void SendFlowControl(uint8_t status);
    void AbortReceive();
    void AbortTransmit();
    void StartTxTimer(uint64_t delayUs, void (IsoTpServer::*step)());
    void StopTxTimer();
    void RestartRxTimer();
    void StopRxTimer();
    void SendNextConsecutive();
    void FlowControlTimedOut();
    void ReceiveTimedOut();

    void OnSingleFrame(const uint8_t* data, uint8_t dlc);
    void OnFirstFrame(const uint8_t* data, uint8_t dlc);
    void OnConsecutiveFrame(const uint8_t* data, uint8_t dlc);
    void OnFlowControl(const uint8_t* data, uint8_t dlc);

    Host& host_;
    Settings settings_;
    Counters counters_;

    // Reception.
    bool rxActive_ = false;
    std::vector<uint8_t> rxBuffer_;
    size_t rxExpected_ = 0;
    uint8_t rxNextSn_ = 0;
    unsigned rxBlockCount_ = 0;
    uint64_t rxTimer_ = 0;

    // Transmission.
    TxState txState_ = TxState::Idle;
    std::vector<uint8_t> txMessage_;
    size_t txOffset_ = 0;
    uint8_t txSn_ = 0;
    uint8_t txBlockSize_ = 0;   // the tester's
    uint8_t txStMin_ = 0;       // the tester's
    unsigned txBlockCount_ = 0;
    uint64_t txTimer_ = 0;
};

} // namespace sim
