#include "UdsTestBench.h"

#include "UdsEngine.h"

#include <algorithm>

namespace udstest {

bool NodePort::Transmit(uint32_t id, const Bytes& data, const std::string& caption)
{
    if (failIf && failIf(data))
        return false;
    sim::CanFrame f;
    f.id = id;
    f.extended = true;
    f.dlc = 8;
    std::copy_n(data.begin(), std::min<size_t>(8, data.size()), f.data.begin());
    if (!node_->Send(f))
        return false;
    captions.push_back(caption);
    lengths.push_back(data.size());
    return true;
}

size_t NodePort::Receive(CanFrameRecord* out, size_t max)
{
    size_t n = 0;
    sim::CanFrame f;
    while (n < max && node_->Receive(f)) {
        CanFrameRecord r{};
        r.ID = f.id;
        r.TimeStamp = static_cast<uint32_t>(f.timeUs / 100);
        r.TimeFlag = 1;
        r.RemoteFlag = f.remote ? 1 : 0;
        r.ExternFlag = f.extended ? 1 : 0;
        r.DataLen = f.dlc;
        std::copy(f.data.begin(), f.data.end(), r.Data);
        out[n++] = r;
    }
    return n;
}

ScriptedEcu::ScriptedEcu(std::shared_ptr<sim::CanNode> node, tarvel::VirtualClock& clock)
    : node_(std::move(node)), clock_(clock)
{
    node_->SetReceiveHandler([this](const sim::CanFrame& f) { OnFrame(f); });
}

void ScriptedEcu::SendFrame(const Bytes& bytes, uint8_t dlc)
{
    sim::CanFrame f;
    f.id = tarvel::kUdsResponseCanId;
    f.extended = true;
    f.dlc = dlc;
    std::copy_n(bytes.begin(), std::min<size_t>(8, bytes.size()), f.data.begin());
    node_->Send(f);
}

void ScriptedEcu::SendMessage(const Bytes& message)
{
    if (message.size() < 8) {
        Bytes sf{static_cast<uint8_t>(message.size())};
        sf.insert(sf.end(), message.begin(), message.end());
        SendFrame(sf);
        return;
    }
    Bytes ff{static_cast<uint8_t>(0x10 | ((message.size() >> 8) & 0x0F)), static_cast<uint8_t>(message.size())};
    ff.insert(ff.end(), message.begin(), message.begin() + 6);
    pending_ = message;
    pendingOffset_ = 6;
    SendFrame(ff);
}

void ScriptedEcu::SendMessageIn(uint64_t ms, const Bytes& message)
{
    clock_.ScheduleIn(ms * 1000, [this, message] { SendMessage(message); });
}

void ScriptedEcu::SendFrameIn(uint64_t ms, const Bytes& bytes)
{
    clock_.ScheduleIn(ms * 1000, [this, bytes] { SendFrame(bytes); });
}

void ScriptedEcu::SendFlowControl(const Bytes& bytes)
{
    if (!bytes.empty() && bytes[0] == 0x30)
        credit_ = bytes.size() > 1 && bytes[1] != 0 ? bytes[1] : -1;
    else
        credit_ = 0;
    ++flowControlsSent;
    SendFrame(bytes);
}

void ScriptedEcu::SendFlowControlScript(const std::vector<std::pair<uint64_t, Bytes>>& script)
{
    // Every entry goes, each after its own delay.
    for (const auto& entry : script) {
        if (entry.first == 0) {
            SendFlowControl(entry.second);
        } else {
            const Bytes bytes = entry.second;
            clock_.ScheduleIn(entry.first * 1000, [this, bytes] { SendFlowControl(bytes); });
        }
    }
}

void ScriptedEcu::OnFrame(const sim::CanFrame& frame)
{
    if (frame.id != tarvel::kUdsRequestCanId)
        return;
    Bytes bytes(frame.data.begin(), frame.data.begin() + frame.dlc);
    framesFromTester.push_back(bytes);
    if (bytes.empty())
        return;
    const uint8_t kind = bytes[0] >> 4;
    if (kind == 0) {
        const size_t n = std::min<size_t>(bytes[0] & 0x0F, bytes.size() - 1);
        Bytes request(bytes.begin() + 1, bytes.begin() + 1 + static_cast<std::ptrdiff_t>(n));
        requests.push_back(request);
        if (onRequest)
            onRequest(request);
    } else if (kind == 1) {
        expected_ = static_cast<size_t>(bytes[0] & 0x0F) << 8 | bytes[1];
        partial_.assign(bytes.begin() + 2, bytes.end());
        nextSeq_ = 1;
        credit_ = 0;
        SendFlowControlScript(flowControl);
    } else if (kind == 2) {
        if (credit_ == 0)
            ++unpermittedFrames;
        else if (credit_ > 0)
            --credit_;
        if ((bytes[0] & 0x0F) != nextSeq_) {
            partial_.clear();
            expected_ = 0;
            return;
        }
        nextSeq_ = (nextSeq_ + 1) & 0x0F;
        partial_.insert(partial_.end(), bytes.begin() + 1, bytes.end());
        if (expected_ != 0 && partial_.size() >= expected_) {
            partial_.resize(expected_);
            requests.push_back(partial_);
            expected_ = 0;
            if (onRequest)
                onRequest(requests.back());
        } else if (credit_ == 0) {
            SendFlowControlScript(blockFlowControl.empty() ? flowControl : blockFlowControl);
        }
    } else if (kind == 3) {
        flowControlsFromTester.push_back(bytes);
        if (bytes[0] != 0x30 || pending_.empty())
            return;
        // Unless a gap is set, every consecutive frame at once: the tester
        // asks for STmin, but arriving early only queues them in its receive
        // buffer.
        uint8_t seq = 1;
        uint64_t k = 0;
        while (pendingOffset_ < pending_.size()) {
            Bytes cf{static_cast<uint8_t>(0x20 | (seq & 0x0F))};
            const size_t n = std::min<size_t>(7, pending_.size() - pendingOffset_);
            cf.insert(cf.end(), pending_.begin() + static_cast<std::ptrdiff_t>(pendingOffset_),
                      pending_.begin() + static_cast<std::ptrdiff_t>(pendingOffset_ + n));
            pendingOffset_ += n;
            seq = static_cast<uint8_t>((seq + 1) & 0x0F);
            if (consecutiveGapUs == 0)
                SendFrame(cf);
            else
                clock_.ScheduleIn(++k * consecutiveGapUs, [this, cf] { SendFrame(cf); });
        }
        pending_.clear();
    }
}

void UdsFixture::SetUp()
{
    tarvel::SetCanPort(&port);
    tarvel::TestRunning = 0;
    tarvel::UdsQuiet = 0;
    tarvel::UdsTimeoutCount = 0;
    tarvel::ProgrammingSessionSeen = 0;
    tarvel::RequestCanId = tarvel::kUdsRequestCanId;
    tarvel::UdsResponseTimeoutMs = tarvel::kUdsResponseTimeoutMs;
    LanguageIndex = 1;
    tarvel::ResetUdsBuffers();
    tarvel::TheIsoTpLink().ResetReceiver();
    tarvel::TheIsoTpLink().ResetSender();
    bus->SetRecording(true);
}

void UdsFixture::TearDown() { tarvel::SetCanPort(nullptr); }

std::vector<Bytes> UdsFixture::TesterFrames() const
{
    std::vector<Bytes> out;
    for (const sim::CanFrame& f : bus->Recorded()) {
        if (f.id == tarvel::kUdsRequestCanId) {
            EXPECT_EQ(f.dlc, 8) << "every tester frame is 8 bytes long";
            EXPECT_TRUE(f.extended);
            out.emplace_back(f.data.begin(), f.data.end());
        }
    }
    return out;
}

} // namespace udstest
