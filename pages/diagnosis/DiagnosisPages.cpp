#include "DiagnosisPages.h"

#include "ABSConnectorsLogic.h"
#include "ABSDTCInformationLogic.h"
#include "ABSMonitorLogic.h"
#include "ABSRSSCalibrationLogic.h"
#include "ABSRWDIDLogic.h"
#include "DeviceInfoLogic.h"
#include "DiagnosisGlobals.h"
#include "DownloadPageLogic.h"
#include "LiftingAxleCalibrationLogic.h"
#include "PageHostTable.h"

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
    case TabRssCalibration: return std::make_unique<ABSRSSCalibrationLogic>(context);
    case TabConnectors: return std::make_unique<ABSConnectorsLogic>(context);
    default: return nullptr;
    }
}

} // namespace tarvel
