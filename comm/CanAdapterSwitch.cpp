#include "CanAdapterSwitch.h"

#include "Clock.h"
#include "CanDriverLibraries.h"
#include "DravixBinding.h"
#include "KvaserChannel.h"
#include "Log.h"
#include "VectorXlDriver.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace tarvel {

std::atomic<int32_t> SelectedCanAdapter{-1};
std::atomic<int32_t> SelectedCanBaud{-1};
std::atomic<int32_t> OpenCanBaudRow{0};
std::atomic<uint32_t> CanDeviceType{0};
std::atomic<uint32_t> CanDeviceIndex{0};
std::atomic<uint32_t> CanChannel{0};
std::atomic<int32_t> CanDeviceOpen{0};
std::unique_ptr<CanlibChannel> KvaserChannel;
std::atomic<int32_t> VectorDriverReady{0};

const std::array<CanAdapterRow, 4> CanAdapterTable = {{
    {kCanTypeKestrin, "Kestrin@Morvane"},
    {kCanTypeHolvar, "Holvar@Morvane"},
    {kCanTypeKvaser, "Pellix-II@Kvaser"},
    {kCanTypeVector, "VECTOR-XL@Vector"},
}};

const std::array<CanBaudRow, 2> CanBaudTable = {{
    {500, 0x00060007, -2, 0x00, 0x1C, {0, 0}},
    {125, 0x001C0011, -4, 0x03, 0x1C, {0, 0}},
}};

const CanErrorTextRow CanErrorTextTable[15] = {
    {0x0001, "CAN控制器内部FIFO溢出"},
    {0x0002, "CAN控制器错误报警"},
    {0x0004, "CAN控制器消极错误"},
    {0x0008, "CAN控制器仲裁丢失"},
    {0x0010, "CAN控制器总线错误"},
    {0x0020, "CAN控制器总线关闭"},
    {0x0100, "设备已经打开"},
    {0x0200, "打开设备错误"},
    {0x0400, "设备没有打开"},
    {0x0800, "缓冲区溢出"},
    {0x1000, "此设备不存在"},
    {0x2000, "装载动态库失败"},
    {0x4000, "执行命令失败错误码"},
    {0x8000, "内存不足"},
    {0, nullptr},
};

namespace {

// The Kvaser path names its adapter this way in its texts.
const char* const kKvaserTraceName = "Pellix_II_Kvaser";
constexpr uint32_t kUdsAcceptCode = kUdsResponseId << 3; // 0xC6D7C858
constexpr uint32_t kUdsAcceptMask = 0x00000007;

std::mutex g_tableMutex;
const CanAdapterRow* g_rows = nullptr; // null: the shipped table
size_t g_rowCount = 0;

// The view's copy of the open adapter (UI thread only).
OpenAdapterInfo g_open;

std::string Format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
std::string Format(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    va_list copy;
    va_copy(copy, ap);
    const int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(&out[0], out.size(), fmt, ap);
        out.resize(static_cast<size_t>(n));
    }
    va_end(ap);
    return out;
}

const char* Name() { return g_open.name.c_str(); }

bool ValidBaudRow(int32_t row) { return row >= 0 && static_cast<size_t>(row) < CanBaudTable.size(); }

CanInitConfig ControlCanInitRecord(int32_t baudRow)
{
    CanInitConfig cfg{};
    cfg.AccCode = kUdsAcceptCode;
    cfg.AccMask = kUdsAcceptMask;
    cfg.Timing0 = CanBaudTable[static_cast<size_t>(baudRow)].Timing0;
    cfg.Timing1 = CanBaudTable[static_cast<size_t>(baudRow)].Timing1;
    return cfg;
}

