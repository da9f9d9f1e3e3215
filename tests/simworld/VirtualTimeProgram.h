// The program on the built-in simulated world with virtual time, as the
// end-of-line window tests run it.
#pragma once

#include "TarvelApp.h"

#include "ProgramUnderTest.h"

#include "SimBuiltInWorld.h"
#include "SimTrailerFaults.h"
#include "Timer.h"
#include "VirtualClock.h"

#include <wx/app.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace simworldtest {

class VirtualTimeProgram {
public:
    // `faults`: what TARVEL_SIM_TRAILER names for this run (empty: a good
    // trailer); `prepare` may change the program's data before it starts.
    bool Start(const std::string& name, const std::string& faults = {},
               const tarvel_test::ProgramUnderTest::Preparation& prepare = {})
    {
        if (faults.empty())
            ::unsetenv(sim::kTrailerFaultsVariable);
        else
            ::setenv(sim::kTrailerFaultsVariable, faults.c_str(), 1);
        sim::SetBuiltInWorldTime(&clock, &clock);
        CTarvelApp::SetTimerFactoryForTests(&timers);
        if (!program.Start(name.c_str(), prepare))
            return false;
        app = program.app;
        return true;
    }

    ~VirtualTimeProgram()
    {
        if (program.started)
            program.Stop();
        // The program worked in its own folder, which is gone now.
        std::filesystem::current_path(startFolder);
        CTarvelApp::SetTimerFactoryForTests(nullptr);
        sim::SetBuiltInWorldTime(nullptr, nullptr);
        ::unsetenv(sim::kTrailerFaultsVariable);
    }

    // Lets virtual time pass in small steps, the window handling its events
    // between them, until `done` holds or `ms` have passed.
    bool PassTime(uint64_t ms, const std::function<bool()>& done = [] { return false; })
    {
        for (uint64_t t = 0; t < ms; t += kStepMs) {
            if (done())
                return true;
            clock.Advance(kStepMs * 1000);
            wxTheApp->Yield(true);
        }
        return done();
    }

    static constexpr uint64_t kStepMs = 20;

    const std::filesystem::path startFolder = std::filesystem::current_path();
    tarvel::VirtualClock clock{1000000};
    tarvel::ScopedClock useClock{clock};
    tarvel::VirtualTimerFactory timers{clock};
    tarvel_test::ProgramUnderTest program;
    CTarvelApp* app = nullptr;
};

} // namespace simworldtest
