// One Kvaser CANlib channel for the adapter switch and its receive side. Each
// method forwards one CANlib call with the channel handle first and returns
// CANlib's status unchanged (0 = OK, negative = error).
#pragma once

#include "CanLib.h"

#include <cstdint>

namespace tarvel {

// CANlib's message record for read and write.
struct CanlibMessage {
    int32_t id = 0;
    uint8_t data[8] = {};
    uint32_t length = 0;
    uint32_t flags = 0;
    uint32_t time = 0;
};

class CanlibChannel {
public:
    // Initialises CANlib.
    CanlibChannel();
    // Resets the bus, goes bus-off and closes the handle when one is open;
    // always unloads CANlib.
    ~CanlibChannel();
    CanlibChannel(const CanlibChannel&) = delete;
    CanlibChannel& operator=(const CanlibChannel&) = delete;

    int Handle() const { return handle_; }

    // Opens `channel`; the result becomes the handle. 0 (or any valid
    // handle) means success, negative is CANlib's error status.
    int Open(int channel, int flags);
    int IoCtl(unsigned int code, void* buffer, unsigned int length);
    int SetBusParams(long bitrateConstant, unsigned int tseg1, unsigned int tseg2, unsigned int sjw,
                     unsigned int samples, unsigned int syncMode);
    int GetBusParams(long* freq, unsigned int* tseg1, unsigned int* tseg2, unsigned int* sjw,
                     unsigned int* samples, unsigned int* syncMode);
    int BusOn();
    int BusOff();
    int ResetBus();
    int Write(long id, void* data, unsigned int length, unsigned int flags);
    int Read(CanlibMessage& msg);
    int Read(long* id, void* data, unsigned int* length, unsigned int* flags, unsigned long* time);
    int ReadStatus(unsigned long* flags);
    int ReadTimer(unsigned long* time);
    int Accept(long envelope, unsigned int flags);
    int ReadWait(long* id, void* data, unsigned int* length, unsigned int* flags, unsigned long* time,
                 unsigned long timeoutMs);
    int ReadWait(CanlibMessage& msg, unsigned long timeoutMs);
    int ReadSpecific(long id, void* data, unsigned int* length, unsigned int* flags, unsigned long* time);
    int ReadSpecificSkip(long id, void* data, unsigned int* length, unsigned int* flags, unsigned long* time);
    int ReadSync(unsigned long timeoutMs);
    int ReadSyncSpecific(long id, unsigned long timeoutMs);
    int WriteSync(unsigned long timeoutMs);
    int WriteWait(long id, void* data, unsigned int length, unsigned int flags, unsigned long timeoutMs);
    int SetAcceptanceFilter(unsigned int code, unsigned int mask, int isExtended);
    int ReadErrorCounters(unsigned int* txErr, unsigned int* rxErr, unsigned int* overErr);
    int SetDriverMode(int lineMode, int resNet);
    int GetDriverMode(int* lineMode, int* resNet);
    int SetBusOutputControl(unsigned int driverType);
    int GetBusOutputControl(unsigned int* driverType);
    static unsigned short GetVersion();
    static int TranslateBaud(long* freq, unsigned int* tseg1, unsigned int* tseg2, unsigned int* sjw,
                             unsigned int* samples, unsigned int* syncMode);
    // The message forms of write, read-specific and write-wait.
    int Write(const CanlibMessage& msg);
    int ReadSpecific(CanlibMessage& msg);
    int WriteWait(const CanlibMessage& msg, unsigned long timeoutMs);
    int ProbeVersion(char* name, char* password, void* version, unsigned int flags);
    int ReadEvent(CanEvent* event);
    int SetNotify(void* window, unsigned int notifyFlags);
    int SetBusParamsC200(unsigned char btr0, unsigned char btr1);
    int ObjBufAllocate(int type);
    int ObjBufDisable(int index);
    int ObjBufEnable(int index);
    int ObjBufFree(int index);
    int ObjBufFreeAll();
    int ObjBufSetFilter(int index, unsigned int code, unsigned int mask);
    int ObjBufSetFlags(int index, unsigned int flags);
    int ObjBufWrite(int index, int id, void* data, unsigned int length, unsigned int flags);
    static unsigned int GetVersionEx(unsigned int itemCode);
    static int ParamCommitChanges();
    static int ParamCreateNewEntry();
    static int ParamDeleteEntry(int index);
    static int ParamGetBusParams(int index, long* bitrate, unsigned int* tseg1, unsigned int* tseg2, unsigned int* sjw,
                                 unsigned int* samples);
    static int ParamGetChannelNumber(int index);
    static int ParamGetCount();
    static int ParamGetName(int index, char* buffer, int size);
    static int ParamSwapEntries(int index1, int index2);
    static int GetErrorText(int status, char* text, unsigned int size);
    static int GetNumberOfChannels(int* count);
    static void InitializeLibrary();
    static int UnloadLibrary();

private:
    int handle_ = -1;
};

} // namespace tarvel
