#include "EolWarningLampLogic.h"

#include "PageHostTable.h"

namespace {

EolLampPageSpec WarningLampSpec()
{
    EolLampPageSpec spec{};
    spec.page = EolPage::WarningLamp;
    spec.output = EolWarningLampLogic::kWarningLampOutput;
    spec.onResult = &EolWarningLampOnResult;
    spec.offResult = &EolWarningLampOffResult;
    spec.onRemark = &EolWarningLampOnRemark;
    spec.offRemark = &EolWarningLampOffRemark;
    spec.onPromptRow = EolWarningLampLogic::kLampOnPromptRow;
    spec.offPromptRow = EolWarningLampLogic::kLampOffPromptRow;
    spec.onRefusedRow = EolWarningLampLogic::kLampOnRefusedRow;
    spec.offRefusedRow = EolWarningLampLogic::kLampOffRefusedRow;
    spec.onMarkerNeedsUnlock = true;
    return spec;
}

} // namespace

EolWarningLampLogic::EolWarningLampLogic(const tarvel::PageContext& context)
    : EolLampQuestionLogic(tarvel::TabEolLamp, WarningLampSpec(), context)
{
}
