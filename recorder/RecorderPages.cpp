#include "RecorderPages.h"

#include "ODR_InfoLogic.h"
#include "ODR_Trip_InfoLogic.h"
#include "OdrDefinitions.h"
#include "PageHostTable.h"
#include "RecorderGlobals.h"

namespace tarvel {

std::unique_ptr<PageLogic> MakeRecorderPageLogic(int tab, const PageContext& context)
{
    switch (tab) {
    case TabOdrInfo: return std::make_unique<ODR_InfoLogic>(context);
    case TabOdrTrip: return std::make_unique<ODR_Trip_InfoLogic>(context);
    default: return nullptr;
    }
}

} // namespace tarvel
