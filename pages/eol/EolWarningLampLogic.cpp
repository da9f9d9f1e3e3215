#include "EolWarningLampLogic.h"

#include "PageHostTable.h"

EolWarningLampLogic::EolWarningLampLogic(const tarvel::PageContext& context)
    : EolLampQuestionLogic(
          tarvel::TabEolLamp,
          EolLampPageSpec{EolPage::WarningLamp,
                          kWarningLampOutput,
                          {&EolWarningLampOnResult, &EolWarningLampOnRemark, kLampOnPromptRow, kLampOnRefusedRow},
                          {&EolWarningLampOffResult, &EolWarningLampOffRemark, kLampOffPromptRow, kLampOffRefusedRow},
                          /*onMarkerNeedsUnlock*/ true},
          context)
{
}
