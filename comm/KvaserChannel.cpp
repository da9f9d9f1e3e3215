#include "KvaserChannel.h"

#include <cstring>

namespace tarvel {

CanlibChannel::CanlibChannel() { canInitializeLibrary(); }

CanlibChannel::~CanlibChannel()
{
    if (handle_ != -1) {
        canResetBus(handle_);
        canBusOff(handle_);
        canClose(handle_);
    }
    canUnloadLibrary();
    handle_ = -1;
}

int CanlibChannel::Open(int channel, int flags)
{
    handle_ = canOpenChannel(channel, flags);
    const int status = handle_;
    // A negative result is an error status, never a handle to close later.
    if (handle_ < 0)
        handle_ = -1;
    return status;
}

int CanlibChannel::IoCtl(unsigned int code, void* buffer, unsigned int length)
{
    return canIoCtl(handle_, code, buffer, length);
}

int CanlibChannel::SetBusParams(long bitrateConstant, unsigned int tseg1, unsigned int tseg2, unsigned int sjw,
                                unsigned int samples, unsigned int syncMode)
{
    return canSetBusParams(handle_, bitrateConstant, tseg1, tseg2, sjw, samples, syncMode);
}

int CanlibChannel::GetBusParams(long* freq, unsigned int* tseg1, unsigned int* tseg2, unsigned int* sjw,
                                unsigned int* samples, unsigned int* syncMode)
{
    return canGetBusParams(handle_, freq, tseg1, tseg2, sjw, samples, syncMode);
}

int CanlibChannel::BusOn() { return canBusOn(handle_); }
int CanlibChannel::BusOff() { return canBusOff(handle_); }
int CanlibChannel::ResetBus() { return canResetBus(handle_); }

int CanlibChannel::Write(long id, void* data, unsigned int length, unsigned int flags)
{
    return canWrite(handle_, id, data, length, flags);
}

namespace {
// Runs one of CANlib's read calls into `msg`; its fields change only when a
// message was read.
template <typename ReadCall>
int ReadInto(CanlibMessage& msg, ReadCall read)
{
    long id = 0;
    unsigned int length = 0, flags = 0;
    unsigned long time = 0;
    const int status = read(&id, msg.data, &length, &flags, &time);
    if (status == canOK) {
        msg.id = static_cast<int32_t>(id);
        msg.length = length;
        msg.flags = flags;
        msg.time = static_cast<uint32_t>(time);
    }
    return status;
}
} // namespace

int CanlibChannel::Read(CanlibMessage& msg)
{
    return ReadInto(msg, [this](long* id, void* data, unsigned int* length, unsigned int* flags,
                                unsigned long* time) { return canRead(handle_, id, data, length, flags, time); });
}

int CanlibChannel::Read(long* id, void* data, unsigned int* length, unsigned int* flags, unsigned long* time)
{
    return canRead(handle_, id, data, length, flags, time);
}

int CanlibChannel::ReadStatus(unsigned long* flags) { return canReadStatus(handle_, flags); }
int CanlibChannel::ReadTimer(unsigned long* time) { return canReadTimer(handle_, time); }
int CanlibChannel::Accept(long envelope, unsigned int flags) { return canAccept(handle_, envelope, flags); }
int CanlibChannel::ReadWait(long* id, void* data, unsigned int* length, unsigned int* flags, unsigned long* time,
                            unsigned long timeoutMs)
{
    return canReadWait(handle_, id, data, length, flags, time, timeoutMs);
}

int CanlibChannel::ReadWait(CanlibMessage& msg, unsigned long timeoutMs)
{
    return ReadInto(msg, [this, timeoutMs](long* id, void* data, unsigned int* length, unsigned int* flags,
                                           unsigned long* time) {
        return canReadWait(handle_, id, data, length, flags, time, timeoutMs);
    });
}

int CanlibChannel::ReadSpecific(long id, void* data, unsigned int* length, unsigned int* flags, unsigned long* time)
{
    return canReadSpecific(handle_, id, data, length, flags, time);
}

int CanlibChannel::ReadSpecificSkip(long id, void* data, unsigned int* length, unsigned int* flags,
                                    unsigned long* time)
{
    return canReadSpecificSkip(handle_, id, data, length, flags, time);
}

int CanlibChannel::ReadSync(unsigned long timeoutMs) { return canReadSync(handle_, timeoutMs); }
int CanlibChannel::ReadSyncSpecific(long id, unsigned long timeoutMs) { return canReadSyncSpecific(handle_, id, timeoutMs); }
int CanlibChannel::WriteSync(unsigned long timeoutMs) { return canWriteSync(handle_, timeoutMs); }

int CanlibChannel::WriteWait(long id, void* data, unsigned int length, unsigned int flags, unsigned long timeoutMs)
{
    return canWriteWait(handle_, id, data, length, flags, timeoutMs);
}

int CanlibChannel::SetAcceptanceFilter(unsigned int code, unsigned int mask, int isExtended)
{
    return canSetAcceptanceFilter(handle_, code, mask, isExtended);
}

int CanlibChannel::ReadErrorCounters(unsigned int* txErr, unsigned int* rxErr, unsigned int* overErr)
{
    return canReadErrorCounters(handle_, txErr, rxErr, overErr);
}

int CanlibChannel::SetDriverMode(int lineMode, int resNet) { return canSetDriverMode(handle_, lineMode, resNet); }
int CanlibChannel::GetDriverMode(int* lineMode, int* resNet) { return canGetDriverMode(handle_, lineMode, resNet); }
int CanlibChannel::SetBusOutputControl(unsigned int driverType) { return canSetBusOutputControl(handle_, driverType); }
int CanlibChannel::GetBusOutputControl(unsigned int* driverType) { return canGetBusOutputControl(handle_, driverType); }
unsigned short CanlibChannel::GetVersion() { return canGetVersion(); }

int CanlibChannel::TranslateBaud(long* freq, unsigned int* tseg1, unsigned int* tseg2, unsigned int* sjw,
                                 unsigned int* samples, unsigned int* syncMode)
{
    return canTranslateBaud(freq, tseg1, tseg2, sjw, samples, syncMode);
}

int CanlibChannel::GetErrorText(int status, char* text, unsigned int size) { return canGetErrorText(status, text, size); }
int CanlibChannel::GetNumberOfChannels(int* count) { return canGetNumberOfChannels(count); }
void CanlibChannel::InitializeLibrary() { canInitializeLibrary(); }
int CanlibChannel::UnloadLibrary() { return canUnloadLibrary(); }

int CanlibChannel::Write(const CanlibMessage& msg)
{
    uint8_t data[8];
    std::memcpy(data, msg.data, sizeof data);
    return canWrite(handle_, msg.id, data, msg.length, msg.flags);
}

int CanlibChannel::ReadSpecific(CanlibMessage& msg)
{
    const long id = msg.id;
    return ReadInto(msg, [this, id](long* outId, void* data, unsigned int* length, unsigned int* flags,
                                    unsigned long* time) {
        *outId = id; // the identifier asked for is the one read
        return canReadSpecific(handle_, id, data, length, flags, time);
    });
}

int CanlibChannel::WriteWait(const CanlibMessage& msg, unsigned long timeoutMs)
{
    uint8_t data[8];
    std::memcpy(data, msg.data, sizeof data);
    return canWriteWait(handle_, msg.id, data, msg.length, msg.flags, timeoutMs);
}

int CanlibChannel::ProbeVersion(char* name, char* password, void* version, unsigned int flags)
{
    return canProbeVersion(handle_, name, password, version, flags);
}
int CanlibChannel::ReadEvent(CanEvent* event) { return canReadEvent(handle_, event); }
int CanlibChannel::SetNotify(void* window, unsigned int notifyFlags) { return canSetNotify(handle_, window, notifyFlags); }
int CanlibChannel::SetBusParamsC200(unsigned char btr0, unsigned char btr1)
{
    return canSetBusParamsC200(handle_, btr0, btr1);
}
int CanlibChannel::ObjBufAllocate(int type) { return canObjBufAllocate(handle_, type); }
int CanlibChannel::ObjBufDisable(int index) { return canObjBufDisable(handle_, index); }
int CanlibChannel::ObjBufEnable(int index) { return canObjBufEnable(handle_, index); }
int CanlibChannel::ObjBufFree(int index) { return canObjBufFree(handle_, index); }
int CanlibChannel::ObjBufFreeAll() { return canObjBufFreeAll(handle_); }
int CanlibChannel::ObjBufSetFilter(int index, unsigned int code, unsigned int mask)
{
    return canObjBufSetFilter(handle_, index, code, mask);
}
int CanlibChannel::ObjBufSetFlags(int index, unsigned int flags) { return canObjBufSetFlags(handle_, index, flags); }
int CanlibChannel::ObjBufWrite(int index, int id, void* data, unsigned int length, unsigned int flags)
{
    return canObjBufWrite(handle_, index, id, data, length, flags);
}
unsigned int CanlibChannel::GetVersionEx(unsigned int itemCode) { return canGetVersionEx(itemCode); }
int CanlibChannel::ParamCommitChanges() { return canParamCommitChanges(); }
int CanlibChannel::ParamCreateNewEntry() { return canParamCreateNewEntry(); }
int CanlibChannel::ParamDeleteEntry(int index) { return canParamDeleteEntry(index); }
int CanlibChannel::ParamGetBusParams(int index, long* bitrate, unsigned int* tseg1, unsigned int* tseg2,
                                     unsigned int* sjw, unsigned int* samples)
{
    return canParamGetBusParams(index, bitrate, tseg1, tseg2, sjw, samples);
}
int CanlibChannel::ParamGetChannelNumber(int index) { return canParamGetChannelNumber(index); }
int CanlibChannel::ParamGetCount() { return canParamGetCount(); }
int CanlibChannel::ParamGetName(int index, char* buffer, int size) { return canParamGetName(index, buffer, size); }
int CanlibChannel::ParamSwapEntries(int index1, int index2) { return canParamSwapEntries(index1, index2); }

} // namespace tarvel
