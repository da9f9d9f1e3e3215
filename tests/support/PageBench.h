// The bench every page's logic is tested on: the program's own UDS client
// (adapter switch with the ControlCAN stand-in, ISO-TP link, UDS engine)
// against the simulated ECU on virtual buses, on a virtual clock with virtual
// timers, with the shipped data folder as program folder and the English
// texts loaded, recording boxes and file dialogs. The shared test main has
// reset every global before the bench is built.
//
//   tarvel_test::PageBench bench;
//   ASSERT_TRUE(bench.Connect());
//   MyPageLogic logic(bench.Context());
//   logic.OnActivate(WM_ACTIVATE_...);
//   EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 F1 8A")));
#pragma once

#include "ConnectionLife.h"
#include "FileChooser.h"
#include "PageContext.h"
#include "ProgramPaths.h"
#include "RecordingPages.h"
#include "SimEcuClientStack.h"
#include "Timer.h"
#include "UiDispatcher.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvel_test {

// The shipped data folder of the source tree.
std::string DataFolder();

class PageBench : public SimEcuClientStack {
public:
    // `language`: 0 Chinese, 1 English, 2 Russian, 3 Spanish, 4 Portuguese.
    explicit PageBench(int language = 1);
    ~PageBench();
    PageBench(const PageBench&) = delete;
    PageBench& operator=(const PageBench&) = delete;

    // What a page's logic is built with.
    const tarvel::PageContext& Context() const { return pages.Context(); }

    // Connects as the Connect command does (first adapter, 500 kbit/s): the
    // ECU is probed, the shell's pages are told, the keep-alive runs. The
    // probe is not counted in Requests(). True once connected.
    bool Connect(int baudRow = 0);
    void Disconnect();

    // Lets virtual time pass (timers tick, the ECU answers).
    void Advance(uint64_t ms) { clock.Advance(ms * 1000); }
    // Runs the work posted to the UI thread.
    size_t RunUiWork() { return ui().RunPending(); }

    // The UDS requests the ECU received since the bench was built or last
    // cleared, oldest first, as bytes without the transport framing.
    std::vector<std::vector<uint8_t>> Requests() const;
    void ClearRequests();

    tarvel::QueuedUiDispatcher& ui() { return pages.ui; }

    tarvel::ScopedProgramFolder useData{DataFolder()};
    tarvel::VirtualTimerFactory timers{clock};
    tarvel::RecordingFileChooser files;
    // The shell's page host, with the logic of every page.
    conntest::RecordingPages pages{&timers, DataFolder()};
    std::unique_ptr<tarvel::ConnectionController> controller;

private:
    size_t requestsSeen_ = 0;
};

} // namespace tarvel_test
