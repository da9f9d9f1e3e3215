// The program's own CAN surroundings (StartCanSurroundings: the adapter
// switch's port, the stand-in drivers, the XL driver loaded by name, the
// built-in simulated world with its timed buses and the person at the
// trailer) with the shell's page host and connection life, on a virtual
// clock and a world of its own: for tests and benchmarks that measure how
// long things take on the bus as the running program has it, without
// waiting for it. One at a time; the user may switch adapters between
// connects, as in the program.
//
//   tarvel_test::ProgramComposition program;
//   ASSERT_TRUE(program.Connect(2, 0));  // Pellix-II@Kvaser, 500 kbit/s
//   DownloadPageLogic page(program.Context());
#pragma once

#include "CanAdapterGlobals.h"
#include "CanAdapterSwitch.h"
#include "CanComposition.h"
#include "ConnectionLife.h"
#include "LanguageTable.h"
#include "PageBench.h"
#include "ProgramPaths.h"
#include "Prompter.h"
#include "RecordingPages.h"
#include "ShellGlobals.h"
#include "SimBuiltInWorld.h"
#include "SimWorld.h"
#include "Timer.h"
#include "VectorXlDriver.h"
#include "VirtualClock.h"

#include <memory>
#include <stdexcept>

namespace tarvel_test {

class ProgramComposition {
public:
    ProgramComposition()
    {
        sim::StopBuiltInEcu();
        sim::SetBuiltInWorldTime(&clock, &clock);
        tarvel::SetShellTimerFactory(&timers);
        LanguageIndex = 1;
        if (!LoadLanguageConfig())
            throw std::runtime_error("no LanguageConfig.xml in " + DataFolder());
        tarvel::StartCanSurroundings();
        // What the view does once at start-up: the XL driver is loaded.
        tarvel::InitVectorDriver();
        controller = std::make_unique<tarvel::ConnectionController>(pages, timers);
    }

    ~ProgramComposition()
    {
        if (EcuConnected.load() == 1)
            controller->OnDisconnectCan();
        controller.reset();
        tarvel::StopCanSurroundings();
        // The XL driver stays loaded in the program until it ends.
        tarvel::GetVectorCanFunctions().CloseDriver();
        tarvel::ResetCanAdapterForTest();
        tarvel::SetShellTimerFactory(nullptr);
        sim::SetBuiltInWorldTime(nullptr, nullptr);
        LanguageTable.clear();
    }
    ProgramComposition(const ProgramComposition&) = delete;
    ProgramComposition& operator=(const ProgramComposition&) = delete;

    // Connects as the ribbon's Connect does with adapter row `adapterRow`
    // and baud row `baudRow` (0: 500 kbit/s on channel 1, 1: 125 kbit/s on
    // channel 0).
    bool Connect(int adapterRow, int baudRow)
    {
        tarvel::SelectedCanAdapter = adapterRow;
        tarvel::SelectedCanBaud = baudRow;
        controller->OnConnectCan();
        return EcuConnected.load() == 1;
    }
    void Disconnect() { controller->OnDisconnectCan(); }

    const tarvel::PageContext& Context() const { return pages.Context(); }
    // The bus of the channel a baud row connects on.
    std::shared_ptr<sim::CanBus> BusOfBaudRow(int baudRow) { return sim::CurrentWorld().Bus(baudRow == 0 ? 1 : 0); }

    tarvel::VirtualClock clock{1000000};
    tarvel::ScopedClock useClock{clock};
    sim::SimWorld world;
    sim::ScopedWorld useWorld{world};
    tarvel::ScopedProgramFolder useData{DataFolder()};
    tarvel::RecordingPrompter prompter;
    tarvel::ScopedPrompter usePrompter{prompter};
    tarvel::VirtualTimerFactory timers{clock};
    conntest::RecordingPages pages{&timers, DataFolder()};
    std::unique_ptr<tarvel::ConnectionController> controller;
};

} // namespace tarvel_test