void TraceBoardInfo(const CanBoardInfo& info)
{
    // The strings come from the device: bound them in case it filled every byte.
    const std::string serial(info.str_Serial_Num, strnlen(info.str_Serial_Num, sizeof info.str_Serial_Num));
    const std::string hwType(info.str_hw_Type, strnlen(info.str_hw_Type, sizeof info.str_hw_Type));
    TraceLog(Format("Message:device\"%s\"<hw:%x,fw:%x,dr:%x,in:%x;irq_Num:%u;can_Num:%u;Serial:%s;hw_Type:%s>",
                    Name(), info.hw_Version, info.fw_Version, info.dr_Version, info.in_Version, info.irq_Num,
                    info.can_Num, serial.c_str(), hwType.c_str()));
}

} // namespace

const CanAdapterRow* CanAdapterRows()
{
    std::lock_guard<std::mutex> lock(g_tableMutex);
    return g_rows ? g_rows : CanAdapterTable.data();
}

size_t CanAdapterRowCount()
{
    std::lock_guard<std::mutex> lock(g_tableMutex);
    return g_rows ? g_rowCount : CanAdapterTable.size();
}

void SetCanAdapterTableForTest(const CanAdapterRow* rows, size_t count)
{
    std::lock_guard<std::mutex> lock(g_tableMutex);
    g_rows = rows;
    g_rowCount = rows ? count : 0;
}

OpenAdapterInfo OpenAdapterCopy() { return g_open; }

std::string AnsiToCString(const std::string& text) { return text; }

CanBackend CanBackendOf(uint32_t typeCode)
{
    switch (typeCode) {
    case kCanTypeKestrin:
    case kCanTypeHolvar:
        return CanBackend::ControlCan;
    case kCanTypeKvaser:
        return CanBackend::Kvaser;
    case kCanTypeVector:
        return CanBackend::Vector;
    default:
        return CanBackend::Dravix;
    }
}

std::string CanErrorTexts(uint32_t errCode)
{
    std::string out;
    for (const CanErrorTextRow* row = CanErrorTextTable; row->Text; ++row)
        if (errCode & row->Bit)
            out += std::string(";") + row->Text;
    return out;
}

int InitVectorDriver()
{
    const int status = GetVectorCanFunctions().InitDriver();
    VectorDriverReady = status == XL_SUCCESS ? 1 : 0;
    return status;
}

int32_t OpenCanDevice(int32_t adapterRow, uint32_t deviceIndex, uint32_t channel, int32_t baudRow,
                      uint32_t filterFlag, uint32_t filterStart, uint32_t filterEnd)
{
    // An out-of-range row would index past the tables; refuse before any
    // adapter is touched.
    const size_t rowCount = CanAdapterRowCount();
    if (adapterRow < 0 || static_cast<size_t>(adapterRow) >= rowCount || !ValidBaudRow(baudRow)) {
        TraceLog(Format("Error: open device: adapter row %d or baud row %d out of range", adapterRow, baudRow));
        return 0;
    }
    // Opening over an open adapter would leak its handle and leave the old
    // channel on the bus: close it first.
    if (CanDeviceOpen > 0)
        CloseCanDevice();

    OpenCanBaudRow = baudRow;
    const CanAdapterRow row = CanAdapterRows()[adapterRow];
    g_open.type = row.TypeCode;
    g_open.name = AnsiToCString(row.DisplayName ? row.DisplayName : "");

    int32_t result = 0;
    switch (CanBackendOf(row.TypeCode)) {
    case CanBackend::ControlCan:
        result = OpenControlCanDevice(deviceIndex, channel, baudRow, filterFlag, filterStart, filterEnd);
        break;
    case CanBackend::Kvaser:
        result = OpenKvaserDevice(deviceIndex, channel, baudRow);
        break;
    case CanBackend::Vector:
        SayCanDriver(GetVectorCanFunctions().DriverLine());
        result = VectorDriverReady == 1 ? 1 : 0;
        break;
    case CanBackend::Dravix:
        result = OpenAdapterDllDevice(deviceIndex, channel, baudRow, filterFlag, filterStart, filterEnd);
        break;
    }
    CanDeviceOpen = result == 1 ? 1 : 0;
    return result;
}

