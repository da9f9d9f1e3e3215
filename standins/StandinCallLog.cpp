#include "StandinCallLog.h"

namespace standin {

void CallLog::Record(const std::string& library, const std::string& name, std::vector<int64_t> args)
{
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(Call{name, std::move(args), library});
}

std::vector<Call> CallLog::Calls(const std::string& library) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (library.empty())
        return calls_;
    std::vector<Call> out;
    for (const auto& c : calls_)
        if (c.library == library)
            out.push_back(c);
    return out;
}

void CallLog::Clear(const std::string& library)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (library.empty()) {
        calls_.clear();
        return;
    }
    std::vector<Call> kept;
    for (auto& c : calls_)
        if (c.library != library)
            kept.push_back(std::move(c));
    calls_.swap(kept);
}

void FaultInjector::Arm(const std::string& library, const std::string& name, int64_t result, unsigned times)
{
    std::lock_guard<std::mutex> lock(mutex_);
    failures_[{library, name}] = Failure{result, times, times == 0};
}

bool FaultInjector::Take(const std::string& library, const std::string& name, int64_t& result)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = failures_.find({library, name});
    if (it == failures_.end())
        return false;
    result = it->second.result;
    if (!it->second.forever && --it->second.remaining == 0)
        failures_.erase(it);
    return true;
}

void FaultInjector::Clear(const std::string& library)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = failures_.begin(); it != failures_.end();)
        it = library.empty() || it->first.first == library ? failures_.erase(it) : std::next(it);
}

CallLog& SharedCallLog()
{
    static CallLog log;
    return log;
}

FaultInjector& SharedFaults()
{
    static FaultInjector faults;
    return faults;
}

void LibraryLog::Record(const std::string& name, std::vector<int64_t> args) const
{
    SharedCallLog().Record(library_, name, std::move(args));
}

std::vector<Call> LibraryLog::Calls() const { return SharedCallLog().Calls(library_); }

std::vector<std::string> LibraryLog::Names() const
{
    std::vector<std::string> names;
    for (const auto& c : Calls())
        names.push_back(c.name);
    return names;
}

size_t LibraryLog::Count(const std::string& name) const
{
    size_t n = 0;
    for (const auto& c : Calls())
        n += c.name == name ? 1 : 0;
    return n;
}

void LibraryLog::Clear() const { SharedCallLog().Clear(library_); }

void LibraryLog::FailCall(const std::string& name, int64_t result, unsigned times) const
{
    SharedFaults().Arm(library_, name, result, times);
}

void LibraryLog::ClearFailures() const { SharedFaults().Clear(library_); }

bool LibraryLog::TakeFailure(const std::string& name, int64_t& result) const
{
    return SharedFaults().Take(library_, name, result);
}

} // namespace standin
