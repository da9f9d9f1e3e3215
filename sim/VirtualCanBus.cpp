#include "VirtualCanBus.h"

#include "CanBitTiming.h"
#include "Clock.h"

#include <algorithm>

namespace sim {

CanFrame CanFrame::Extended(uint32_t id, std::initializer_list<uint8_t> bytes)
{
    CanFrame f;
    f.id = id;
    f.extended = true;
    f.dlc = 8;
    size_t i = 0;
    for (uint8_t b : bytes) {
        if (i == 8)
            break;
        f.data[i++] = b;
    }
    return f;
}

std::shared_ptr<CanBus> CanBus::Create(uint32_t bitsPerSecond)
{
    return std::shared_ptr<CanBus>(new CanBus(bitsPerSecond));
}

std::shared_ptr<CanNode> CanBus::Attach(uint32_t nodeBitsPerSecond)
{
    std::shared_ptr<CanNode> node(new CanNode(weak_from_this(), nodeBitsPerSecond));
    std::lock_guard<std::mutex> lock(mutex_);
    nodes_.push_back(node);
    return node;
}

uint64_t CanBus::FramesCarried() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return carried_;
}

void CanBus::SetRecording(bool on)
{
    std::lock_guard<std::mutex> lock(mutex_);
    recording_ = on;
}

std::vector<CanFrame> CanBus::Recorded() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return recorded_;
}

void CanBus::SetTimingModel(bool on, tarvel::Scheduler* deliverer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    timing_ = on;
    deliverer_ = on ? deliverer : nullptr;
    // Their tasks belong to the scheduler used so far, which may be gone; so
    // does the time the bus was busy until, on a clock that may be gone too
    // (the next one may start anywhere).
    onTheirWay_.clear();
    busyUntilUs_ = 0;
}

uint64_t CanBus::BusTimeUs() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return busTimeUs_;
}

uint64_t CanBus::BusyUntilUs() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return busyUntilUs_;
}

bool CanBus::Carry(const CanNode* sender, const CanFrame& sent)
{
    CanFrame frame = sent;
    tarvel::Scheduler* deliverer = nullptr;
    uint64_t number = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++carried_;
        if (timing_) {
            const uint64_t duration = CanFrameTimeUs(frame, bitrate_);
            const uint64_t start = std::max(frame.timeUs, busyUntilUs_);
            busyUntilUs_ = start + duration;
            busTimeUs_ += duration;
            frame.timeUs = busyUntilUs_;
            deliverer = deliverer_;
            if (deliverer) {
                number = ++lastNumber_;
                onTheirWay_.push_back({number, sender, frame});
            }
        }
        if (recording_)
            recorded_.push_back(frame);
    }
    if (deliverer) {
        // The receivers see the frame once its last bit has passed. The task
        // may run late, and later than the task of a frame behind it (the
        // sending thread can be held up between the clock read here and the
        // scheduler's own): it hands over whatever came before it first.
        const uint64_t now = tarvel::GetClock().NowUs();
        const uint64_t delay = frame.timeUs > now ? frame.timeUs - now : 0;
        std::weak_ptr<CanBus> weak = weak_from_this();
        deliverer->ScheduleIn(delay, [weak, number] {
            if (auto bus = weak.lock())
                bus->DeliverOnTheirWay(number);
        });
        return true;
    }
    DeliverToOthers(sender, frame);
    return true;
}

void CanBus::DeliverOnTheirWay(uint64_t upTo)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        deliverUpTo_ = std::max(deliverUpTo_, upTo);
        // Somebody is handing frames over already (another thread running a
        // task, or a receive handler of this one that let time pass): it
        // takes these too, in their turn.
        if (delivering_)
            return;
        delivering_ = true;
    }
    for (;;) {
        OnItsWay next;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (onTheirWay_.empty() || onTheirWay_.front().number > deliverUpTo_) {
                delivering_ = false;
                return;
            }
            next = std::move(onTheirWay_.front());
            onTheirWay_.pop_front();
        }
        DeliverToOthers(next.sender, next.frame);
    }
}

void CanBus::DeliverToOthers(const CanNode* sender, const CanFrame& frame)
{
    std::vector<std::shared_ptr<CanNode>> receivers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = nodes_.begin(); it != nodes_.end();) {
            auto n = it->lock();
            if (!n) {
                it = nodes_.erase(it);
                continue;
            }
            if (n.get() != sender)
                receivers.push_back(std::move(n));
            ++it;
        }
    }
    // Outside the bus lock: a receive handler may answer at once.
    for (auto& n : receivers)
        n->Deliver(frame);
}

void CanBus::Forget(const CanNode* node)
{
    std::lock_guard<std::mutex> lock(mutex_);
    nodes_.erase(std::remove_if(nodes_.begin(), nodes_.end(),
                                [node](const std::weak_ptr<CanNode>& w) {
                                    auto n = w.lock();
                                    return !n || n.get() == node;
                                }),
                 nodes_.end());
}

CanNode::~CanNode()
{
    if (auto bus = bus_.lock())
        bus->Forget(this);
}

bool CanNode::Send(const CanFrame& frame)
{
    if (frame.dlc > 8)
        return false;
    std::shared_ptr<CanBus> bus;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!attached_)
            return false;
        bus = bus_.lock();
        if (!bus || bitrate_ != bus->Bitrate())
            return false;
    }
    CanFrame stamped = frame;
    stamped.timeUs = tarvel::GetClock().NowUs();
    return bus->Carry(this, stamped);
}

void CanNode::Deliver(const CanFrame& frame)
{
    Handler handler;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto bus = bus_.lock();
        if (!attached_ || !bus || bitrate_ != bus->Bitrate())
            return;
        if (!handler_) {
            queue_.push_back(frame);
            return;
        }
        handler = handler_;
    }
    handler(frame);
}

bool CanNode::Receive(CanFrame& out)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty())
        return false;
    out = queue_.front();
    queue_.pop_front();
    return true;
}

size_t CanNode::Pending() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
}

void CanNode::ClearQueue()
{
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
}

void CanNode::SetReceiveHandler(Handler handler)
{
    std::lock_guard<std::mutex> lock(mutex_);
    handler_ = std::move(handler);
}

void CanNode::SetBitrate(uint32_t bitsPerSecond)
{
    std::lock_guard<std::mutex> lock(mutex_);
    bitrate_ = bitsPerSecond;
}

uint32_t CanNode::Bitrate() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return bitrate_;
}

void CanNode::Detach()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        attached_ = false;
        queue_.clear();
    }
    if (auto bus = bus_.lock())
        bus->Forget(this);
}

bool CanNode::Attached() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return attached_;
}

} // namespace sim