int32_t OpenControlCanDevice(uint32_t deviceIndex, uint32_t channel, int32_t baudRow, uint32_t filterFlag,
                             uint32_t filterStart, uint32_t filterEnd)
{
    if (!ValidBaudRow(baudRow))
        return 0;
    const uint32_t type = g_open.type;
    // Both maker-branded types get the filled record: type 20 also carries
    // its bit rate by reference code, but an unfilled record would hand the
    // library an undefined acceptance filter and timing.
    CanInitConfig cfg = ControlCanInitRecord(baudRow);
    g_open.index = deviceIndex;
    g_open.channel = channel;
    // The vendor's library when it is installed, else the stand-in; with
    // neither (or an incomplete library) every call below fails.
    ChooseControlCanDriver();

    TraceLog(Format("Prompt: open device\"%s\"DevType:%d,DevIndex:%d;Channel:%d!", Name(), static_cast<int>(type),
                    static_cast<int>(deviceIndex), static_cast<int>(channel)));
    if (ControlCan().VCI_OpenDevice(type, deviceIndex, 0) != 1) {
        TraceLog(Format("Error: open device\"%s\"%d,%d; failed！", Name(), static_cast<int>(type),
                        static_cast<int>(deviceIndex)));
        return 0;
    }
    if (type == kCanTypeKestrin) {
        uint32_t reference = CanBaudTable[static_cast<size_t>(baudRow)].ReferenceCode;
        if (ControlCan().VCI_SetReference(type, deviceIndex, channel, 0, &reference) != 1) {
            TraceLog(Format("Warning:\"%s\" DevType:%d,m_dwDeviceInd:%d,Channel:%d;BaudRate:%d;Error setting baud "
                            "rate, failed to open device!",
                            Name(), static_cast<int>(type), static_cast<int>(deviceIndex), static_cast<int>(channel),
                            static_cast<int>(CanBaudTable[static_cast<size_t>(baudRow)].Kbps)));
            ControlCan().VCI_CloseDevice(type, deviceIndex);
            return 0;
        }
    }
    if (ControlCan().VCI_InitCAN(type, deviceIndex, channel, &cfg) != 1) {
        TraceLog(Format("Error: initializes device\"%s\" DevType:%d,m_dwDeviceInd:%d,Channel:%d!", Name(),
                        static_cast<int>(type), static_cast<int>(deviceIndex), static_cast<int>(channel)));
        ControlCan().VCI_CloseDevice(type, deviceIndex);
        return 0;
    }
    if (filterFlag != 0) {
        CanFilterRecord entry{1, filterStart, filterEnd};
        if (filterEnd < filterStart) {
            TraceLog(Format("Error: filter range start ID(0x%x)It shouldn't be greater than the end ID(0x%x)!",
                            filterStart, filterEnd));
            ControlCan().VCI_CloseDevice(type, deviceIndex);
            return 0;
        }
        if (ControlCan().VCI_SetReference(type, deviceIndex, channel, 1, &entry) != 1) {
            TraceLog("Error: failed to populate filter entry!");
            ControlCan().VCI_CloseDevice(type, deviceIndex);
            return 0;
        }
        if (ControlCan().VCI_SetReference(type, deviceIndex, channel, 2, nullptr) != 1) {
            TraceLog("Error: failed to validate the filter table!");
            ControlCan().VCI_CloseDevice(type, deviceIndex);
            return 0;
        }
    }
    CanBoardInfo info{};
    ControlCan().VCI_ReadBoardInfo(type, deviceIndex, &info);
    TraceBoardInfo(info);
    CanErrorInfo err{};
    ControlCan().VCI_ReadErrInfo(type, deviceIndex, channel, &err);
    TraceLog(Format("Message:device\"%s\"[%d,%d]的%d CAN Channel;ErrCode:%u!", Name(), static_cast<int>(type),
                    static_cast<int>(deviceIndex), static_cast<int>(channel), err.ErrCode));
    TraceLog(Format("Message:open device\"%s\" successfully！", Name()));
    return 1;
}

