// The logic of the 23 function pages, one per fixed tab, and the shell's
// order tables for telling them of a page reset, a connect, a disconnect and
// a stop of running work. Each page folder makes the logic of its own tabs;
// a tab no folder claims gets the plain base, whose hooks do nothing.
#pragma once

#include "PageHostTable.h"
#include "PageLogic.h"

#include <array>
#include <memory>

namespace tarvel {

class ShellPages;

class PageLogicSet {
public:
    // `context` must outlive the set.
    explicit PageLogicSet(const PageContext& context);
    ~PageLogicSet();
    PageLogicSet(const PageLogicSet&) = delete;
    PageLogicSet& operator=(const PageLogicSet&) = delete;

    // The logic of tab `tab`; null outside 0..22.
    PageLogic* At(int tab) const;

private:
    std::array<std::unique_ptr<PageLogic>, PageCount> logics_;
};

// The order in which the pages are told of a page reset, a connect, a
// disconnect and a stop of running work: tab order.
const std::array<int, PageCount>& PageHookOrder();

// Each calls the hook of every page the host has logic for, in that order.
void ResetPagesForNewRun(ShellPages& pages);
void TellPagesConnected(ShellPages& pages);
void TellPagesDisconnected(ShellPages& pages);
void StopPageWork(ShellPages& pages);

} // namespace tarvel
