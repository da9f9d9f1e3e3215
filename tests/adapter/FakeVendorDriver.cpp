// A stand-in for a vendor's installed driver library, built under the
// vendor's own file name in a folder of its own: it answers every call with
// success and records each call with its arguments, so a test can see that
// the adapter switch talks to it (and in which order) rather than to the
// stand-in linked into the program. Built with FAKE_DRIVER_INCOMPLETE it
// lacks VCI_InitCAN and canSetBusParams.
#include "CanLib.h"
#include "ControlCan.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex g_mutex;
std::string g_calls;

void Record(const char* name, std::initializer_list<long long> args)
{
    std::string line = name;
    line += "(";
    bool first = true;
    for (long long a : args) {
        if (!first)
            line += ",";
        line += std::to_string(a);
        first = false;
    }
    line += ")\n";
    std::lock_guard<std::mutex> lock(g_mutex);
    g_calls += line;
}

} // namespace

// What was called since the last reset, one "name(args)" per line.
FAKE_EXPORT const char* fake_driver_calls()
{
    static std::string copy;
    std::lock_guard<std::mutex> lock(g_mutex);
    copy = g_calls;
    return copy.c_str();
}

FAKE_EXPORT void fake_driver_reset()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_calls.clear();
}

FAKE_EXPORT uint32_t VCI_OpenDevice(uint32_t t, uint32_t i, uint32_t r)
{
    Record("VCI_OpenDevice", {t, i, r});
    return 1;
}
FAKE_EXPORT uint32_t VCI_CloseDevice(uint32_t t, uint32_t i)
{
    Record("VCI_CloseDevice", {t, i});
    return 1;
}
FAKE_EXPORT uint32_t VCI_SetReference(uint32_t t, uint32_t i, uint32_t c, uint32_t ref, void* data)
{
    const long long value = (ref == 0 || ref == 3) && data ? static_cast<long long>(*static_cast<uint32_t*>(data)) : -1LL;
    Record("VCI_SetReference", {t, i, c, ref, value});
    return 1;
}
#if !defined(FAKE_DRIVER_INCOMPLETE)
FAKE_EXPORT uint32_t VCI_InitCAN(uint32_t t, uint32_t i, uint32_t c, const CanInitConfig* cfg)
{
    Record("VCI_InitCAN", {t, i, c, cfg ? cfg->AccCode : 0, cfg ? cfg->Timing0 : 0, cfg ? cfg->Timing1 : 0});
    return 1;
}
#endif
FAKE_EXPORT uint32_t VCI_ReadBoardInfo(uint32_t t, uint32_t i, CanBoardInfo* info)
{
    Record("VCI_ReadBoardInfo", {t, i});
    if (info)
        std::snprintf(info->str_hw_Type, sizeof info->str_hw_Type, "fake");
    return 1;
}
FAKE_EXPORT uint32_t VCI_ReadErrInfo(uint32_t t, uint32_t i, uint32_t c, CanErrorInfo*)
{
    Record("VCI_ReadErrInfo", {t, i, c});
    return 1;
}
FAKE_EXPORT uint32_t VCI_StartCAN(uint32_t t, uint32_t i, uint32_t c)
{
    Record("VCI_StartCAN", {t, i, c});
    return 1;
}
FAKE_EXPORT uint32_t VCI_ResetCAN(uint32_t t, uint32_t i, uint32_t c)
{
    Record("VCI_ResetCAN", {t, i, c});
    return 1;
}
FAKE_EXPORT uint32_t VCI_ClearBuffer(uint32_t t, uint32_t i, uint32_t c)
{
    Record("VCI_ClearBuffer", {t, i, c});
    return 1;
}
FAKE_EXPORT uint32_t VCI_GetReceiveNum(uint32_t, uint32_t, uint32_t) { return 0; }
FAKE_EXPORT uint32_t VCI_Receive(uint32_t, uint32_t, uint32_t, CanFrameRecord*, uint32_t, int32_t) { return 0; }
FAKE_EXPORT uint32_t VCI_Transmit(uint32_t t, uint32_t i, uint32_t c, const CanFrameRecord* f, uint32_t n)
{
    Record("VCI_Transmit", {t, i, c, f ? f->ID : 0, f ? f->Data[0] : 0, n});
    return n;
}

FAKE_EXPORT void canInitializeLibrary(void) { Record("canInitializeLibrary", {}); }
FAKE_EXPORT canStatus canUnloadLibrary(void)
{
    Record("canUnloadLibrary", {});
    return canOK;
}
FAKE_EXPORT CanHandle canOpenChannel(int channel, int flags)
{
    Record("canOpenChannel", {channel, flags});
    return 0;
}
FAKE_EXPORT canStatus canClose(CanHandle h)
{
    Record("canClose", {h});
    return canOK;
}
FAKE_EXPORT canStatus canBusOn(CanHandle h)
{
    Record("canBusOn", {h});
    return canOK;
}
FAKE_EXPORT canStatus canBusOff(CanHandle h)
{
    Record("canBusOff", {h});
    return canOK;
}
FAKE_EXPORT canStatus canResetBus(CanHandle h)
{
    Record("canResetBus", {h});
    return canOK;
}
#if !defined(FAKE_DRIVER_INCOMPLETE)
FAKE_EXPORT canStatus canSetBusParams(CanHandle h, long freq, unsigned int, unsigned int, unsigned int, unsigned int,
                                      unsigned int)
{
    Record("canSetBusParams", {h, freq});
    return canOK;
}
#endif
FAKE_EXPORT canStatus canIoCtl(CanHandle h, unsigned int func, void* buf, unsigned int)
{
    Record("canIoCtl", {h, func, buf ? static_cast<long long>(*static_cast<uint32_t*>(buf)) : -1LL});
    return canOK;
}
FAKE_EXPORT canStatus canWrite(CanHandle h, long id, void* msg, unsigned int dlc, unsigned int flag)
{
    Record("canWrite", {h, id, msg ? static_cast<long long>(static_cast<uint8_t*>(msg)[0]) : -1LL, dlc, flag});
    return canOK;
}
FAKE_EXPORT canStatus canRead(CanHandle, long*, void*, unsigned int*, unsigned int*, unsigned long*)
{
    return canERR_NOMSG;
}
FAKE_EXPORT canStatus canGetErrorText(canStatus, char* buf, unsigned int size)
{
    if (buf && size)
        std::snprintf(buf, size, "fake");
    return canOK;
}