int32_t OpenAdapterDllDevice(uint32_t deviceIndex, uint32_t channel, int32_t baudRow, uint32_t filterFlag,
                             uint32_t filterStart, uint32_t filterEnd)
{
    if (!ValidBaudRow(baudRow))
        return 0;
    const uint32_t type = g_open.type;
    CanInitConfig cfg{};
    cfg.AccCode = 0;
    cfg.AccMask = 0x00FFFFFF;
    cfg.Timing0 = CanBaudTable[static_cast<size_t>(baudRow)].Timing0;
    cfg.Timing1 = CanBaudTable[static_cast<size_t>(baudRow)].Timing1;
    g_open.index = deviceIndex;
    g_open.channel = channel;

    TraceLog(Format("Prompt: open device\"%s\"DevType:%d,DevIndex:%d;Channel:%d!", Name(), static_cast<int>(type),
                    static_cast<int>(deviceIndex), static_cast<int>(channel)));
    const DravixApi* dv = GetDravix();
    const bool opened = dv && dv->OpenDevice(type, deviceIndex, 0) == 1;
    // Which library, and which USB layer it found for the device: the
    // adapter, or the simulated one.
    SayCanDriver(DravixDriverLine(deviceIndex));
    if (!opened) {
        TraceLog(Format("Error: open device\"%s\"%d,%d; failed!", Name(), static_cast<int>(type),
                        static_cast<int>(deviceIndex)));
        return 0;
    }
    if (dv->InitCAN(type, deviceIndex, channel, &cfg) != 1) {
        CanErrorInfo err{};
        dv->ReadErrInfo(type, deviceIndex, channel, &err);
        TraceLog(Format("Error: initializes device\"%s\"[%d,%d] %d CAN Channel;ErrCode:%u!", Name(),
                        static_cast<int>(type), static_cast<int>(deviceIndex), static_cast<int>(channel),
                        err.ErrCode));
        dv->CloseDevice(type, deviceIndex);
        return 0;
    }
    if (filterFlag == 1) {
        CanFilterRecord entry{1, filterStart, filterEnd};
        if (filterEnd < filterStart) {
            TraceLog(Format("Error: filter range start ID(0x%x)It shouldn't be greater than the end ID(0x%x)!",
                            filterStart, filterEnd));
            dv->CloseDevice(type, deviceIndex);
            return 0;
        }
        if (dv->SetReference(type, deviceIndex, channel, 1, &entry) != 1) {
            TraceLog("Error: failed to populate filter entry!");
            dv->CloseDevice(type, deviceIndex);
            return 0;
        }
        if (dv->SetReference(type, deviceIndex, channel, 2, nullptr) != 1) {
            TraceLog("Error: failed to validate the filter table!");
            dv->CloseDevice(type, deviceIndex);
            return 0;
        }
    }
    CanBoardInfo info{};
    dv->ReadBoardInfo(type, deviceIndex, &info);
    TraceBoardInfo(info);
    CanErrorInfo err{};
    dv->ReadErrInfo(type, deviceIndex, channel, &err);
    TraceLog(Format("Message:device\"%s\"[%d,%d] %d CAN Channel;ErrCode:%u!", Name(), static_cast<int>(type),
                    static_cast<int>(deviceIndex), static_cast<int>(channel), err.ErrCode));
    TraceLog(Format("Message:open device\"%s\" successfully！", Name()));
    return 1;
}

