#include "PageLogicSet.h"

#include "DiagnosisPages.h"
#include "EolPages.h"
#include "PageSwitch.h"
#include "RecorderPages.h"
#include "ReportPages.h"

namespace tarvel {

namespace {

using Maker = std::unique_ptr<PageLogic> (*)(int tab, const PageContext& context);
const Maker kFolders[] = {MakeDiagnosisPageLogic, MakeEolPageLogic, MakeReportPageLogic, MakeRecorderPageLogic};

std::array<int, PageCount> TabOrder()
{
    std::array<int, PageCount> order{};
    for (int tab = 0; tab < PageCount; ++tab)
        order[static_cast<size_t>(tab)] = tab;
    return order;
}

template <class Hook>
void TellAll(ShellPages& pages, Hook hook)
{
    for (int tab : PageHookOrder())
        if (PageLogic* logic = pages.Logic(tab))
            hook(*logic);
}

} // namespace

PageLogicSet::PageLogicSet(const PageContext& context)
{
    for (int tab = 0; tab < PageCount; ++tab) {
        std::unique_ptr<PageLogic> logic;
        for (Maker make : kFolders) {
            logic = make(tab, context);
            if (logic)
                break;
        }
        if (!logic)
            logic = std::make_unique<PageLogic>(tab, context);
        logics_[static_cast<size_t>(tab)] = std::move(logic);
    }
}

PageLogicSet::~PageLogicSet() = default;

PageLogic* PageLogicSet::At(int tab) const
{
    if (tab < 0 || tab >= PageCount)
        return nullptr;
    return logics_[static_cast<size_t>(tab)].get();
}

const std::array<int, PageCount>& PageHookOrder()
{
    static const std::array<int, PageCount> order = TabOrder();
    return order;
}

void ResetPagesForNewRun(ShellPages& pages)
{
    TellAll(pages, [](PageLogic& logic) { logic.OnResetForNewRun(); });
}

void TellPagesConnected(ShellPages& pages)
{
    TellAll(pages, [](PageLogic& logic) { logic.OnConnected(); });
}

void TellPagesDisconnected(ShellPages& pages)
{
    TellAll(pages, [](PageLogic& logic) { logic.OnDisconnected(); });
}

void StopPageWork(ShellPages& pages)
{
    TellAll(pages, [](PageLogic& logic) { logic.OnStopWork(); });
}

} // namespace tarvel
