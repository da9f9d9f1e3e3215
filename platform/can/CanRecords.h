/* The adapter-API records shared by the ControlCAN-style back-ends and the
 * Dravix library. The caller owns them; the library copies frames out of them
 * or fills them in. Plain C so the Dravix API header can use them too. */
#ifndef TARVEL_CAN_RECORDS_H
#define TARVEL_CAN_RECORDS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One CAN frame. */
typedef struct CanFrameRecord {
    uint32_t ID;         /* right-aligned, 11 or 29 bits */
    uint32_t TimeStamp;  /* receive time stamp */
    uint8_t TimeFlag;    /* 1 when TimeStamp is valid */
    uint8_t SendType;    /* 0 normal, 1 single shot, 2 self reception, 3 single-shot self reception */
    uint8_t RemoteFlag;  /* 1 = remote frame */
    uint8_t ExternFlag;  /* 1 = 29-bit identifier */
    uint8_t DataLen;     /* 0..8 */
    uint8_t Data[8];
    uint8_t Reserved[3];
} CanFrameRecord;

/* Channel initialisation. */
typedef struct CanInitConfig {
    uint32_t AccCode;
    uint32_t AccMask;
    uint32_t Reserved;
    uint8_t Filter;
    uint8_t Timing0;
    uint8_t Timing1;
    uint8_t Mode;
} CanInitConfig;

/* Error information: ErrCode is a bit word. */
typedef struct CanErrorInfo {
    uint32_t ErrCode;
    uint8_t Passive_ErrData[3];
    uint8_t ArLost_ErrData;
} CanErrorInfo;

/* Board information. */
typedef struct CanBoardInfo {
    uint16_t hw_Version;
    uint16_t fw_Version;
    uint16_t dr_Version;
    uint16_t in_Version;
    uint16_t irq_Num;
    uint8_t can_Num;
    char str_Serial_Num[20];
    char str_hw_Type[40];
    uint16_t Reserved[4];
} CanBoardInfo;

/* Identifier-range filter entry. */
typedef struct CanFilterRecord {
    uint32_t Kind; /* 1 = extended */
    uint32_t StartId;
    uint32_t EndId;
} CanFilterRecord;

#ifdef __cplusplus
}

static_assert(sizeof(CanFrameRecord) == 24, "CanFrameRecord is 24 bytes");
static_assert(sizeof(CanInitConfig) == 16, "CanInitConfig is 16 bytes");
static_assert(sizeof(CanErrorInfo) == 8, "CanErrorInfo is 8 bytes");
static_assert(sizeof(CanBoardInfo) == 80, "CanBoardInfo is 80 bytes");
static_assert(sizeof(CanFilterRecord) == 12, "CanFilterRecord is 12 bytes");
#endif

#endif /* TARVEL_CAN_RECORDS_H */
