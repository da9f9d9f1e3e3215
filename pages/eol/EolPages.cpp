#include "EolPages.h"

#include "EolGlobals.h"
#include "PageHostTable.h"

void EolPageLogic::OnDisconnected()
{
    EolStopRequested = 1;
}

namespace tarvel {

std::unique_ptr<PageLogic> MakeEolPageLogic(int tab, const PageContext& context)
{
    switch (tab) {
    case TabEolVoltage:
    case TabEolLamp:
    case TabEolSensor:
    case TabEolPressure:
    case TabEolBackupPressure:
    case TabEolDtc:
    case TabEolLiftingAxle:
    case TabEolHeightSensor:
    case TabEolBrakeLamp:
    case TabEolLiftingSensor:
    case TabEolUnderwaterValve:
        return std::make_unique<EolPageLogic>(tab, context);
    default:
        return nullptr;
    }
}

} // namespace tarvel
