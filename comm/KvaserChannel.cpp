#include "KvaserChannel.h"

#include "CanDriverLibraries.h"

#include <cstring>

// Every call goes to the CANlib the adapter switch chose at open; a call the
// library does not offer answers canERR_NOT_IMPLEMENTED.
#define CANLIB_CALL(name, ...) (Canlib().name ? Canlib().name(__VA_ARGS__) : canERR_NOT_IMPLEMENTED)
#define CANLIB_CALL0(name) (Canlib().name ? Canlib().name() : canERR_NOT_IMPLEMENTED)

namespace tarvel {

CanlibChannel::CanlibChannel() { InitializeLibrary(); }

CanlibChannel::~CanlibChannel()
{
    if (handle_ != -1) {
        CANLIB_CALL(canResetBus, handle_);
        CANLIB_CALL(canBusOff, handle_);
        CANLIB_CALL(canClose, handle_);
    }
    CANLIB_CALL0(canUnloadLibrary);
    handle_ = -1;
}

int CanlibChannel::Open(int channel, int flags)
{
    handle_ = CANLIB_CALL(canOpenChannel, channel, flags);
    const int status = handle_;
    // A negative result is an error status, never a handle to close later.
    if (handle_ < 0)
        handle_ = -1;
    return status;
}

int CanlibChannel::IoCtl(unsigned int code, void* buffer, unsigned int length)
{
    return CANLIB_CALL(canIoCtl, handle_, code, buffer, length);
}

int CanlibChannel::SetBusParams(long bitrateConstant, unsigned int tseg1, unsigned int tseg2, unsigned int sjw,
                                unsigned int samples, unsigned int syncMode)
{
    return CANLIB_CALL(canSetBusParams, handle_, bitrateConstant, tseg1, tseg2, sjw, samples, syncMode);
}

int CanlibChannel::GetBusParams(long* freq, unsigned int* tseg1, unsigned int* tseg2, unsigned int* sjw,
                                unsigned int* samples, unsigned int* syncMode)
{
    return CANLIB_CALL(canGetBusParams, handle_, freq, tseg1, tseg2, sjw, samples, syncMode);
}

int CanlibChannel::BusOn() { return CANLIB_CALL(canBusOn, handle_); }
int CanlibChannel::BusOff() { return CANLIB_CALL(canBusOff, handle_); }
int CanlibChannel::ResetBus() { return CANLIB_CALL(canResetBus, handle_); }

int CanlibChannel::Write(long id, void* data, unsigned int length, unsigned int flags)
{
    return CANLIB_CALL(canWrite, handle_, id, data, length, flags);
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
                                unsigned long* time) { return CANLIB_CALL(canRead, handle_, id, data, length, flags, time); });
}

int CanlibChannel::Read(long* id, void* data, unsigned int* length, unsigned int* flags, unsigned long* time)
{
    return CANLIB_CALL(canRead, handle_, id, data, length, flags, time);
}

int CanlibChannel::ReadStatus(unsigned long* flags) { return CANLIB_CALL(canReadStatus, handle_, flags); }
int CanlibChannel::ReadTimer(unsigned long* time) { return CANLIB_CALL(canReadTimer, handle_, time); }
int CanlibChannel::Accept(long envelope, unsigned int flags) { return CANLIB_CALL(canAccept, handle_, envelope, flags); }
int CanlibChannel::ReadWait(long* id, void* data, unsigned int* length, unsigned int* flags, unsigned long* time,
                            unsigned long timeoutMs)
{
    return CANLIB_CALL(canReadWait, handle_, id, data, length, flags, time, timeoutMs);
}

int CanlibChannel::ReadWait(CanlibMessage& msg, unsigned long timeoutMs)
{
    return ReadInto(msg, [this, timeoutMs](long* id, void* data, unsigned int* length, unsigned int* flags,
                                           unsigned long* time) {
        return CANLIB_CALL(canReadWait, handle_, id, data, length, flags, time, timeoutMs);
    });
}

int CanlibChannel::ReadSpecific(long id, void* data, unsigned int* length, unsigned int* flags, unsigned long* time)
{
    return CANLIB_CALL(canReadSpecific, handle_, id, data, length, flags, time);
}

int CanlibChannel::ReadSpecificSkip(long id, void* data, unsigned int* length, unsigned int* flags,
                                    unsigned long* time)
{
    return CANLIB_CALL(canReadSpecificSkip, handle_, id, data, length, flags, time);
}

int CanlibChannel::ReadSync(unsigned long timeoutMs) { return CANLIB_CALL(canReadSync, handle_, timeoutMs); }
int CanlibChannel::ReadSyncSpecific(long id, unsigned long timeoutMs) { return CANLIB_CALL(canReadSyncSpecific, handle_, id, timeoutMs); }
int CanlibChannel::WriteSync(unsigned long timeoutMs) { return CANLIB_CALL(canWriteSync, handle_, timeoutMs); }

int CanlibChannel::WriteWait(long id, void* data, unsigned int length, unsigned int flags, unsigned long timeoutMs)
{
    return CANLIB_CALL(canWriteWait, handle_, id, data, length, flags, timeoutMs);
}

int CanlibChannel::SetAcceptanceFilter(unsigned int code, unsigned int mask, int isExtended)
{
    return CANLIB_CALL(canSetAcceptanceFilter, handle_, code, mask, isExtended);
}

int CanlibChannel::ReadErrorCounters(unsigned int* txErr, unsigned int* rxErr, unsigned int* overErr)
{
    return CANLIB_CALL(canReadErrorCounters, handle_, txErr, rxErr, overErr);
}

