// The EOL results page: "Print System Tag as well" and Save at the top, the
// result list, the tester's name and the job number.
#pragma once

#include "PageHostPage.h"

#include <string>
#include <vector>

class wxButton;
class wxCheckBox;
class wxKeyEvent;
class wxListBox;
class wxStaticText;
class wxTextCtrl;
class wxCommandEvent;

class CABSEOLReports : public CTarvelPage {
public:
    static constexpr int kSaveId = 1464;
    static constexpr int kResultsLabelId = 1247;
    static constexpr int kTesterLabelId = 1610;
    static constexpr int kJobLabelId = 1611;
    static constexpr int kResultListId = 1612;
    static constexpr int kSystemTagBoxId = 1613;
    static constexpr int kTesterEditId = 1470;
    static constexpr int kJobEditId = 1471;

    CABSEOLReports();
    bool Create(wxWindow* parent) override;

    wxCheckBox* SystemTagBox() const { return systemTag_; }
    wxButton* SaveButton() const { return save_; }
    wxListBox* ResultList() const { return list_; }
    wxTextCtrl* TesterEdit() const { return tester_; }
    wxTextCtrl* JobEdit() const { return job_; }

protected:
    void OnRefreshLanguage() override;
    void RenderState() override;
    void OnActivatePage(int message) override;

private:
    // The list scrolled to its first row, whole.
    void ShowFirstRow();
    void OnSave(wxCommandEvent& event);
    void OnSystemTag(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);

    wxCheckBox* systemTag_ = nullptr;
    wxButton* save_ = nullptr;
    wxStaticText* resultsLabel_ = nullptr;
    wxListBox* list_ = nullptr;
    wxStaticText* testerLabel_ = nullptr;
    wxTextCtrl* tester_ = nullptr;
    wxStaticText* jobLabel_ = nullptr;
    wxTextCtrl* job_ = nullptr;
    std::vector<std::string> linesShown_;
};
