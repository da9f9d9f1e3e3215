// The call log and the fault injector every stand-in for a vendor CAN driver
// library shares (ControlCAN, CANlib, the XL driver). Each stand-in records
// every entry point it runs, with its arguments, under its library's name, so
// tests can check the order in which the adapter switch drives a library; a
// test can also make a chosen entry point fail with a chosen result.
//
// There is one log and one injector for the whole process: they live in a
// shared library of their own, so the XL stand-in (a shared library loaded by
// name) and the linked stand-ins write to the same instances.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#if defined(_WIN32)
#if defined(STANDIN_LOG_BUILDING)
#define STANDIN_LOG_API __declspec(dllexport)
#else
#define STANDIN_LOG_API __declspec(dllimport)
#endif
#else
#define STANDIN_LOG_API __attribute__((visibility("default")))
#endif

namespace standin {

struct Call {
    std::string name;
    std::vector<int64_t> args;
    std::string library;
};

// Every recorded call of every stand-in, in call order.
class STANDIN_LOG_API CallLog {
public:
    void Record(const std::string& library, const std::string& name, std::vector<int64_t> args = {});
    // The calls of one library (every library when `library` is empty).
    std::vector<Call> Calls(const std::string& library = {}) const;
    // Forgets the calls of one library (every call when `library` is empty).
    void Clear(const std::string& library = {});

private:
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
};

// Failures armed by tests: the next calls of an entry point return a chosen
// result instead of doing their work.
class STANDIN_LOG_API FaultInjector {
public:
    // The next `times` calls of `name` (every call when times is 0) return
    // `result`.
    void Arm(const std::string& library, const std::string& name, int64_t result, unsigned times = 1);
    // True (with the result to return) when a failure is armed for `name`.
    bool Take(const std::string& library, const std::string& name, int64_t& result);
    // Disarms the failures of one library (all when `library` is empty).
    void Clear(const std::string& library = {});

private:
    struct Failure {
        int64_t result;
        unsigned remaining;
        bool forever;
    };
    std::mutex mutex_;
    std::map<std::pair<std::string, std::string>, Failure> failures_;
};

// The process's one call log and one fault injector.
STANDIN_LOG_API CallLog& SharedCallLog();
STANDIN_LOG_API FaultInjector& SharedFaults();

// One library's view of the shared log and injector: what a stand-in writes
// through and what its tests read.
class STANDIN_LOG_API LibraryLog {
public:
    explicit LibraryLog(std::string library) : library_(std::move(library)) {}

    const std::string& Library() const { return library_; }
    void Record(const std::string& name, std::vector<int64_t> args = {}) const;
    std::vector<Call> Calls() const;
    // Only the names, in call order.
    std::vector<std::string> Names() const;
    size_t Count(const std::string& name) const;
    void Clear() const;

    void FailCall(const std::string& name, int64_t result, unsigned times = 1) const;
    void ClearFailures() const;
    bool TakeFailure(const std::string& name, int64_t& result) const;

private:
    std::string library_;
};

} // namespace standin
