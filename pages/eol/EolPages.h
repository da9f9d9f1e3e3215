// The logic of this folder's pages, made by tab for the shell's page set.
#pragma once

#include "PageLogic.h"

#include <memory>

namespace tarvel {
// The logic of `tab` when it is one of this folder's pages, else null.
std::unique_ptr<PageLogic> MakeEolPageLogic(int tab, const PageContext& context);
} // namespace tarvel

// What every end-of-line test page does so far: a lost link stops the
// running step at its next check. Each page grows its own logic from it.
class EolPageLogic : public tarvel::PageLogic {
public:
    EolPageLogic(int tab, const tarvel::PageContext& context) : PageLogic(tab, context) {}
    void OnDisconnected() override;
};
