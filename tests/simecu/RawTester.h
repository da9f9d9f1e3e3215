// A bare tester node for driving the simulated ECU frame by frame on a virtual
// clock: it sends single, first and consecutive frames itself, answers the
// ECU's first frames with its own flow control and collects every frame and
// reassembled response the ECU sends.
#pragma once

#include "CanIdentifiers.h"
#include "IsoTpServer.h"
#include "VirtualCanBus.h"
#include "VirtualClock.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace simtest {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kRequestId = tarvel::kUdsRequestCanId;
constexpr uint32_t kResponseId = tarvel::kUdsResponseCanId;

struct Message {
    Bytes bytes;
    uint64_t timeUs = 0;
};

class RawTester {
public:
    RawTester(const std::shared_ptr<sim::CanBus>& bus, tarvel::VirtualClock& clock)
        : clock_(clock), node_(bus->Attach(bus->Bitrate()))
    {
        node_->SetReceiveHandler([this](const sim::CanFrame& f) { OnFrame(f); });
    }
    ~RawTester() { node_->SetReceiveHandler(nullptr); }

    // What our flow control asks of the ECU.
    uint8_t fcBlockSize = 0;
    uint8_t fcStMin = 5;
    bool autoFlowControl = true;

    // Every frame the ECU sent, and the flow controls among them.
    std::vector<sim::CanFrame> frames;
    std::deque<sim::CanFrame> flowControls;
    std::deque<Message> messages;
    unsigned receiveErrors = 0;

    void SendRaw(const Bytes& bytes, uint8_t dlc = 8, uint32_t id = kRequestId, bool extended = true)
    {
        sim::CanFrame f;
        f.id = id;
        f.extended = extended;
        f.dlc = dlc;
        for (size_t i = 0; i < bytes.size() && i < 8; ++i)
            f.data[i] = bytes[i];
        node_->Send(f);
    }

    void SendFlowControl(uint8_t status, uint8_t bs, uint8_t st) { SendRaw({uint8_t(0x30 | status), bs, st}); }

    // Sends a request as ISO-TP, honouring the ECU's flow control. False when
    // the ECU's flow control did not come within a second.
    bool Send(const Bytes& request)
    {
        if (request.size() <= 7) {
            Bytes sf{uint8_t(request.size())};
            sf.insert(sf.end(), request.begin(), request.end());
            SendRaw(sf);
            return true;
        }
        flowControls.clear();
        SendRaw({uint8_t(0x10 | (request.size() >> 8)), uint8_t(request.size()), request[0], request[1], request[2],
                 request[3], request[4], request[5]});
        size_t offset = 6;
        uint8_t sn = 1;
        while (offset < request.size()) {
            std::optional<sim::CanFrame> fc = AwaitFlowControl();
            if (!fc || (fc->data[0] & 0x0F) != 0)
                return false;
            const uint8_t bs = fc->data[1];
            const uint64_t gap = sim::IsoTpServer::StMinToUs(fc->data[2]);
            for (unsigned sent = 0; offset < request.size() && (bs == 0 || sent < bs); ++sent) {
                if (sent > 0)
                    clock_.Advance(gap);
                Bytes cf{uint8_t(0x20 | (sn & 0x0F))};
                for (size_t k = 0; k < 7 && offset < request.size(); ++k)
                    cf.push_back(request[offset++]);
                sn = uint8_t((sn + 1) & 0x0F);
                SendRaw(cf);
            }
        }
        return true;
    }

    std::optional<sim::CanFrame> AwaitFlowControl(uint64_t timeoutMs = 1000)
    {
        for (uint64_t waited = 0; flowControls.empty() && waited < timeoutMs; ++waited)
            clock_.Advance(1000);
        if (flowControls.empty())
            return std::nullopt;
        sim::CanFrame fc = flowControls.front();
        flowControls.pop_front();
        return fc;
    }

    // The next complete response, letting virtual time pass in 1 ms steps.
    std::optional<Message> Next(uint64_t timeoutMs = 3500)
    {
        clock_.RunDue();
        for (uint64_t waited = 0; messages.empty() && waited < timeoutMs; ++waited)
            clock_.Advance(1000);
        if (messages.empty())
            return std::nullopt;
        Message m = messages.front();
        messages.pop_front();
        return m;
    }

    // Sends and returns the final answer (response-pending answers skipped);
    // empty on time-out.
    Bytes Request(const Bytes& request, uint64_t timeoutMs = 3500)
    {
        messages.clear();
        if (!Send(request))
            return {};
        for (;;) {
            auto m = Next(timeoutMs);
            if (!m)
                return {};
            if (m->bytes.size() == 3 && m->bytes[0] == 0x7F && m->bytes[2] == 0x78)
                continue;
            return m->bytes;
        }
    }

private:
    void OnFrame(const sim::CanFrame& f)
    {
        if (f.id != kResponseId || !f.extended)
            return;
        frames.push_back(f);
        if (f.dlc == 0)
            return;
        const uint8_t* d = f.data.data();
        switch (d[0] >> 4) {
        case 0: {
            const size_t len = d[0] & 0x0F;
            if (len == 0 || len + 1 > f.dlc) {
                ++receiveErrors;
                return;
            }
            messages.push_back({Bytes(d + 1, d + 1 + len), f.timeUs});
            break;
        }
        case 1:
            rxExpected_ = (size_t(d[0] & 0x0F) << 8) | d[1];
            rxBuffer_.assign(d + 2, d + 8);
            rxNextSn_ = 1;
            rxActive_ = true;
            if (autoFlowControl)
                SendFlowControl(0, fcBlockSize, fcStMin);
            break;
        case 2: {
            if (!rxActive_ || (d[0] & 0x0F) != rxNextSn_) {
                ++receiveErrors;
                rxActive_ = false;
                return;
            }
            rxNextSn_ = uint8_t((rxNextSn_ + 1) & 0x0F);
            const size_t take = std::min<size_t>(7, rxExpected_ - rxBuffer_.size());
            if (size_t(f.dlc) < take + 1) {
                ++receiveErrors;
                rxActive_ = false;
                return;
            }
            rxBuffer_.insert(rxBuffer_.end(), d + 1, d + 1 + take);
            if (rxBuffer_.size() == rxExpected_) {
                rxActive_ = false;
                messages.push_back({rxBuffer_, f.timeUs});
            }
            break;
        }
        case 3:
            flowControls.push_back(f);
            break;
        default:
            ++receiveErrors;
        }
    }

    tarvel::VirtualClock& clock_;
    std::shared_ptr<sim::CanNode> node_;
    bool rxActive_ = false;
    size_t rxExpected_ = 0;
    uint8_t rxNextSn_ = 0;
    Bytes rxBuffer_;
};

} // namespace simtest
