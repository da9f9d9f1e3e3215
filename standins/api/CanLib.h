// Kvaser CANlib: the calls the Kvaser channel wrapper forwards, with CANlib's
// published status codes and constants. The program links whichever library
// provides them (our stand-in by default).
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int canStatus;
typedef int CanHandle;

/* Status codes. */
#define canOK 0
#define canERR_PARAM (-1)
#define canERR_NOMSG (-2)
#define canERR_NOTFOUND (-3)
#define canERR_NOMEM (-4)
#define canERR_NOCHANNELS (-5)
#define canERR_TIMEOUT (-7)
#define canERR_NOTINITIALIZED (-8)
#define canERR_INVHANDLE (-10)
#define canERR_TXBUFOFL (-13)
#define canERR_HARDWARE (-15)
#define canERR_NOT_IMPLEMENTED (-32)

/* Bit-rate constants for canSetBusParams. */
#define canBITRATE_1M (-1)
#define canBITRATE_500K (-2)
#define canBITRATE_250K (-3)
#define canBITRATE_125K (-4)
#define canBITRATE_100K (-5)
#define canBITRATE_62K (-6)
#define canBITRATE_50K (-7)
#define canBITRATE_83K (-8)
#define canBITRATE_10K (-9)

/* canOpenChannel flags. */
#define canOPEN_EXCLUSIVE 0x0008
#define canOPEN_ACCEPT_VIRTUAL 0x0020

/* Message flags. */
#define canMSG_RTR 0x0001
#define canMSG_STD 0x0002
#define canMSG_EXT 0x0004

/* canIoCtl function codes. */
#define canIOCTL_SET_TIMER_SCALE 6
#define canIOCTL_FLUSH_RX_BUFFER 10
#define canIOCTL_FLUSH_TX_BUFFER 11

void canInitializeLibrary(void);
canStatus canUnloadLibrary(void);
CanHandle canOpenChannel(int channel, int flags);
canStatus canClose(CanHandle hnd);
canStatus canBusOn(CanHandle hnd);
canStatus canBusOff(CanHandle hnd);
canStatus canResetBus(CanHandle hnd);
canStatus canSetBusParams(CanHandle hnd, long freq, unsigned int tseg1, unsigned int tseg2, unsigned int sjw,
                          unsigned int noSamp, unsigned int syncmode);
canStatus canGetBusParams(CanHandle hnd, long* freq, unsigned int* tseg1, unsigned int* tseg2, unsigned int* sjw,
                          unsigned int* noSamp, unsigned int* syncmode);
canStatus canIoCtl(CanHandle hnd, unsigned int func, void* buf, unsigned int buflen);
canStatus canWrite(CanHandle hnd, long id, void* msg, unsigned int dlc, unsigned int flag);
canStatus canRead(CanHandle hnd, long* id, void* msg, unsigned int* dlc, unsigned int* flag, unsigned long* time);
canStatus canReadStatus(CanHandle hnd, unsigned long* flags);
canStatus canReadTimer(CanHandle hnd, unsigned long* time);
canStatus canGetErrorText(canStatus err, char* buf, unsigned int bufsiz);
canStatus canGetNumberOfChannels(int* channelCount);
canStatus canAccept(CanHandle hnd, long envelope, unsigned int flag);
canStatus canReadWait(CanHandle hnd, long* id, void* msg, unsigned int* dlc, unsigned int* flag, unsigned long* time,
                      unsigned long timeout);
canStatus canReadSpecific(CanHandle hnd, long id, void* msg, unsigned int* dlc, unsigned int* flag,
                          unsigned long* time);
canStatus canReadSpecificSkip(CanHandle hnd, long id, void* msg, unsigned int* dlc, unsigned int* flag,
                              unsigned long* time);
canStatus canReadSync(CanHandle hnd, unsigned long timeout);
canStatus canReadSyncSpecific(CanHandle hnd, long id, unsigned long timeout);
canStatus canWriteSync(CanHandle hnd, unsigned long timeout);
canStatus canWriteWait(CanHandle hnd, long id, void* msg, unsigned int dlc, unsigned int flag, unsigned long timeout);
canStatus canSetAcceptanceFilter(CanHandle hnd, unsigned int code, unsigned int mask, int isExtended);
canStatus canReadErrorCounters(CanHandle hnd, unsigned int* txErr, unsigned int* rxErr, unsigned int* overErr);
unsigned short canGetVersion(void);
canStatus canTranslateBaud(long* freq, unsigned int* tseg1, unsigned int* tseg2, unsigned int* sjw,
                           unsigned int* nosamp, unsigned int* syncMode);
canStatus canSetDriverMode(CanHandle hnd, int lineMode, int resNet);
canStatus canGetDriverMode(CanHandle hnd, int* lineMode, int* resNet);
canStatus canSetBusOutputControl(CanHandle hnd, unsigned int drivertype);
canStatus canGetBusOutputControl(CanHandle hnd, unsigned int* drivertype);

/* canGetVersionEx items. */
#define canVERSION_CANLIB32_VERSION 0
#define canVERSION_CANLIB32_PRODVER 1

/* One event from canReadEvent. */
typedef struct CanEvent {
    int tag;
    unsigned long timeStamp;
    unsigned char data[32];
} CanEvent;

unsigned int canGetVersionEx(unsigned int itemCode);
canStatus canProbeVersion(CanHandle hnd, char* name, char* password, void* version, unsigned int flags);
canStatus canReadEvent(CanHandle hnd, CanEvent* event);
canStatus canSetNotify(CanHandle hnd, void* window, unsigned int notifyFlags);
canStatus canSetBusParamsC200(CanHandle hnd, unsigned char btr0, unsigned char btr1);
/* Object buffers (auto-response and periodic transmit). */
canStatus canObjBufAllocate(CanHandle hnd, int type);
canStatus canObjBufDisable(CanHandle hnd, int idx);
canStatus canObjBufEnable(CanHandle hnd, int idx);
canStatus canObjBufFree(CanHandle hnd, int idx);
canStatus canObjBufFreeAll(CanHandle hnd);
canStatus canObjBufSetFilter(CanHandle hnd, int idx, unsigned int code, unsigned int mask);
canStatus canObjBufSetFlags(CanHandle hnd, int idx, unsigned int flags);
canStatus canObjBufWrite(CanHandle hnd, int idx, int id, void* msg, unsigned int dlc, unsigned int flags);
/* The driver's parameter database of named bus settings. */
canStatus canParamCommitChanges(void);
canStatus canParamCreateNewEntry(void);
canStatus canParamDeleteEntry(int index);
canStatus canParamGetBusParams(int index, long* bitrate, unsigned int* tseg1, unsigned int* tseg2, unsigned int* sjw,
                               unsigned int* noSamp);
canStatus canParamGetChannelNumber(int index);
canStatus canParamGetCount(void);
canStatus canParamGetName(int index, char* buffer, int maxlen);
canStatus canParamSwapEntries(int index1, int index2);

#ifdef __cplusplus
}
#endif
