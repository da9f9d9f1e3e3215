#include "CABSEOLSensorValueTest.h"

#include "EolGlobals.h"
#include "EolSensorTestLogic.h"

#include "NILike.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace {

constexpr int kLabelIds[7] = {1437, 1438, 1439, 1440, 1441, 1442, 1443};
constexpr int kPictureIds[7] = {1444, 1405, 1406, 1407, 1408, 1409, 1410};
constexpr const char* kLabelTexts[7] = {"FL Sensor：", "FR Sensor：", "RL Sensor：", "RR Sensor：",
                                        "Left Brake：", "Right Brake：", "EBS-D Brake："};
// Lower row 1577..1581, upper row 1572..1576, axle columns 1 to 5.
constexpr int kPreviewIds[10] = {1577, 1578, 1579, 1580, 1581, 1572, 1573, 1574, 1575, 1576};

void ShowIf(wxWindow* window, bool shown)
{
    if (window && window->IsShown() != shown)
        window->Show(shown);
}

void SetLabelIf(wxWindow* window, const std::string& text)
{
    if (window && !text.empty() && window->GetLabel() != wxString::FromUTF8(text))
        window->SetLabel(wxString::FromUTF8(text));
}

} // namespace

CABSEOLSensorValueTest::CABSEOLSensorValueTest() : CEolTestPage(tarvel::TabEolSensor) {}

CABSEOLSensorValueTest::~CABSEOLSensorValueTest()
{
    SensorTestActive = 0;
    EolStopRequested = 1;
}

EolSensorTestLogic* CABSEOLSensorValueTest::Sensor() const
{
    return LogicAs<EolSensorTestLogic>();
}

wxButton* CABSEOLSensorValueTest::Button(wxWindow* parent, wxSizer* sizer, int id, const char* text,
                                         std::function<void()> action)
{
    auto* button = new wxButton(parent, id, wxString::FromUTF8(text));
    button->Bind(wxEVT_BUTTON, [action](wxCommandEvent&) { action(); });
    sizer->Add(button, 0, wxALL, 4);
    return button;
}

bool CABSEOLSensorValueTest::Create(wxWindow* parent)
{
    if (!CEolTestPage::Create(parent))
        return false;
    SetPageFont(PageFont(kEolLampFont));
    wxSizer* page = GetSizer();

    auto* modes = new CWrapRow;
    automatic_ = Button(this, modes, kAutomaticId, "Automatic Test", [this] { if (Sensor()) Sensor()->AutomaticTest(); });
    manual_ = Button(this, modes, kManualId, "Manual Test", [this] { if (Sensor()) Sensor()->ManualTest(); });
    exitTest_ = Button(this, modes, kExitId, "Exit Test", [this] { if (Sensor()) Sensor()->ExitTest(); });
    clockwise_ = Button(this, modes, kClockwiseId, "Test in Clockwise order",
                        [this] { if (Sensor()) Sensor()->RunSensorChain(true); });
    anticlockwise_ = Button(this, modes, kAnticlockwiseId, "Test in Anti-Clockwise order",
                            [this] { if (Sensor()) Sensor()->RunSensorChain(false); });
    page->Add(modes, 0, wxLEFT | wxRIGHT | wxEXPAND, 6);

    auto* stepRow = new CWrapRow;
    for (int k = 0; k < 4; ++k)
        steps_[static_cast<size_t>(k)] =
            Button(this, stepRow, kFirstStepId + k, "Start", [this, k] { if (Sensor()) Sensor()->RunManualSensorStep(k); });
    page->Add(stepRow, 0, wxLEFT | wxRIGHT | wxEXPAND, 6);

    auto* choice = new CWrapRow;
    formHeading_ = new CWrapText(this, kFormHeadingId, wxString::FromUTF8("Select System Type："));
    choice->Add(formHeading_, 0, wxALL | wxALIGN_CENTER_VERTICAL, 4);
    formButtons_[0] = Button(this, choice, k4S2MId, "4S2M（4 Sensor 2 Modulator valves）",
                             [this] { if (Sensor()) Sensor()->ChooseForm("4S2M"); });
    formButtons_[1] = Button(this, choice, k2S2MId, "2S2M（2 Sensor 2 Modulator valves）",
                             [this] { if (Sensor()) Sensor()->ChooseForm("2S2M"); });
    formButtons_[2] = Button(this, choice, k4S3MId, "4S3M（4 Sensor 3 Modulator valves）",
                             [this] { if (Sensor()) Sensor()->ChooseForm("4S3M"); });
    page->Add(choice, 0, wxLEFT | wxRIGHT | wxEXPAND, 6);

    instruction_ = AddValueLabel(this, page, kInstructionId, wxSize(700, 34));
    prompt_ = AddValueLabel(this, page, kPromptId, wxSize(700, 34));
    auto* answers = new CWrapRow;
    canTurn_ = Button(this, answers, kCanTurnId, "Can Turn", [this] { if (Sensor()) Sensor()->AnswerTurn(true); });
    cannotTurn_ = Button(this, answers, kCannotTurnId, "Can not Turn", [this] { if (Sensor()) Sensor()->AnswerTurn(false); });
    page->Add(answers, 0, wxLEFT | wxRIGHT | wxEXPAND, 6);
    remark_ = new CWrapText(this, kRemarkId, wxString());
    page->Add(remark_, 0, wxALL, 6);

    auto* lower = new CWrapRow;
    auto* results = new wxStaticBoxSizer(wxVERTICAL, this, wxString());
    resultLabel_ = new wxStaticText(results->GetStaticBox(), kResultLabelId, wxString::FromUTF8("Test Result："));
    results->Add(resultLabel_, 0, wxALL, 4);
    // Two results side by side, in small pictures, so the frame stays low
    // enough to be seen whole below the prompt.
    SetResultPictureSize(kResultPictureSize);
    auto* grid = new wxFlexGridSizer(4, 2, 8);
    for (size_t i = 0; i < 7; ++i) {
        labels_[i] = new wxStaticText(results->GetStaticBox(), kLabelIds[i], wxString::FromUTF8(kLabelTexts[i]),
                                      wxDefaultPosition, wxDefaultSize, wxALIGN_RIGHT);
        grid->Add(labels_[i], 0, wxALIGN_CENTER_VERTICAL | wxALIGN_RIGHT);
        AddResultPicture(results->GetStaticBox(), grid, kPictureIds[i]);
    }
    results->Add(grid, 0, wxALL, 4);
    lower->Add(results, 0, wxALL, 6);

    // Upper wheel cells, then lower ones.
    AddPreviewFrame(lower, kPreviewId, {{5, 0}, [](size_t i) { return kPreviewIds[i]; }, wxSize(28, 22)},
                    previewCells_);
    page->Add(lower, 0, wxEXPAND);

    // Everything hidden until the page is prepared; Exit Test disabled.
    for (wxWindow* window : std::initializer_list<wxWindow*>{automatic_, manual_, exitTest_, clockwise_, anticlockwise_,
                                                             canTurn_, cannotTurn_, formHeading_, prompt_, instruction_,
                                                             remark_, resultLabel_})
        window->Hide();
    for (wxButton* button : steps_)
        button->Hide();
    for (wxButton* button : formButtons_)
        button->Hide();
    for (size_t i = 0; i < 7; ++i) {
        labels_[i]->Hide();
        Picture(i)->Hide();
    }
    exitTest_->Disable();

    RenderState();
    return true;
}