int32_t OpenKvaserDevice(uint32_t deviceIndex, uint32_t channel, int32_t baudRow)
{
    if (!ValidBaudRow(baudRow))
        return 0;
    CanDeviceOpen = 0;
    KvaserChannel.reset();
    const CanDriverChoice driver = ChooseCanlibDriver();
    if (driver.kind != CanDriverKind::Vendor && driver.kind != CanDriverKind::Standin)
        return 0;
    KvaserChannel = std::make_unique<CanlibChannel>();
    TraceLog(Format("Prompt:open device\"%s\"DevIndex:%d;Channel:%d!", kKvaserTraceName,
                    static_cast<int>(deviceIndex), static_cast<int>(channel)));

    auto fail = [&](int status, const char* templ) {
        char text[128] = {};
        CanlibChannel::GetErrorText(status, text, sizeof text);
        text[sizeof text - 1] = '\0';
        TraceLog(Format(templ, kKvaserTraceName, static_cast<int>(deviceIndex), static_cast<int>(channel), status,
                        text));
        KvaserChannel.reset();
        return 0;
    };

    // Any handle CANlib gives back is usable; only a negative result is an
    // error (the first handle is 0, but a later one need not be).
    int status = KvaserChannel->Open(static_cast<int>(channel), 8);
    if (status < 0)
        return fail(status, "Error:device\"%s\"[%d]  %d CAN channel;ErrCode:%d;%s");
    uint32_t timerScale = 100;
    status = KvaserChannel->IoCtl(6, &timerScale, 4);
    if (status != 0)
        return fail(status, "Error:device\"%s\"[%d]的 %d CAN channel;ErrCode:%d：%s");
    status = KvaserChannel->SetBusParams(CanBaudTable[static_cast<size_t>(baudRow)].CanlibBitrate, 0, 0, 0, 0, 0);
    if (status != 0)
        return fail(status, "Error:device\"%s\"[%d]  %d CAN channel;ErrCode:%d：%s");
    TraceLog(Format("Message:open device\"%s\"  successfully！", kKvaserTraceName));
    CanDeviceOpen = 1;
    return 1;
}

int32_t StartCanChannel()
{
    if (CanDeviceOpen != 1)
        return 0;
    const uint32_t type = g_open.type;
    const uint32_t index = g_open.index;
    const uint32_t channel = g_open.channel;
    bool ok = false;
    switch (CanBackendOf(type)) {
    case CanBackend::Dravix: {
        const DravixApi* dv = GetDravix();
        ok = dv && dv->StartCAN(type, index, channel) == 1;
        break;
    }
    case CanBackend::Kvaser:
        if (KvaserChannel) {
            KvaserChannel->IoCtl(10, nullptr, 0);
            KvaserChannel->IoCtl(11, nullptr, 0);
            ok = KvaserChannel->BusOn() == 0;
        }
        break;
    case CanBackend::Vector:
        ok = GetVectorCanFunctions().ActivateWithBitrate(OpenCanBaudRow == 0 ? 500000u : 125000u) == XL_SUCCESS;
        break;
    case CanBackend::ControlCan:
        ok = ControlCan().VCI_StartCAN(type, index, channel) == 1;
        break;
    }
    if (ok) {
        TraceLog(Format("Message: device\"%s\"[%d,%d], %d channel started successfully！", Name(),
                        static_cast<int>(type), static_cast<int>(index), static_cast<int>(channel)));
        CanDeviceOpen = 2;
        return 1;
    }
    TraceLog(Format("Message: device\"%s\"[%d,%d], %d Channel startup failed！", Name(), static_cast<int>(type),
                    static_cast<int>(index), static_cast<int>(channel)));
    return 0;
}

