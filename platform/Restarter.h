// Starting the program anew. A language change takes effect only in a new
// instance: the running one starts its own executable again and then closes
// the ordinary way, so its shutdown still saves the settings and closes the
// CAN adapter. The GUI installs WxRestarter (RestarterWx.h); tests install a
// RecordingRestarter.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace tarvel {

class Restarter {
public:
    virtual ~Restarter() = default;
    // Starts `executablePath` as a new process, then asks the running
    // program to close in order.
    virtual void Restart(const std::string& executablePath) = 0;
};

// Without a GUI there is nothing to close: the default only traces.
Restarter& GetRestarter();
void SetRestarter(Restarter* restarter); // not owned; nullptr restores the default

class ScopedRestarter {
public:
    explicit ScopedRestarter(Restarter& restarter);
    ~ScopedRestarter();
    ScopedRestarter(const ScopedRestarter&) = delete;
    ScopedRestarter& operator=(const ScopedRestarter&) = delete;

private:
    Restarter* previous_;
};

// Records every request instead of starting anything.
class RecordingRestarter : public Restarter {
public:
    void Restart(const std::string& executablePath) override;
    std::vector<std::string> Requests() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
};

} // namespace tarvel
