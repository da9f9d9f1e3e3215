#include "Restarter.h"

#include <atomic>

#include "Log.h"

namespace tarvel {
namespace {

class TraceOnlyRestarter : public Restarter {
public:
    void Restart(const std::string& executablePath) override
    {
        TraceLog("Restart of " + executablePath + " asked for, but no restarter is installed");
    }
};

TraceOnlyRestarter& DefaultRestarter()
{
    static TraceOnlyRestarter r;
    return r;
}

std::atomic<Restarter*> g_restarter{nullptr};

} // namespace

Restarter& GetRestarter()
{
    Restarter* r = g_restarter.load();
    return r ? *r : DefaultRestarter();
}

void SetRestarter(Restarter* restarter) { g_restarter.store(restarter); }

ScopedRestarter::ScopedRestarter(Restarter& restarter) : previous_(g_restarter.load())
{
    SetRestarter(&restarter);
}

ScopedRestarter::~ScopedRestarter() { SetRestarter(previous_); }

void RecordingRestarter::Restart(const std::string& executablePath)
{
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(executablePath);
}

std::vector<std::string> RecordingRestarter::Requests() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

} // namespace tarvel
