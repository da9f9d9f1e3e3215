#include "SimBootLoader.h"

#include "SimEcu.h"
#include "SimEcuData.h"

#include <algorithm>
#include <functional>

namespace sim {

namespace {

constexpr uint8_t kSubFunctionNotSupported = 0x12;
constexpr uint8_t kIncorrectLength = 0x13;
constexpr uint8_t kRequestOutOfRange = 0x31;
constexpr uint8_t kSecurityAccessDenied = 0x33;
constexpr uint8_t kNotInActiveSession = 0x7F;
constexpr uint8_t kProgrammingSession = 0x02;
constexpr uint8_t kDefaultSession = 0x01;

// Routine status bytes as the download sequence reads them.
constexpr uint8_t kStatusOk = 0x00;        // preconditions, erase, checksum, dependencies
constexpr uint8_t kStatusFailed = 0x01;
constexpr uint8_t kCompatible = 0x01;      // boot-loader and hardware checks: 0 means incompatible
constexpr uint8_t kIncompatible = 0x00;

using Body = std::function<SimEcuAnswer(const std::vector<uint8_t>&, SimEcuContext&)>;

// Only "start" is known; the option record has a fixed length; the
// programming routines need the programming session and its unlock.
RoutineHandler StartOnly(size_t optionLength, bool needsProgramming, Body body)
{
    return [=](uint8_t sub, const std::vector<uint8_t>& option, SimEcuContext& ecu) {
        if (sub != 0x01)
            return SimEcuAnswer::Negative(kSubFunctionNotSupported);
        if (option.size() != optionLength)
            return SimEcuAnswer::Negative(kIncorrectLength);
        if (needsProgramming && ecu.Session() != kProgrammingSession)
            return SimEcuAnswer::Negative(kNotInActiveSession);
        if (needsProgramming && !ecu.Unlocked(0x09))
            return SimEcuAnswer::Negative(kSecurityAccessDenied);
        return body(option, ecu);
    };
}

uint32_t BigEndian32(const std::vector<uint8_t>& v, size_t at)
{
    return (uint32_t(v[at]) << 24) | (uint32_t(v[at + 1]) << 16) | (uint32_t(v[at + 2]) << 8) | v[at + 3];
}

} // namespace

void InstallBootLoader(SimEcu& ecu, const BootLoaderSettings& s)
{
    ecu.RegisterRoutine(0x0203, StartOnly(0, false, [s](const std::vector<uint8_t>&, SimEcuContext& e) {
        // Programming may not start from the default session.
        return SimEcuAnswer::Positive({e.Session() == kDefaultSession ? kStatusFailed : s.preconditionStatus});
    }));
    ecu.RegisterRoutine(0x0204, StartOnly(4, true, [s](const std::vector<uint8_t>& v, SimEcuContext&) {
        const bool same = std::equal(v.begin(), v.end(), s.bootLoaderVersion.begin());
        return SimEcuAnswer::Positive({same ? kCompatible : kIncompatible});
    }));
    ecu.RegisterRoutine(0x0205, StartOnly(4, true, [s](const std::vector<uint8_t>& v, SimEcuContext&) {
        const bool same = std::equal(v.begin(), v.end(), s.hardwareVersion.begin());
        return SimEcuAnswer::Positive({same ? kCompatible : kIncompatible});
    }));
    ecu.RegisterRoutine(0xFF00, StartOnly(9, true, [s](const std::vector<uint8_t>& v, SimEcuContext& e) {
        // 44, four address bytes, four length bytes.
        if (v[0] != 0x44 || BigEndian32(v, 5) == 0)
            return SimEcuAnswer::Negative(kRequestOutOfRange);
        if (s.eraseStatus == kStatusOk)
            e.ClearImage();
        SimEcuAnswer answer = SimEcuAnswer::Positive({s.eraseStatus});
        answer.busyMs = s.eraseMs;
        return answer;
    }));
    ecu.RegisterRoutine(0x0202, StartOnly(4, true, [](const std::vector<uint8_t>& v, SimEcuContext& e) {
        const bool match = !e.Image().empty() && ecudata::Crc32(e.Image()) == BigEndian32(v, 0);
        return SimEcuAnswer::Positive({match ? kStatusOk : kStatusFailed});
    }));
    ecu.RegisterRoutine(0xFF01, StartOnly(0, true, [s](const std::vector<uint8_t>&, SimEcuContext& e) {
        return SimEcuAnswer::Positive({e.Image().empty() ? kStatusFailed : s.dependencyStatus});
    }));
}

} // namespace sim
