// Declarations of the Vector XL driver entry points, records and constants
// that Tarvel uses, for the wrapper that loads the driver library ("vxlapi")
// by name at run time and for our stand-in of it. Events are 48 bytes; time
// stamps are in ns.
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#define XLAPI_CALL __stdcall
#else
#define XLAPI_CALL
#endif

#if defined(_WIN32)
#if defined(VXLAPI_STANDIN_BUILD)
#define XLAPI_EXPORT __declspec(dllexport)
#else
#define XLAPI_EXPORT __declspec(dllimport)
#endif
#else
#define XLAPI_EXPORT __attribute__((visibility("default")))
#endif

typedef int16_t XLstatus;
typedef uint64_t XLaccess;
typedef int32_t XLportHandle;

#define XL_SUCCESS 0
#define XL_ERR_QUEUE_IS_EMPTY 10
#define XL_ERR_QUEUE_IS_FULL 11
#define XL_ERR_WRONG_PARAMETER 101
#define XL_ERR_INVALID_ACCESS 112
#define XL_ERR_PORT_IS_OFFLINE 113
#define XL_ERR_INVALID_PORT 118
#define XL_ERR_HW_NOT_PRESENT 129
#define XL_ERR_CANNOT_OPEN_DRIVER 201
#define XL_ERROR 255

#define XL_INVALID_PORTHANDLE (-1)
#define XL_BUS_TYPE_CAN 0x00000001u
#define XL_BUS_ACTIVE_CAP_CAN 0x00010000u
#define XL_INTERFACE_VERSION 3u
#define XL_ACTIVATE_RESET_CLOCK 8u
#define XL_HWTYPE_VIRTUAL 1u
#define XL_CAN_STD 1u
#define XL_CAN_EXT 2u

#define XL_RECEIVE_MSG 1u
#define XL_TRANSMIT_MSG 10u
#define XL_CAN_EXT_MSG_ID 0x80000000u
#define XL_CAN_MSG_FLAG_REMOTE_FRAME 0x10u

#define XL_CONFIG_MAX_CHANNELS 64

#ifdef __cplusplus
extern "C" {
#endif

typedef struct XLcanMsg {
    uint32_t id;      /* XL_CAN_EXT_MSG_ID set for a 29-bit identifier */
    uint16_t flags;
    uint16_t dlc;
    uint64_t res1;
    uint8_t data[8];
    uint64_t res2;
} XLcanMsg;

typedef struct XLevent {
    uint8_t tag;
    uint8_t chanIndex;
    uint16_t transId;
    uint16_t portHandle;
    uint8_t flags;
    uint8_t reserved;
    uint64_t timeStamp; /* ns */
    union {
        XLcanMsg msg;
        uint8_t raw[32];
    } tagData;
} XLevent;

typedef struct XLchannelConfig {
    char name[32];
    uint8_t hwType;
    uint8_t hwIndex;
    uint8_t hwChannel;
    uint8_t reserved0;
    uint32_t channelIndex;
    XLaccess channelMask;
    uint32_t channelCapabilities;
    uint32_t channelBusCapabilities;
    uint32_t connectedBusType;
    uint32_t reserved[3];
} XLchannelConfig;

typedef struct XLdriverConfig {
    uint32_t dllVersion;
    uint32_t channelCount;
    uint32_t reserved[10];
    XLchannelConfig channel[XL_CONFIG_MAX_CHANNELS];
} XLdriverConfig;

/* Entry points, as the wrapper resolves them by name. */
typedef XLstatus(XLAPI_CALL* XLOPENDRIVER)(void);
typedef XLstatus(XLAPI_CALL* XLCLOSEDRIVER)(void);
typedef XLstatus(XLAPI_CALL* XLGETDRIVERCONFIG)(XLdriverConfig* config);
typedef XLstatus(XLAPI_CALL* XLGETAPPLCONFIG)(const char* appName, unsigned int appChannel, unsigned int* hwType,
                                               unsigned int* hwIndex, unsigned int* hwChannel, unsigned int busType);
typedef XLstatus(XLAPI_CALL* XLSETAPPLCONFIG)(const char* appName, unsigned int appChannel, unsigned int hwType,
                                               unsigned int hwIndex, unsigned int hwChannel, unsigned int busType);
typedef XLaccess(XLAPI_CALL* XLGETCHANNELMASK)(int hwType, int hwIndex, int hwChannel);
typedef XLstatus(XLAPI_CALL* XLOPENPORT)(XLportHandle* port, const char* userName, XLaccess accessMask,
                                          XLaccess* permissionMask, unsigned int rxQueueSize,
                                          unsigned int interfaceVersion, unsigned int busType);
typedef XLstatus(XLAPI_CALL* XLCLOSEPORT)(XLportHandle port);
typedef XLstatus(XLAPI_CALL* XLACTIVATECHANNEL)(XLportHandle port, XLaccess accessMask, unsigned int busType,
                                                 unsigned int flags);
typedef XLstatus(XLAPI_CALL* XLDEACTIVATECHANNEL)(XLportHandle port, XLaccess accessMask);
typedef XLstatus(XLAPI_CALL* XLCANSETCHANNELBITRATE)(XLportHandle port, XLaccess accessMask, uint32_t bitrate);
typedef XLstatus(XLAPI_CALL* XLCANTRANSMIT)(XLportHandle port, XLaccess accessMask, unsigned int* messageCount,
                                             void* messages);
typedef XLstatus(XLAPI_CALL* XLRECEIVE)(XLportHandle port, unsigned int* eventCount, XLevent* events);
typedef XLstatus(XLAPI_CALL* XLCANSETCHANNELACCEPTANCE)(XLportHandle port, XLaccess accessMask, uint32_t code,
                                                         uint32_t mask, unsigned int idRange);
typedef XLstatus(XLAPI_CALL* XLCANADDACCEPTANCERANGE)(XLportHandle port, XLaccess accessMask, uint32_t firstId,
                                                       uint32_t lastId);
typedef XLstatus(XLAPI_CALL* XLCANRESETACCEPTANCE)(XLportHandle port, XLaccess accessMask, unsigned int idRange);

#ifdef __cplusplus
}

static_assert(sizeof(XLevent) == 48, "an XL event is 48 bytes");
#endif
