#include "AdapterSwitchPort.h"

#include "CanAdapterSwitch.h"
#include "CanDriverLibraries.h"
#include "DravixBinding.h"
#include "KvaserChannel.h"
#include "VectorXlDriver.h"

#include <algorithm>
#include <cstring>

namespace tarvel {

namespace {

constexpr uint32_t kReadError = 0xFFFFFFFFu;

size_t ClipLengths(CanFrameRecord* out, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (out[i].DataLen > 8)
            out[i].DataLen = 8;
    return n;
}

} // namespace

bool AdapterSwitchPort::Transmit(uint32_t id, const std::vector<uint8_t>& data, const std::string& caption)
{
    return TransmitCanFrame(id, static_cast<int32_t>(std::min<size_t>(data.size(), 8)), data, caption, 1) == 1;
}

std::optional<uint32_t> AdapterSwitchPort::TraceDeviceType() const { return lastType_.load(); }

size_t AdapterSwitchPort::Receive(CanFrameRecord* out, size_t max)
{
    if (!out || max == 0)
        return 0;
    const uint32_t type = CanDeviceType;
    const uint32_t index = CanDeviceIndex;
    const uint32_t channel = CanChannel;
    const uint32_t want = static_cast<uint32_t>(std::min(max, kBatch));
    // The link's receive trace names the adapter type the frames came from.
    lastType_.store(type);

    switch (CanBackendOf(type)) {
    case CanBackend::Dravix: {
        const DravixApi* dv = GetDravix();
        const uint32_t pending = dv ? dv->GetReceiveNum(type, index, channel) : 0;
        // Nothing pending: no pause here. The link's wait pauses itself when
        // a round brought nothing; a pause here would hold up every frame it
        // sends between two reads (a download's consecutive frames).
        if (pending == 0 || pending == kReadError)
            return 0;
        const uint32_t n = dv->Receive(type, index, channel, out, want, 500);
        if (n == kReadError) {
            CanErrorInfo err{};
            dv->ReadErrInfo(type, index, channel, &err);
            return 0;
        }
        return ClipLengths(out, std::min(n, want));
    }
    case CanBackend::Kvaser: {
        if (KvaserChannel) {
            CanlibMessage msg;
            msg.length = 8;
            if (KvaserChannel->Read(msg) == 0) {
                CanFrameRecord& f = out[0];
                std::memset(&f, 0, sizeof f);
                f.ID = static_cast<uint32_t>(msg.id);
                f.TimeStamp = msg.time;
                f.TimeFlag = 1;
                f.RemoteFlag = (msg.flags & canMSG_RTR) ? 1 : 0;
                f.ExternFlag = (msg.flags & canMSG_EXT) ? 1 : 0;
                f.DataLen = static_cast<uint8_t>(std::min<uint32_t>(msg.length, 8));
                std::memcpy(f.Data, msg.data, 8);
                return 1;
            }
        }
        return 0;  // no pause: see Dravix above
    }
    case CanBackend::Vector: {
        CCANFunctions& xl = GetVectorCanFunctions();
        if (!xl.PortValid())
            return 0;
        XLevent ev;
        std::memset(&ev, 0, sizeof ev);
        unsigned int count = 1;
        if (xl.Receive(&count, &ev) != XL_SUCCESS || count == 0)
            return 0; // queue empty (status 10): no pause
        if (ev.tag != XL_RECEIVE_MSG)
            return 0;
        CanFrameRecord& f = out[0];
        std::memset(&f, 0, sizeof f);
        const uint32_t xlId = ev.tagData.msg.id;
        if (xlId & XL_CAN_EXT_MSG_ID) {
            f.ID = xlId & 0x1FFFFFFFu;
            f.ExternFlag = 1;
        } else {
            f.ID = xlId;
        }
        f.TimeStamp = static_cast<uint32_t>(ev.timeStamp);
        f.TimeFlag = 1;
        f.DataLen = static_cast<uint8_t>(std::min<uint32_t>(ev.tagData.msg.dlc, 8));
        f.RemoteFlag = (ev.tagData.msg.flags & XL_CAN_MSG_FLAG_REMOTE_FRAME) ? 1 : 0;
        std::memcpy(f.Data, ev.tagData.msg.data, 8);
        // Only the ECU's answers count on this back-end.
        return f.ID == kUdsResponseId ? 1 : 0;
    }
    case CanBackend::ControlCan: {
        const uint32_t pending = ControlCan().VCI_GetReceiveNum(type, index, channel);
        if (pending == 0 || pending == kReadError)
            return 0;
        const uint32_t n = ControlCan().VCI_Receive(type, index, channel, out, want, 200);
        if (n == kReadError) {
            CanErrorInfo err{};
            ControlCan().VCI_ReadErrInfo(type, index, channel, &err);
            return 0;
        }
        // What was not read stays queued for the next call: clearing the
        // buffer here would throw away frames that arrived meanwhile.
        return ClipLengths(out, std::min(n, want));
    }
    }
    return 0;
}

} // namespace tarvel
