#include "EolPages.h"

#include "EolBackupPressureLogic.h"
#include "EolBrakeLampLogic.h"
#include "EolBrakePressureLogic.h"
#include "EolDtcTestLogic.h"
#include "EolGlobals.h"
#include "EolHeightSensorLogic.h"
#include "EolUnderwaterValveLogic.h"
#include "EolLiftingAxleTestLogic.h"
#include "EolLiftingSensorTestLogic.h"
#include "EolSensorTestLogic.h"
#include "EolVoltageTestLogic.h"
#include "EolWarningLampLogic.h"
#include "PageHostTable.h"

namespace tarvel {

std::unique_ptr<PageLogic> MakeEolPageLogic(int tab, const PageContext& context)
{
    switch (tab) {
    case TabEolVoltage:
        return std::make_unique<EolVoltageTestLogic>(context);
    case TabEolLamp:
        return std::make_unique<EolWarningLampLogic>(context);
    case TabEolSensor:
        return std::make_unique<EolSensorTestLogic>(context);
    case TabEolPressure:
        return std::make_unique<EolBrakePressureLogic>(context);
    case TabEolBackupPressure:
        return std::make_unique<EolBackupPressureLogic>(context);
    case TabEolDtc:
        return std::make_unique<EolDtcTestLogic>(context);
    case TabEolLiftingAxle:
        return std::make_unique<EolLiftingAxleTestLogic>(context);
    case TabEolHeightSensor:
        return std::make_unique<EolHeightSensorLogic>(context);
    case TabEolBrakeLamp:
        return std::make_unique<EolBrakeLampLogic>(context);
    case TabEolLiftingSensor:
        return std::make_unique<EolLiftingSensorTestLogic>(context);
    case TabEolUnderwaterValve:
        return std::make_unique<EolUnderwaterValveLogic>(context);
    default:
        return nullptr;
    }
}

} // namespace tarvel
