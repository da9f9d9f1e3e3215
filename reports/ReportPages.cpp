#include "ReportPages.h"

#include "PageHostTable.h"

ABSEOLReportsLogic::ABSEOLReportsLogic(const tarvel::PageContext& context) : PageLogic(tarvel::TabEolReports, context)
{
}

void ABSEOLReportsLogic::OnResetForNewRun()
{
    LoadPdfLanguageConfig();
}

void ABSEOLReportsLogic::LoadPdfLanguageConfig()
{
    // The report texts belong to the report page's own next step.
}

namespace tarvel {

std::unique_ptr<PageLogic> MakeReportPageLogic(int tab, const PageContext& context)
{
    if (tab == TabEolReports)
        return std::make_unique<ABSEOLReportsLogic>(context);
    return nullptr;
}

} // namespace tarvel