void CABSEOLSensorValueTest::RenderPage()
{
    const EolSensorTestLogic* logic = Sensor();
    if (!logic)
        return;
    const SensorTestState& state = logic->State();
    const EolPageState& common = logic->Common();

    SetLabelIf(automatic_, state.automaticCaption);
    SetLabelIf(manual_, state.manualCaption);
    SetLabelIf(exitTest_, common.exitCaption);
    SetLabelIf(resultLabel_, common.resultCaption);
    SetLabelIf(clockwise_, state.clockwiseCaption);
    SetLabelIf(anticlockwise_, state.anticlockwiseCaption);
    SetLabelIf(canTurn_, state.canTurnCaption);
    SetLabelIf(cannotTurn_, state.cannotTurnCaption);
    for (size_t i = 0; i < labels_.size(); ++i)
        SetLabelIf(labels_[i], state.labelCaptions[i]);

    // The form's layout: mode buttons, labels and pictures.
    const bool laidOut = !state.layout.empty();
    const bool four = state.layout == "4S2M" || state.layout == "4S3M";
    const bool three = state.layout == "4S3M";
    ShowIf(automatic_, laidOut);
    ShowIf(manual_, laidOut);
    ShowIf(exitTest_, laidOut);
    ShowIf(resultLabel_, laidOut);
    const bool itemShown[7] = {laidOut, laidOut, four, four, laidOut, laidOut, three};
    for (size_t i = 0; i < 7; ++i) {
        ShowIf(labels_[i], itemShown[i]);
        ShowIf(Picture(i), itemShown[i]);
    }
    automatic_->Enable(common.startEnabled);
    manual_->Enable(common.startEnabled);
    exitTest_->Enable(common.exitEnabled);

    ShowIf(formHeading_, state.formChoiceShown);
    for (wxButton* button : formButtons_)
        ShowIf(button, state.formChoiceShown);

    ShowIf(clockwise_, state.orderShown);
    ShowIf(anticlockwise_, state.orderShown);
    clockwise_->Enable(state.orderEnabled);
    anticlockwise_->Enable(state.orderEnabled);
    for (size_t k = 0; k < steps_.size(); ++k) {
        ShowIf(steps_[k], state.stepShown[k]);
        SetLabelIf(steps_[k], state.stepCaption[k]);
    }
    ShowIf(canTurn_, state.answerShown);
    ShowIf(cannotTurn_, state.answerShown);

    ShowIf(instruction_, state.instructionShown);
    if (state.instruction != instructionShown_) {
        instructionShown_ = state.instruction;
        WriteValueLabel(instruction_, state.instruction, PageFontNow());
    }
    ShowIf(prompt_, state.promptShown);
    if (state.prompt != promptShown_ || state.promptColour != promptColourShown_) {
        promptShown_ = state.prompt;
        promptColourShown_ = state.promptColour;
        prompt_->SetGreenText(state.prompt);
        prompt_->SetTextColour(state.promptColour);
        prompt_->SetFont(PageFontNow());
        prompt_->Refresh();
    }
    ShowIf(remark_, state.remarkShown);
    if (remark_->GetLabel() != wxString::FromUTF8(state.remark))
        remark_->SetLabel(wxString::FromUTF8(state.remark));

    RenderPreview(state.previewCaption, previewCells_, state.preview.data());
}
