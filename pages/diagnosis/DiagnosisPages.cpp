#include "DiagnosisPages.h"

#include "ABSDTCInformationLogic.h"
#include "ABSRWDIDLogic.h"
#include "DeviceInfoLogic.h"
#include "DiagnosisGlobals.h"
#include "DownloadPageLogic.h"
#include "LiftingAxleCalibrationLogic.h"
#include "PageHostTable.h"

ABSMonitorLogic::ABSMonitorLogic(const tarvel::PageContext& context) : PageLogic(tarvel::TabMonitor, context) {}

void ABSMonitorLogic::OnDisconnected()
{
    MonitorRunning = 0;
}

namespace tarvel {

std::unique_ptr<PageLogic> MakeDiagnosisPageLogic(int tab, const PageContext& context)
{
    switch (tab) {
    case TabDeviceInfo: return std::make_unique<DeviceInfoLogic>(context);
    case TabParameters: return std::make_unique<ABSRWDIDLogic>(context);
    case TabMonitor: return std::make_unique<ABSMonitorLogic>(context);
    case TabTroubleCodes: return std::make_unique<ABSDTCInformationLogic>(context);
    case TabProgramDownload: return std::make_unique<DownloadPageLogic>(context);
    case TabLiftingAxleCalibration: return std::make_unique<LiftingAxleCalibrationLogic>(context);
    default: return nullptr;
    }
}

} // namespace tarvel
