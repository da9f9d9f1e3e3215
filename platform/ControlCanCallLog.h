// Call log and failure injection shared by our stand-ins for the vendor CAN
// libraries (ControlCAN, CANlib, the XL driver). Each stand-in records every
// entry point it runs, with its arguments, so tests can check the order in
// which the adapter switch drives a library; tests can also make a chosen
// entry point fail with a chosen result.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace standin {

struct Call {
    std::string name;
    std::vector<int64_t> args;
};

class CallLog {
public:
    void Record(const std::string& name, std::vector<int64_t> args = {})
    {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(Call{name, std::move(args)});
    }

    std::vector<Call> Calls() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }

    // Only the names, in call order.
    std::vector<std::string> Names() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> names;
        names.reserve(calls_.size());
        for (const auto& c : calls_)
            names.push_back(c.name);
        return names;
    }

    size_t Count(const std::string& name) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        size_t n = 0;
        for (const auto& c : calls_)
            n += c.name == name ? 1 : 0;
        return n;
    }

    void Clear()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.clear();
    }

    // The next `times` calls of `name` (every call when times is 0) return
    // `result` instead of doing their work.
    void FailCall(const std::string& name, int64_t result, unsigned times = 1)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failures_[name] = Failure{result, times, times == 0};
    }

    void ClearFailures()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failures_.clear();
    }

    // True (with the result to return) when a failure is armed for `name`.
    bool TakeFailure(const std::string& name, int64_t& result)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = failures_.find(name);
        if (it == failures_.end())
            return false;
        result = it->second.result;
        if (!it->second.forever && --it->second.remaining == 0)
            failures_.erase(it);
        return true;
    }

private:
    struct Failure {
        int64_t result;
        unsigned remaining;
        bool forever;
    };
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
    std::map<std::string, Failure> failures_;
};

} // namespace standin
