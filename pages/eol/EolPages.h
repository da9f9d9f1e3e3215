// The logic of this folder's pages, made by tab for the shell's page set.
#pragma once

#include "EolPageLogic.h"
#include "PageLogic.h"

#include <memory>

namespace tarvel {
// The logic of `tab` when it is one of this folder's pages, else null.
std::unique_ptr<PageLogic> MakeEolPageLogic(int tab, const PageContext& context);
} // namespace tarvel

// A test page whose sequence is not written yet: it has the common shape
// (activation, language, a lost link ends a run) and its Start ends at once.
class EolPendingPageLogic : public EolPageLogic {
public:
    EolPendingPageLogic(int tab, const EolPageTraits& traits, const tarvel::PageContext& context)
        : EolPageLogic(tab, traits, context)
    {
    }

protected:
    void RunTest() override { EndRun(); }
};
