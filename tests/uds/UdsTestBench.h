// The tester's side and a scripted ECU on one virtual bus, on a virtual clock.
// NodePort puts the UDS client straight onto a bus node; ScriptedEcu answers
// whole requests (it reassembles the tester's frames and segments its own
// answers) or lets a test send raw frames.
#pragma once

#include "CanPort.h"
#include "Clock.h"
#include "IsoTpLink.h"
#include "Prompter.h"
#include "UdsServices.h"
#include "VirtualCanBus.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "LanguageTable.h"

namespace udstest {

using Bytes = std::vector<uint8_t>;

// A CanPort over a bus node. Transmits can be made to fail.
class NodePort : public tarvel::CanPort {
public:
    explicit NodePort(std::shared_ptr<sim::CanNode> node) : node_(std::move(node)) {}

    bool Transmit(uint32_t id, const Bytes& data, const std::string& caption) override;
    size_t Receive(CanFrameRecord* out, size_t max) override;

    // Called with each frame's bytes before it goes; true makes it fail.
    std::function<bool(const Bytes&)> failIf;
    std::vector<std::string> captions;
    std::vector<size_t> lengths; // bytes handed in per successful transmit

private:
    std::shared_ptr<sim::CanNode> node_;
};

class ScriptedEcu {
public:
    ScriptedEcu(std::shared_ptr<sim::CanNode> node, tarvel::VirtualClock& clock);

    // Sends one frame on the response identifier: `bytes` padded to 8.
    void SendFrame(const Bytes& bytes, uint8_t dlc = 8);
    // Sends a message as a single frame, or a first frame whose consecutive
    // frames follow once the tester's flow control arrived.
    void SendMessage(const Bytes& message);
    void SendMessageIn(uint64_t ms, const Bytes& message);
    void SendFrameIn(uint64_t ms, const Bytes& bytes);

    // Answer to a complete request; default: none.
    std::function<void(const Bytes& request)> onRequest;
    // Answers the request with `response` at once.
    void AnswerWith(const Bytes& response)
    {
        onRequest = [this, response](const Bytes&) { SendMessage(response); };
    }
    // Flow control frames sent for each first frame from the tester. Each
    // entry: delay in ms after the first frame, and the frame bytes.
    std::vector<std::pair<uint64_t, Bytes>> flowControl{{0, {0x30, 0x00, 0x00}}};
    // The same after each full block of consecutive frames (the block size
    // of the last 30 sent) while the request is not complete; empty: the
    // entries of `flowControl` again. Delays count from the block's last frame.
    std::vector<std::pair<uint64_t, Bytes>> blockFlowControl;
    // Pause between our own consecutive frames; 0 sends them all at once.
    uint64_t consecutiveGapUs = 0;
    // Consecutive frames the tester sent without a flow control allowing them.
    int unpermittedFrames = 0;
    // Flow control frames we sent.
    int flowControlsSent = 0;

    std::vector<Bytes> requests;        // complete requests
    std::vector<Bytes> framesFromTester; // every frame, as 8 bytes
    std::vector<Bytes> flowControlsFromTester;

private:
    void OnFrame(const sim::CanFrame& frame);
    void SendFlowControlScript(const std::vector<std::pair<uint64_t, Bytes>>& script);
    void SendFlowControl(const Bytes& bytes);

    std::shared_ptr<sim::CanNode> node_;
    tarvel::VirtualClock& clock_;
    // Tester request reassembly.
    Bytes partial_;
    size_t expected_ = 0;
    uint8_t nextSeq_ = 1;
    int credit_ = 0; // consecutive frames the tester may still send; -1: no limit
    // Our own segmented message waiting for the tester's flow control.
    Bytes pending_;
    size_t pendingOffset_ = 0;
};

// Bus, clock, prompter, port and ECU for one test; resets the client's state.
class UdsFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Frames the tester put on the bus (request identifier), 8 bytes each.
    std::vector<Bytes> TesterFrames() const;
    uint64_t NowMs() const { return clock.NowUs() / 1000; }

    tarvel::VirtualClock clock;
    tarvel::ScopedClock scopedClock{clock};
    tarvel::RecordingPrompter prompter;
    tarvel::ScopedPrompter scopedPrompter{prompter};
    std::shared_ptr<sim::CanBus> bus = sim::CanBus::Create(500000);
    std::shared_ptr<sim::CanNode> testerNode = bus->Attach(500000);
    std::shared_ptr<sim::CanNode> ecuNode = bus->Attach(500000);
    NodePort port{testerNode};
    ScriptedEcu ecu{ecuNode, clock};
};

} // namespace udstest