int CanlibChannel::SetDriverMode(int lineMode, int resNet) { return CANLIB_CALL(canSetDriverMode, handle_, lineMode, resNet); }
int CanlibChannel::GetDriverMode(int* lineMode, int* resNet) { return CANLIB_CALL(canGetDriverMode, handle_, lineMode, resNet); }
int CanlibChannel::SetBusOutputControl(unsigned int driverType) { return CANLIB_CALL(canSetBusOutputControl, handle_, driverType); }
int CanlibChannel::GetBusOutputControl(unsigned int* driverType) { return CANLIB_CALL(canGetBusOutputControl, handle_, driverType); }
unsigned short CanlibChannel::GetVersion() { return Canlib().canGetVersion ? Canlib().canGetVersion() : 0; }

int CanlibChannel::TranslateBaud(long* freq, unsigned int* tseg1, unsigned int* tseg2, unsigned int* sjw,
                                 unsigned int* samples, unsigned int* syncMode)
{
    return CANLIB_CALL(canTranslateBaud, freq, tseg1, tseg2, sjw, samples, syncMode);
}

int CanlibChannel::GetErrorText(int status, char* text, unsigned int size) { return CANLIB_CALL(canGetErrorText, status, text, size); }
int CanlibChannel::GetNumberOfChannels(int* count) { return CANLIB_CALL(canGetNumberOfChannels, count); }
void CanlibChannel::InitializeLibrary()
{
    if (Canlib().canInitializeLibrary)
        Canlib().canInitializeLibrary();
}
int CanlibChannel::UnloadLibrary() { return CANLIB_CALL0(canUnloadLibrary); }

int CanlibChannel::Write(const CanlibMessage& msg)
{
    uint8_t data[8];
    std::memcpy(data, msg.data, sizeof data);
    return CANLIB_CALL(canWrite, handle_, msg.id, data, msg.length, msg.flags);
}

int CanlibChannel::ReadSpecific(CanlibMessage& msg)
{
    const long id = msg.id;
    return ReadInto(msg, [this, id](long* outId, void* data, unsigned int* length, unsigned int* flags,
                                    unsigned long* time) {
        *outId = id; // the identifier asked for is the one read
        return CANLIB_CALL(canReadSpecific, handle_, id, data, length, flags, time);
    });
}

int CanlibChannel::WriteWait(const CanlibMessage& msg, unsigned long timeoutMs)
{
    uint8_t data[8];
    std::memcpy(data, msg.data, sizeof data);
    return CANLIB_CALL(canWriteWait, handle_, msg.id, data, msg.length, msg.flags, timeoutMs);
}

int CanlibChannel::ProbeVersion(char* name, char* password, void* version, unsigned int flags)
{
    return CANLIB_CALL(canProbeVersion, handle_, name, password, version, flags);
}
int CanlibChannel::ReadEvent(CanEvent* event) { return CANLIB_CALL(canReadEvent, handle_, event); }
int CanlibChannel::SetNotify(void* window, unsigned int notifyFlags) { return CANLIB_CALL(canSetNotify, handle_, window, notifyFlags); }
int CanlibChannel::SetBusParamsC200(unsigned char btr0, unsigned char btr1)
{
    return CANLIB_CALL(canSetBusParamsC200, handle_, btr0, btr1);
}
int CanlibChannel::ObjBufAllocate(int type) { return CANLIB_CALL(canObjBufAllocate, handle_, type); }
int CanlibChannel::ObjBufDisable(int index) { return CANLIB_CALL(canObjBufDisable, handle_, index); }
int CanlibChannel::ObjBufEnable(int index) { return CANLIB_CALL(canObjBufEnable, handle_, index); }
int CanlibChannel::ObjBufFree(int index) { return CANLIB_CALL(canObjBufFree, handle_, index); }
int CanlibChannel::ObjBufFreeAll() { return CANLIB_CALL(canObjBufFreeAll, handle_); }
int CanlibChannel::ObjBufSetFilter(int index, unsigned int code, unsigned int mask)
{
    return CANLIB_CALL(canObjBufSetFilter, handle_, index, code, mask);
}
int CanlibChannel::ObjBufSetFlags(int index, unsigned int flags) { return CANLIB_CALL(canObjBufSetFlags, handle_, index, flags); }
int CanlibChannel::ObjBufWrite(int index, int id, void* data, unsigned int length, unsigned int flags)
{
    return CANLIB_CALL(canObjBufWrite, handle_, index, id, data, length, flags);
}
unsigned int CanlibChannel::GetVersionEx(unsigned int itemCode)
{
    return Canlib().canGetVersionEx ? Canlib().canGetVersionEx(itemCode) : 0;
}
int CanlibChannel::ParamCommitChanges() { return CANLIB_CALL0(canParamCommitChanges); }
int CanlibChannel::ParamCreateNewEntry() { return CANLIB_CALL0(canParamCreateNewEntry); }
int CanlibChannel::ParamDeleteEntry(int index) { return CANLIB_CALL(canParamDeleteEntry, index); }
int CanlibChannel::ParamGetBusParams(int index, long* bitrate, unsigned int* tseg1, unsigned int* tseg2,
                                     unsigned int* sjw, unsigned int* samples)
{
    return CANLIB_CALL(canParamGetBusParams, index, bitrate, tseg1, tseg2, sjw, samples);
}
int CanlibChannel::ParamGetChannelNumber(int index) { return CANLIB_CALL(canParamGetChannelNumber, index); }
int CanlibChannel::ParamGetCount() { return CANLIB_CALL0(canParamGetCount); }
int CanlibChannel::ParamGetName(int index, char* buffer, int size) { return CANLIB_CALL(canParamGetName, index, buffer, size); }
int CanlibChannel::ParamSwapEntries(int index1, int index2) { return CANLIB_CALL(canParamSwapEntries, index1, index2); }

} // namespace tarvel
