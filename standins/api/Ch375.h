/* Our own stand-in for the driver library of the CH375 USB interface chip
 * (CHUSBDLL on Windows), as the Dravix adapter library uses it: open and
 * close a device by index, pipe time-outs, buffered transfer modes, removal
 * notification, exclusive use, bulk writes and reads, interrupt reads and
 * aborts. Every call takes the device index first.
 *
 * Reads block until data arrives, their time-out passes, an abort for that
 * pipe is issued, the device is closed or the device is removed; so a reader
 * thread can always be woken and joined.
 *
 * Devices are installed per index through Ch375Device.h (the simulated Dravix
 * adapter, or a test's own device). An index with no device fails to open,
 * as it would with nothing plugged in. */
#ifndef TARVEL_CH375_H
#define TARVEL_CH375_H

#include <stdint.h>

#if defined(_WIN32)
#  define CH375_CALL __stdcall
#  if defined(CH375_BUILDING)
#    define CH375_API __declspec(dllexport)
#  else
#    define CH375_API __declspec(dllimport)
#  endif
#else
#  define CH375_CALL
#  define CH375_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Highest device index + 1 the driver manages. */
#define CH375_MAX_DEVICES 16

/* Notification event code: the device was removed. */
#define CH375_DEVICE_REMOVED 0u
/* Notification event code: the device was plugged in again. */
#define CH375_DEVICE_ARRIVED 3u

/* A time-out of this value waits without limit. */
#define CH375_WAIT_FOREVER 0xFFFFFFFFu

typedef void(CH375_CALL* Ch375NotifyRoutine)(uint32_t eventCode);

/* Opens device `index`. Returns the index, or -1 when there is no device or
 * it is held for exclusive use. */
CH375_API intptr_t CH375_CALL CH375OpenDevice(uint32_t index);
/* Releases the device; pending reads fail at once. */
CH375_API void CH375_CALL CH375CloseDevice(uint32_t index);
/* Time-outs in ms for bulk write, bulk read, auxiliary and interrupt pipes.
 * Non-zero on success. */
CH375_API int CH375_CALL CH375SetTimeoutEx(uint32_t index, uint32_t writeMs, uint32_t readMs,
                                           uint32_t auxMs, uint32_t interMs);
/* Buffered bulk upload (IN) and download (OUT) on (1) or off (0). Turning
 * upload off discards what the driver had buffered. Non-zero on success. */
CH375_API int CH375_CALL CH375SetBufUpload(uint32_t index, uint32_t enable);
CH375_API int CH375_CALL CH375SetBufDownload(uint32_t index, uint32_t enable);
/* Registers (or with a null routine, removes) the removal callback. The
 * device name is accepted for form's sake and ignored. Non-zero on success. */
CH375_API int CH375_CALL CH375SetDeviceNotify(uint32_t index, const char* deviceName,
                                              Ch375NotifyRoutine routine);
/* Exclusive use on (1) or off (0). Non-zero on success. */
CH375_API int CH375_CALL CH375SetExclusive(uint32_t index, uint32_t exclusive);
/* Writes *length bytes to the bulk OUT pipe. Non-zero when all were taken. */
CH375_API int CH375_CALL CH375WriteData(uint32_t index, const void* buffer, uint32_t* length);
/* Reads up to *length bytes from the bulk IN pipe; *length becomes the count
 * read. Non-zero on success (at least one byte). */
CH375_API int CH375_CALL CH375ReadData(uint32_t index, void* buffer, uint32_t* length);
/* Reads one interrupt packet (up to *length bytes). Greater than 0 on
 * success. */
CH375_API int CH375_CALL CH375ReadInter(uint32_t index, void* buffer, uint32_t* length);
/* End pending transfers of that pipe: blocked calls return failure. */
CH375_API int CH375_CALL CH375AbortWrite(uint32_t index);
CH375_API int CH375_CALL CH375AbortRead(uint32_t index);
CH375_API int CH375_CALL CH375AbortInter(uint32_t index);

#ifdef __cplusplus
}
#endif

#endif /* TARVEL_CH375_H */
