#include "EolLiftingPageLogic.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "WindowRegistry.h"

#include "UdsEngine.h"
#include "UdsServices.h"

#include <algorithm>

EolLiftingPageLogic::EolLiftingPageLogic(int tab, EolPage page, const int32_t& result,
                                         const tarvel::PageContext& context)
    : EolPageLogic(tab, EolPageTraits{page, 1, /*startClearsStop*/ true, /*exitSetsStop*/ false, /*hasExit*/ true},
                   context),
      result_(result)
{
}

void EolLiftingPageLogic::OnActivate(int)
{
    if (result_ == EolNotTested)
        SetPicture(0, EolPicture::Idle);
    state_.preview = LiftingAxlePreviewCells(AxleCount, ParameterChoice, AxleFeatureFlags, LiftingAxleFlags);
    Changed();
}

void EolLiftingPageLogic::OnPageLanguageChanged()
{
    state_.previewCaption = Text(kPreviewTextRow);
    state_.yesCaption = Text(kYesTextRow);
    state_.noCaption = Text(kNoTextRow);
}

bool EolLiftingPageLogic::ReadLiftingAxleParameters(uint32_t waitMs)
{
    state_.pairShown = 0;
    state_.step = 0;
    Changed();
    tarvel::SendToRegisteredWindow(tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_READ);
    return PumpedWait(waitMs);
}

EolLiftingPageLogic::StatusRead EolLiftingPageLogic::ReadStatus(int step, std::vector<uint8_t>& status)
{
    std::vector<uint8_t> data;
    const int ok = tarvel::UdsReadById(kStatusDid, data);
    if (!StillRunning() || state_.step != step)
        return StatusRead::Ended;
    // Only what the ECU sent counts: a positive answer without data fails.
    const uint32_t length = tarvel::UdsResponseLength();
    const size_t size = std::min<size_t>(data.size(), length >= 3 ? length - 3 : 0);
    if (ok != 1 || size < 1) {
        ExitTest();
        return StatusRead::Failed;
    }
    status.assign(data.begin(), data.begin() + static_cast<long>(size));
    return StatusRead::Read;
}
