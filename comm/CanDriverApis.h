// The entry points of the two vendor CAN libraries the adapter switch calls
// through a table: ControlCAN (the VCI_ functions) and Kvaser CANlib. Each
// table is filled from a vendor library loaded by name at run time, or from
// a linked stand-in of the same interface. The lists name every entry point
// once; the tables have one member per entry, named like the function.
#pragma once

#include "CanLib.h"
#include "ControlCan.h"

// ControlCAN: every entry the adapter switch calls is needed.
#define TARVEL_CONTROLCAN_ENTRIES(X)                                                                                   \
    X(VCI_OpenDevice)                                                                                                  \
    X(VCI_CloseDevice)                                                                                                 \
    X(VCI_SetReference)                                                                                                \
    X(VCI_InitCAN)                                                                                                     \
    X(VCI_ReadBoardInfo)                                                                                               \
    X(VCI_ReadErrInfo)                                                                                                 \
    X(VCI_StartCAN)                                                                                                    \
    X(VCI_ResetCAN)                                                                                                    \
    X(VCI_ClearBuffer)                                                                                                 \
    X(VCI_GetReceiveNum)                                                                                               \
    X(VCI_Receive)                                                                                                     \
    X(VCI_Transmit)

// CANlib: the calls the channel wrapper needs for open, start, transmit,
// receive and close.
#define TARVEL_CANLIB_REQUIRED_ENTRIES(X)                                                                              \
    X(canInitializeLibrary)                                                                                            \
    X(canUnloadLibrary)                                                                                                \
    X(canOpenChannel)                                                                                                  \
    X(canClose)                                                                                                        \
    X(canBusOn)                                                                                                        \
    X(canBusOff)                                                                                                       \
    X(canResetBus)                                                                                                     \
    X(canSetBusParams)                                                                                                 \
    X(canIoCtl)                                                                                                        \
    X(canWrite)                                                                                                        \
    X(canRead)                                                                                                         \
    X(canGetErrorText)

// CANlib calls the wrapper forwards but nothing in the program calls; a
// library without one of them (the Linux CANlib has no parameter database)
// is still usable, and that method answers canERR_NOT_IMPLEMENTED.
#define TARVEL_CANLIB_OPTIONAL_ENTRIES(X)                                                                              \
    X(canGetBusParams)                                                                                                 \
    X(canReadStatus)                                                                                                   \
    X(canReadTimer)                                                                                                    \
    X(canGetNumberOfChannels)                                                                                          \
    X(canAccept)                                                                                                       \
    X(canReadWait)                                                                                                     \
    X(canReadSpecific)                                                                                                 \
    X(canReadSpecificSkip)                                                                                             \
    X(canReadSync)                                                                                                     \
    X(canReadSyncSpecific)                                                                                             \
    X(canWriteSync)                                                                                                    \
    X(canWriteWait)                                                                                                    \
    X(canSetAcceptanceFilter)                                                                                          \
    X(canReadErrorCounters)                                                                                            \
    X(canGetVersion)                                                                                                   \
    X(canTranslateBaud)                                                                                                \
    X(canSetDriverMode)                                                                                                \
    X(canGetDriverMode)                                                                                                \
    X(canSetBusOutputControl)                                                                                          \
    X(canGetBusOutputControl)                                                                                          \
    X(canGetVersionEx)                                                                                                 \
    X(canProbeVersion)                                                                                                 \
    X(canReadEvent)                                                                                                    \
    X(canSetNotify)                                                                                                    \
    X(canSetBusParamsC200)                                                                                             \
    X(canObjBufAllocate)                                                                                               \
    X(canObjBufDisable)                                                                                                \
    X(canObjBufEnable)                                                                                                 \
    X(canObjBufFree)                                                                                                   \
    X(canObjBufFreeAll)                                                                                                \
    X(canObjBufSetFilter)                                                                                              \
    X(canObjBufSetFlags)                                                                                               \
    X(canObjBufWrite)                                                                                                  \
    X(canParamCommitChanges)                                                                                           \
    X(canParamCreateNewEntry)                                                                                          \
    X(canParamDeleteEntry)                                                                                             \
    X(canParamGetBusParams)                                                                                            \
    X(canParamGetChannelNumber)                                                                                        \
    X(canParamGetCount)                                                                                                \
    X(canParamGetName)                                                                                                 \
    X(canParamSwapEntries)

#define TARVEL_DRIVER_TABLE_MEMBER(name) decltype(&::name) name = nullptr;

namespace tarvel {

struct ControlCanApi {
    TARVEL_CONTROLCAN_ENTRIES(TARVEL_DRIVER_TABLE_MEMBER)
};

struct CanlibApi {
    TARVEL_CANLIB_REQUIRED_ENTRIES(TARVEL_DRIVER_TABLE_MEMBER)
    TARVEL_CANLIB_OPTIONAL_ENTRIES(TARVEL_DRIVER_TABLE_MEMBER)
};

} // namespace tarvel

// Fills `table` from the functions of that interface linked into the
// program (a stand-in): TARVEL_FILL_FROM_LINKED(api, TARVEL_CONTROLCAN_ENTRIES).
#define TARVEL_DRIVER_TABLE_FILL_ONE(name) tarvel_fill_table_.name = &::name;
#define TARVEL_FILL_FROM_LINKED(table, ENTRIES)                                                                        \
    do {                                                                                                               \
        auto& tarvel_fill_table_ = (table);                                                                            \
        ENTRIES(TARVEL_DRIVER_TABLE_FILL_ONE)                                                                          \
    } while (0)
