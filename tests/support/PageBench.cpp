#include "PageBench.h"

#include "LanguageTable.h"
#include "NavigationModel.h"
#include "PageLogicSet.h"
#include "ShellGlobals.h"

#include "AdapterSwitchPort.h"
#include "CanAdapterGlobals.h"
#include "CanAdapterSwitch.h"

#include <stdexcept>

namespace tarvel_test {

std::string DataFolder()
{
    return TARVEL_TEST_DATA_DIR;
}

PageBench::PageBench(int language)
{
    tarvel::SetFileChooser(&files);
    tarvel::SetShellTimerFactory(&timers);
    tarvel::SetCanPort(&port);
    LanguageIndex = language;
    if (!LoadLanguageConfig())
        throw std::runtime_error("the bench cannot load LanguageConfig.xml from " + DataFolder());
    ecu = std::make_unique<sim::SimEcu>(clock);
    ecu->AttachTo(world.Bus(0));
    ecu->AttachTo(world.Bus(1));
    controller = std::make_unique<tarvel::ConnectionController>(pages, timers);
    tarvel::SetPageWorkStopHandler([this] { tarvel::StopPageWork(pages); });
}

PageBench::~PageBench()
{
    tarvel::SetPageWorkStopHandler(nullptr);
    controller.reset();
    if (tarvel::CanDeviceOpen > 0)
        tarvel::CloseCanDevice();
    tarvel::SetCanPort(nullptr);
    tarvel::SetShellTimerFactory(nullptr);
    tarvel::SetFileChooser(nullptr);
    ecu.reset();
    LanguageTable.clear();
}

bool PageBench::Connect(int baudRow)
{
    tarvel::SelectedCanAdapter = 0;
    tarvel::SelectedCanBaud = baudRow;
    controller->OnConnectCan();
    ClearRequests();
    return EcuConnected.load() == 1;
}

void PageBench::Disconnect()
{
    controller->OnDisconnectCan();
}

std::vector<std::vector<uint8_t>> PageBench::Requests() const
{
    std::vector<std::vector<uint8_t>> all = ecu->Requests();
    if (requestsSeen_ >= all.size())
        return {};
    return std::vector<std::vector<uint8_t>>(all.begin() + static_cast<std::ptrdiff_t>(requestsSeen_), all.end());
}

void PageBench::ClearRequests()
{
    requestsSeen_ = ecu->Requests().size();
}

} // namespace tarvel_test
