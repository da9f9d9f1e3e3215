// The GUI's restarter: starts the running executable again with wxExecute,
// with the arguments the program was started with (a demonstration started
// with --simulate stays one), then closes the main window once the current
// event has been handled, so the normal shutdown saves the settings and
// closes the adapter.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Restarter.h"

namespace tarvel {

class WxRestarter : public Restarter {
public:
    // `closeProgram` performs the orderly close; empty closes the
    // application's top window. `arguments` follow the path, each as one
    // argument, as the program got them (without its own name).
    explicit WxRestarter(std::function<void()> closeProgram = {}, std::vector<std::string> arguments = {});
    void Restart(const std::string& executablePath) override;

private:
    std::function<void()> closeProgram_;
    std::vector<std::string> arguments_;
};

} // namespace tarvel
