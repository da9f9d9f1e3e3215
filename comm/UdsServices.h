// One call per UDS service the program uses. Each call takes the transaction,
// builds UdsRequest, sends it and waits (UdsEngine.h), and returns 1 for the
// positive response and 0 otherwise (the DTC reads and RequestDownload return
// their own values). A response that is not positive shows the negative
// response box unless the call is one of the silent ones; a time-out shows
// the "Service timeout" box with the call's caption by the engine's rules.
// Out-parameters are filled only on a positive response. A call refused
// because another request is outstanding returns its failure value at once.
#pragma once

#include "UdsEngine.h"
#include "UdsNegativeResponse.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvel {

// Maximum block length of the last positive RequestDownload answer.
extern std::atomic<uint32_t> DownloadMaxBlockLength;
// Address and size of the last RequestDownload, as numbers.
extern std::atomic<uint32_t> DownloadRequestAddress;
extern std::atomic<uint32_t> DownloadRequestSize;

// Where the user's language (0 Chinese, 1 English, 2..4 the others) comes
// from, for the status words of the fault list. The program installs it at
// start-up; until then (or with null) the words are left out.
using UdsLanguageSource = int (*)();
void SetUdsLanguageSource(UdsLanguageSource source);

// The DTC count read's "no count".
constexpr int kUdsNoDtcCount = 255;

int UdsDiagnosticSessionControl(uint8_t session);
int UdsEcuReset();
int UdsClearDtc();
// The number of DTCs matching `statusMask`, or 255 when there is none.
int UdsReadDtcCount(uint8_t statusMask);
// The DTCs matching `statusMask` as text: "0x<DTC><status word>**" for each,
// " ；No Fault" for none, "" on failure.
std::string UdsReadDtcByStatus(uint8_t statusMask);
int UdsReadById(uint16_t did, std::vector<uint8_t>& out);
int UdsReadByIdQuiet(uint16_t did, std::vector<uint8_t>& out);
int UdsSecurityAccess();
// Only level 3 (requestSeed 09 / sendKey 0A) is known; other levels send
// nothing and return 0.
int UdsSecurityAccessLevel(int level);
int UdsCommunicationControl(uint8_t controlType, uint8_t communicationType);
int UdsWriteById(uint16_t did, const std::vector<uint8_t>& data);
int UdsIoControlById3(uint16_t did, uint8_t controlParameter);
// The same without any box: for handing an output back after the ECU fell
// silent, when another time-out box would only repeat what the page said.
int UdsIoControlById3Quiet(uint16_t did, uint8_t controlParameter);
int UdsIoControlById5(uint16_t did, uint8_t state1, uint8_t state2, uint8_t controlParameter);
int UdsIoControlById6(uint16_t did, uint8_t state1, uint8_t state2, uint8_t state3, uint8_t controlParameter);
int UdsIoControlById6NoCheck(uint16_t did, uint8_t state1, uint8_t state2, uint8_t state3,
                             uint8_t controlParameter);
int UdsRoutineControl(uint16_t routineId, uint8_t subFunction, std::vector<uint8_t>& out);
// The "4 bytes" arguments must hold at least 4 bytes (the first 4 are sent);
// a shorter one sends nothing and returns 0.
int UdsRoutineControl13(uint8_t b1, uint8_t b2, uint8_t b3, const std::vector<uint8_t>& first4,
                        const std::vector<uint8_t>& second4, std::vector<uint8_t>& out);
int UdsRoutineControl8(uint8_t b1, uint8_t b2, const std::vector<uint8_t>& bytes4, std::vector<uint8_t>& out);
int UdsRoutineControl8Var(uint8_t b1, uint8_t b2, uint8_t b3, const std::vector<uint8_t>& bytes4,
                          std::vector<uint8_t>& out);
int UdsRoutineControl4(uint8_t b1, uint8_t b2, uint8_t b3, std::vector<uint8_t>& out);
int UdsRoutineControl7(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, uint8_t b5, uint8_t b6);
int UdsRoutineControl7Word(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, uint16_t value);
int UdsRoutineControl5(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4);
// Returns the ECU's maximum block length (also kept in
// DownloadMaxBlockLength), or 0. The byte vectors must hold 4 bytes each.
uint32_t UdsRequestDownload(uint32_t address, uint32_t size, const std::vector<uint8_t>& addressBytes,
                            const std::vector<uint8_t>& sizeBytes);
// Sends the first `count` bytes of `data`; a count outside the vector sends
// nothing and returns 0.
int UdsTransferData(int count, uint8_t blockSequenceCounter, const std::vector<uint8_t>& data);
int UdsRequestTransferExit();
int UdsTesterPresent();
int UdsControlDtcSetting(uint8_t settingType);
// The end-of-line marker: extended session, unlock, write DID 0x0094. Every
// step runs whatever the one before returned. True when the ECU accepted the
// write itself.
bool WriteDid0094Byte(uint8_t value);

} // namespace tarvel
