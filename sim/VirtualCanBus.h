// A virtual CAN bus. Nodes attach at a bit rate; a frame one node sends reaches
// every other attached node whose bit rate matches the bus (never the sender
// itself). A node whose bit rate differs from the bus's neither sends nor
// receives, as on a real bus where its frames end in error frames.
//
// Delivery is synchronous, on the sender's thread: when Send returns, every
// receiver holds the frame in its queue or has run its receive handler (the
// bus timing model can defer it to the frame's end, see SetTimingModel). With
// a VirtualClock installed, frames carry virtual time and runs are
// deterministic. The bus is thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace tarvel {
class Scheduler;
}

namespace sim {

struct CanFrame {
    uint8_t channel = 0;  // adapter channel the frame was seen on (set by the adapter layer)
    uint32_t id = 0;      // right-aligned, 11 or 29 bits
    bool extended = false;
    bool remote = false;
    uint8_t dlc = 0;      // 0..8
    std::array<uint8_t, 8> data{};
    uint64_t timeUs = 0;  // clock time when the frame was on the bus

    static CanFrame Extended(uint32_t id, std::initializer_list<uint8_t> bytes);
};

class CanBus;

class CanNode {
public:
    using Handler = std::function<void(const CanFrame&)>;

    ~CanNode();
    CanNode(const CanNode&) = delete;
    CanNode& operator=(const CanNode&) = delete;

    // Puts a frame on the bus. False when detached, when the node's bit rate
    // does not match the bus, or when the DLC is above 8.
    bool Send(const CanFrame& frame);

    // Takes the oldest received frame. False when none is waiting.
    bool Receive(CanFrame& out);
    size_t Pending() const;
    void ClearQueue();

    // With a handler set, received frames go to it instead of the queue.
    void SetReceiveHandler(Handler handler);

    void SetBitrate(uint32_t bitsPerSecond);
    uint32_t Bitrate() const;
    // Stops sending and receiving; the bus forgets the node.
    void Detach();
    bool Attached() const;
    // The bus the node was attached to (null once that bus is gone).
    std::shared_ptr<CanBus> Bus() const { return bus_.lock(); }

private:
    friend class CanBus;
    CanNode(std::weak_ptr<CanBus> bus, uint32_t bitrate) : bus_(std::move(bus)), bitrate_(bitrate) {}
    void Deliver(const CanFrame& frame);

    std::weak_ptr<CanBus> bus_;
    mutable std::mutex mutex_;
    uint32_t bitrate_;
    bool attached_ = true;
    std::deque<CanFrame> queue_;
    Handler handler_;
};

class CanBus : public std::enable_shared_from_this<CanBus> {
public:
    static std::shared_ptr<CanBus> Create(uint32_t bitsPerSecond);

    std::shared_ptr<CanNode> Attach(uint32_t nodeBitsPerSecond);
    uint32_t Bitrate() const { return bitrate_; }
    uint64_t FramesCarried() const;
    // Every frame that was on the bus, oldest first (for tests), when recording.
    void SetRecording(bool on);
    std::vector<CanFrame> Recorded() const;

    // Bus timing: with it on, each frame occupies the bus for its bit time
    // (CanBitTiming.h) at the bus's bit rate, starting when it is sent or when
    // the frame before it has left the bus, whichever is later; the frame is
    // stamped with the time it has completely passed. With a scheduler (the
    // virtual clock) the receivers get the frame only then, from a task of
    // that scheduler, so whoever waits for an answer waits as long as a real
    // bus takes to carry the request and the answer; without one delivery
    // stays synchronous and only the stamps and the bus time follow the
    // model. Off by default.
    //
    // Frames reach the receivers in the order they were on the bus, as on a
    // real bus, however late or out of turn the scheduler runs their tasks (a
    // real-time scheduler on a loaded machine does both): a frame's task
    // first hands over every frame that was on the bus before it. Frames
    // still on their way when the model is changed are lost.
    void SetTimingModel(bool on, tarvel::Scheduler* deliverer = nullptr);
    // Time all frames carried with the model on occupied the bus.
    uint64_t BusTimeUs() const;
    // When the last frame leaves the bus.
    uint64_t BusyUntilUs() const;

private:
    friend class CanNode;
    explicit CanBus(uint32_t bitrate) : bitrate_(bitrate) {}
    bool Carry(const CanNode* sender, const CanFrame& frame);
    // Hands the frames on their way to the receivers, oldest first, up to and
    // including the frame numbered `upTo`.
    void DeliverOnTheirWay(uint64_t upTo);
    void DeliverToOthers(const CanNode* sender, const CanFrame& frame);
    void Forget(const CanNode* node);

    const uint32_t bitrate_;
    mutable std::mutex mutex_;
    std::vector<std::weak_ptr<CanNode>> nodes_;
    uint64_t carried_ = 0;
    bool recording_ = false;
    std::vector<CanFrame> recorded_;
    bool timing_ = false;
    tarvel::Scheduler* deliverer_ = nullptr;
    uint64_t busTimeUs_ = 0;
    uint64_t busyUntilUs_ = 0;
    // Frames that passed the bus under the model, not yet handed to the
    // receivers, in bus order. The sender is only compared, never used: it
    // may be gone by the time the frame arrives.
    struct OnItsWay {
        uint64_t number = 0;
        const CanNode* sender = nullptr;
        CanFrame frame;
    };
    std::deque<OnItsWay> onTheirWay_;
    uint64_t lastNumber_ = 0;     // of the frame put on the bus last
    uint64_t deliverUpTo_ = 0;    // what the tasks that ran so far asked to be handed over
    bool delivering_ = false;     // one thread hands frames over at a time
};

} // namespace sim