int32_t TransmitCanFrame(uint32_t id, int32_t length, std::vector<uint8_t> data, const std::string& caption,
                         uint8_t extended)
{
    // Every frame goes out with a 29-bit identifier, whatever the caller asked.
    extended = 1;
    if (length > 8)
        length = 8;
    if (length < 0)
        length = 0;
    // Never read past what the caller actually handed over.
    const size_t take = std::min(static_cast<size_t>(length), data.size());

    CanFrameRecord frame{};
    frame.ID = id;
    frame.ExternFlag = 1;
    frame.DataLen = 8;
    if (take > 0)
        std::memcpy(frame.Data, data.data(), take);

    const uint32_t type = CanDeviceType;
    const uint32_t index = CanDeviceIndex;
    const uint32_t channel = CanChannel;
    bool ok = false;
    switch (CanBackendOf(type)) {
    case CanBackend::ControlCan:
        if (type == kCanTypeKestrin) {
            uint32_t value = 10;
            ControlCan().VCI_SetReference(type, index, channel, 3, &value);
        }
        ok = ControlCan().VCI_Transmit(type, index, channel, &frame, 1) == 1;
        break;
    case CanBackend::Kvaser:
        // With no channel open nothing can be sent; saying so keeps the
        // ISO-TP layer from waiting for an answer to a frame never sent.
        if (KvaserChannel)
            ok = KvaserChannel->Write(static_cast<long>(id), frame.Data, 8, extended ? 4u : 2u) == 0;
        break;
    case CanBackend::Vector: {
        XLevent ev;
        std::memset(&ev, 0, sizeof ev);
        ev.tag = XL_TRANSMIT_MSG;
        ev.tagData.msg.id = extended ? (id | XL_CAN_EXT_MSG_ID) : id;
        ev.tagData.msg.flags = 0;
        ev.tagData.msg.dlc = 8;
        std::memcpy(ev.tagData.msg.data, frame.Data, 8);
        ok = GetVectorCanFunctions().Transmit(&ev, 1) == XL_SUCCESS;
        break;
    }
    case CanBackend::Dravix:
        if (const DravixApi* dv = GetDravix()) {
            uint32_t value = 10;
            dv->SetReference(type, index, channel, 3, &value);
            ok = dv->Transmit(type, index, channel, &frame, 1) == 1;
        }
        break;
    }

    std::string text = caption + Format(" ID=0x%X;", id);
    for (int i = 0; i < 8; ++i)
        text += Format("0x%X ", frame.Data[i]);
    if (ok) {
        text += ";写入成功";
        text += Format(";Device Type:%d;Channel:%d", static_cast<int>(type), static_cast<int>(channel));
        TraceLog(text);
        return 1;
    }
    CanErrorInfo err{};
    switch (CanBackendOf(type)) {
    case CanBackend::ControlCan:
        ControlCan().VCI_ReadErrInfo(type, index, channel, &err);
        break;
    case CanBackend::Dravix:
        if (const DravixApi* dv = GetDravix())
            dv->ReadErrInfo(type, index, channel, &err);
        break;
    default:
        break;
    }
    text += "，写入失败";
    text += Format(";Device Type:%d;DeviceInd:%d;Channel:%d;ErrCode:0x%04x", static_cast<int>(type),
                   static_cast<int>(index), static_cast<int>(channel), err.ErrCode);
    text += CanErrorTexts(err.ErrCode);
    TraceLog(text);
    return 0;
}

namespace {

// Shuts the open back-end down (no wait).
void ShutDownOpenAdapter()
{
    if (CanDeviceOpen <= 0)
        return;
    const uint32_t type = g_open.type;
    const uint32_t index = g_open.index;
    const uint32_t channel = g_open.channel;
    switch (CanBackendOf(type)) {
    case CanBackend::ControlCan:
        ControlCan().VCI_ResetCAN(type, index, channel);
        ControlCan().VCI_ClearBuffer(type, index, channel);
        ControlCan().VCI_CloseDevice(type, index);
        break;
    case CanBackend::Kvaser:
        KvaserChannel.reset();
        break;
    case CanBackend::Vector:
        GetVectorCanFunctions().Deactivate();
        break;
    case CanBackend::Dravix:
        if (const DravixApi* dv = GetDravix()) {
            dv->ResetCAN(type, index, channel);
            dv->ClearBuffer(type, index, channel);
            dv->CloseDevice(type, index);
        }
        break;
    }
    TraceLog(Format("Message:Close%s device successfully！", Name()));
}

} // namespace

int32_t CloseCanDevice()
{
    // Lets frames still in the adapter's queue go out before it is reset.
    GetClock().SleepMs(500);
    ShutDownOpenAdapter();
    CanDeviceOpen = 0;
    return 1;
}

void ResetCanAdapterForTest()
{
    ShutDownOpenAdapter();
    ResetCanDriverLibrariesForTest();
    KvaserChannel.reset();
    g_open = OpenAdapterInfo{};
    SelectedCanAdapter = -1;
    SelectedCanBaud = -1;
    OpenCanBaudRow = 0;
    CanDeviceType = 0;
    CanDeviceIndex = 0;
    CanChannel = 0;
    CanDeviceOpen = 0;
    VectorDriverReady = 0;
}

} // namespace tarvel
