// The GUI's restarter: starts the running executable again with wxExecute,
// then closes the main window once the current event has been handled, so the
// normal shutdown saves the settings and closes the adapter.
#pragma once

#include <functional>

#include "Restarter.h"

namespace tarvel {

class WxRestarter : public Restarter {
public:
    // `closeProgram` performs the orderly close; empty closes the
    // application's top window.
    explicit WxRestarter(std::function<void()> closeProgram = {});
    void Restart(const std::string& executablePath) override;

private:
    std::function<void()> closeProgram_;
};

} // namespace tarvel
