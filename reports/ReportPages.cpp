#include "ReportPages.h"

#include "PageHostTable.h"
#include "PrintSystemTagLogic.h"
#include "ReportTextTable.h"

namespace tarvel {

std::unique_ptr<PageLogic> MakeReportPageLogic(int tab, const PageContext& context)
{
    if (tab == TabEolReports)
        return std::make_unique<ABSEOLReportsLogic>(context);
    if (tab == TabSystemTag)
        return std::make_unique<PrintSystemTagLogic>(context);
    return nullptr;
}

} // namespace tarvel
