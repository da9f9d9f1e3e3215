// The EOL results page: the outcome of every end-of-line test as a list, the
// overall verdict (and the end-of-line marker in the ECU on a pass), the VIN
// for the report, and the report itself on Save.
#pragma once

#include "EolReportPdf.h"
#include "PageLogic.h"

#include <functional>
#include <string>
#include <vector>

// What the page shows.
struct EolReportsState {
    // The result list: one line per test group, blank lines between.
    std::vector<std::string> resultLines;
    // "Print System Tag as well".
    bool systemTagTicked = false;
    // As last handed over by Save.
    std::string testerName;
    std::string jobNumber;
};

class ABSEOLReportsLogic : public tarvel::PageLogic, public EolReportInputSource {
public:
    // UI text rows of the page.
    static constexpr int kSaveTextRow = 64;
    static constexpr int kResultsLabelRow = 45;
    static constexpr int kTesterLabelRow = 65;
    static constexpr int kJobLabelRow = 66;
    static constexpr int kSystemTagTextRow = 463;
    static constexpr int kNotConnectedTextRow = 75;
    static constexpr int kTipsCaptionRow = 74;
    // The most characters the tester-name and job-number edits take: at
    // that length, with no blank, either prints whole in its footer cell of
    // the report in every language.
    static constexpr int kTesterNameMaxLength = 40;
    static constexpr int kJobNumberMaxLength = 32;

    explicit ABSEOLReportsLogic(const tarvel::PageContext& context);

    const EolReportsState& State() const { return state_; }

    void OnActivate(int message) override;
    void OnResetForNewRun() override;

    // ---- The view's events ----
    // The check box "Print System Tag as well" was clicked; `ticked` its new state.
    void SystemTagChoice(bool ticked);
    // The Save button, with the texts of the tester-name and job-number edits.
    void Save(const std::string& testerName, const std::string& jobNumber);

    // ---- The page's operations ----
    // Reads the VIN (22 F1 90) into ReportVin; false (ReportVin kept) when the
    // ECU did not answer.
    bool ReadVinForReport();
    // Rebuilds every result word, the result list, the verdict and its word.
    void FillEolResultList();
    // The overall verdict over the result flags; a pass writes the
    // end-of-line marker into a connected ECU.
    void EvaluateEolVerdict();
    // Reloads the report texts (LanguagePDFConfig.xml).
    void LoadPdfLanguageConfig();

    // The report's inputs, brought up to date (the list is refilled).
    EolReportInputs RefreshEolReportInputs() override;

    // What Save runs with the brand mode; the PDF report by default.
    void SetReportWriter(std::function<int(int brandMode)> writer) { writer_ = std::move(writer); }
    // The plate page the report starts with when the box is ticked: the
    // braking-system plate in the EOL report's variant by default.
    void SetPlatePage(EolPlatePage plate) { plate_ = std::move(plate); }

private:
    EolReportsState state_;
    std::function<int(int)> writer_;
    EolPlatePage plate_;
};
