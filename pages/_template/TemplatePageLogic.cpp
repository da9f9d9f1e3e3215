#include "TemplatePageLogic.h"

#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include <vector>

TemplatePageLogic::TemplatePageLogic(const tarvel::PageContext& context)
    : PageLogic(kTab, context), refresh_(context.timers.Create([this] { OnRefreshTick(); }))
{
}

TemplatePageLogic::~TemplatePageLogic()
{
    refresh_->Stop();
}

void TemplatePageLogic::OnActivate(int)
{
    if (EcuConnected.load() != 1)
        return;
    working_ = true;
    Read();
    if (working_)
        refresh_->Start(kRefreshPeriodMs);
}

void TemplatePageLogic::OnDisconnected()
{
    OnStopWork();
    state_ = TemplatePageState{};
    Changed();
}

void TemplatePageLogic::OnStopWork()
{
    working_ = false;
    refresh_->Stop();
}

void TemplatePageLogic::OnReadClicked()
{
    if (EcuConnected.load() != 1) {
        tarvel::ShowNotConnectedBox();
        return;
    }
    Read();
}

bool TemplatePageLogic::Refreshing() const
{
    return refresh_->IsRunning();
}

void TemplatePageLogic::OnRefreshTick()
{
    if (tarvel::UdsRequestInFlight())
        return; // another request holds the link; the next tick tries again
    Read();
}

void TemplatePageLogic::Read()
{
    std::vector<uint8_t> answer;
    const bool ok = tarvel::UdsReadByIdQuiet(kDid, answer) == 1;
    // The wait pumped events: the link may have gone or the page been left.
    if (EcuConnected.load() != 1)
        return;
    state_.readFailed = !ok;
    state_.serialNumber.clear();
    if (ok)
        for (uint8_t b : answer) {
            if (b < 0x20 || b > 0x7E)
                break;
            state_.serialNumber.push_back(static_cast<char>(b));
        }
    ++state_.reads;
    Changed();
}
