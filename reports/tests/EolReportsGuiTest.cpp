// The EOL results page in the running program: connect to the simulated ECU
// with a passed run's results held, open the page, type the tester and the
// job, Save, and find the report under the VIN.
#include "CABSEOLReports.h"

#include "EolReportsLogic.h"

#include "EolGlobals.h"
#include "LanguageTable.h"
#include "ReportGlobals.h"
#include "ReportTextTable.h"
#include "SettingsFiles.h"

#include "MainFrame.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "TarvelApp.h"
#include "TarvelView.h"

#include "SimEcuData.h"

#include "FileChooser.h"
#include "GuiDriver.h"
#include "PdfKit.h"
#include "ProgramUnderTest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <string>

namespace {

using guidriver::Click;
using guidriver::PumpUntil;

// Saves under the proposed name in a folder of the test's own.
class SaveIntoFolder : public tarvel::FileChooser {
public:
    explicit SaveIntoFolder(std::string folder) : folder_(std::move(folder)) {}
    std::optional<std::string> Choose(const tarvel::FileRequest& request) override
    {
        requests.push_back(request);
        return folder_ + "/" + request.fileName;
    }
    std::vector<tarvel::FileRequest> requests;

private:
    std::string folder_;
};

TEST(EolReportsGui, APassedRunIsListedAndSavedUnderTheVin)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_report_gui")) << "the program did not start";
    CTarvelApp* app = program.app;
    const std::string out = (program.folder / "reports-out").string();
    std::filesystem::create_directories(out);
    SaveIntoFolder chooser(out);
    tarvel::SetFileChooser(&chooser);

    ASSERT_TRUE(guidriver::Connect(app));
    for (int i = 0; i < EolResultFlagCount; ++i) *EolResultFlags()[i] = EolPassed;
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabEolReports));
    auto* page = dynamic_cast<CABSEOLReports*>(app->View()->Page(tarvel::TabEolReports));
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(PumpUntil([page] { return page->ResultList()->GetCount() > 0; }));
    wxListBox* list = page->ResultList();
    int passedLines = 0;
    for (unsigned i = 0; i < list->GetCount(); ++i) {
        const std::string line = list->GetString(i).utf8_string();
        if (i % 2 == 1) {
            EXPECT_EQ(line, "") << i;
        } else {
            EXPECT_EQ(line.rfind("√ -- ", 0), 0u) << line;
            ++passedLines;
        }
    }
    EXPECT_GE(passedLines, 7);
    EXPECT_EQ(list->GetString(0).utf8_string(), "√ -- " + LanguageText(67));
    EXPECT_EQ(EolPassedFlag, 1);
    EXPECT_EQ(page->SaveButton()->GetLabel().utf8_string(), LanguageText(64));
    EXPECT_EQ(page->SystemTagBox()->GetId(), 1613);

    page->TesterEdit()->SetValue("Tess Ter");
    page->JobEdit()->SetValue("JOB-77");
    program.prompter->Clear();
    Click(page->SaveButton());
    ASSERT_EQ(chooser.requests.size(), 1u);
    const std::string name = chooser.requests[0].fileName;
    EXPECT_EQ(name.rfind(std::string(sim::ecudata::kVin) + "-", 0), 0u) << name;
    const std::string pdf = out + "/" + name;
    ASSERT_TRUE(std::filesystem::exists(pdf));
    ASSERT_EQ(program.prompter->Count(), 1u);
    EXPECT_EQ(program.prompter->Boxes()[0].text, LanguageText(179));
    EXPECT_EQ(pdfkit::Info(pdf).pages, 1);
    const std::string text = pdfkit::Text(pdf);
    EXPECT_THAT(text, testing::HasSubstr(sim::ecudata::kVin));
    EXPECT_THAT(text, testing::HasSubstr("Tess Ter"));
    EXPECT_THAT(text, testing::HasSubstr("JOB-77"));
    EXPECT_EQ(LastReportPath, pdf);

    // The edits take a name and a job number up to the length that prints
    // whole, and no character more.
    const std::string longestName(ABSEOLReportsLogic::kTesterNameMaxLength, 'W');
    const std::string longestJob(ABSEOLReportsLogic::kJobNumberMaxLength, '7');
    page->TesterEdit()->SetValue(wxString::FromUTF8(longestName));
    page->JobEdit()->SetValue(wxString::FromUTF8(longestJob));
    page->TesterEdit()->AppendText("X");
    page->JobEdit()->AppendText("X");
    EXPECT_EQ(page->TesterEdit()->GetValue().utf8_string(), longestName);
    EXPECT_EQ(page->JobEdit()->GetValue().utf8_string(), longestJob);

    tarvel::SetFileChooser(nullptr);
    program.Stop();
}

TEST(EolReportsGui, TheSystemTagTickedPrintsThePlateFirst)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_report_gui_plate")) << "the program did not start";
    CTarvelApp* app = program.app;
    const std::string out = (program.folder / "reports-out").string();
    std::filesystem::create_directories(out);
    SaveIntoFolder chooser(out);
    tarvel::SetFileChooser(&chooser);

    ASSERT_TRUE(guidriver::Connect(app));
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabEolReports));
    auto* page = dynamic_cast<CABSEOLReports*>(app->View()->Page(tarvel::TabEolReports));
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(PumpUntil([page] { return page->ResultList()->GetCount() > 0; }));
    guidriver::Toggle(page->SystemTagBox(), true);
    EXPECT_EQ(PrintSystemTagToo, 1);
    program.prompter->Clear();
    Click(page->SaveButton());
    ASSERT_EQ(chooser.requests.size(), 1u);
    const std::string pdf = out + "/" + chooser.requests[0].fileName;
    ASSERT_TRUE(std::filesystem::exists(pdf));
    ASSERT_EQ(program.prompter->Count(), 1u);
    EXPECT_EQ(program.prompter->Boxes()[0].text, LanguageText(179));
    const pdfkit::PdfInfo info = pdfkit::Info(pdf);
    ASSERT_EQ(info.pages, 2);
    EXPECT_GT(info.pageSizes[0].width, info.pageSizes[0].height);
    EXPECT_LT(info.pageSizes[1].width, info.pageSizes[1].height);
    EXPECT_THAT(pdfkit::Text(pdf, 1), testing::HasSubstr(PdfText(2)));
    EXPECT_THAT(pdfkit::Text(pdf, 2), testing::HasSubstr(sim::ecudata::kVin));

    tarvel::SetFileChooser(nullptr);
    program.Stop();
}

} // namespace
