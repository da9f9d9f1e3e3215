#include "DiagnosisPages.h"

#include "ABSMonitorLogic.h"
#include "DeviceInfoLogic.h"
#include "DiagnosisGlobals.h"
#include "PageHostTable.h"

ABSRWDIDLogic::ABSRWDIDLogic(const tarvel::PageContext& context) : PageLogic(tarvel::TabParameters, context) {}

void ABSRWDIDLogic::OnDisconnected()
{
    ParameterListStale = 1;
}

ABSDTCInformationLogic::ABSDTCInformationLogic(const tarvel::PageContext& context)
    : PageLogic(tarvel::TabTroubleCodes, context)
{
}

void ABSDTCInformationLogic::OnDisconnected()
{
    DtcReadPending = 0;
}

void ABSDTCInformationLogic::OnResetForNewRun()
{
    LoadFailureTable();
}

void ABSDTCInformationLogic::LoadFailureTable()
{
    // The fault table files belong to this page's own next step.
}

namespace tarvel {

std::unique_ptr<PageLogic> MakeDiagnosisPageLogic(int tab, const PageContext& context)
{
    switch (tab) {
    case TabDeviceInfo: return std::make_unique<DeviceInfoLogic>(context);
    case TabParameters: return std::make_unique<ABSRWDIDLogic>(context);
    case TabMonitor: return std::make_unique<ABSMonitorLogic>(context);
    case TabTroubleCodes: return std::make_unique<ABSDTCInformationLogic>(context);
    default: return nullptr;
    }
}

} // namespace tarvel
