// The logic of this folder's pages, made by tab for the shell's page set.
#pragma once

#include "PageLogic.h"

#include <memory>

namespace tarvel {
// The logic of `tab` when it is one of this folder's pages, else null.
std::unique_ptr<PageLogic> MakeEolPageLogic(int tab, const PageContext& context);
} // namespace tarvel
