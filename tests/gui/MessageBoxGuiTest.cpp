// The program's message boxes as the user meets them on a 1024 x 768 screen
// (the test runs on a virtual screen of that size, see CMakeLists.txt): each
// box is shown through the program's own prompter, the real box, in the
// running program, measured while it is open and then answered.
//   - every language row long enough to need more than one line, in all five
//     languages, and the language-change notice of every language: the box
//     lies inside the screen, in the middle of the main window, and its text
//     lies whole inside the box, broken into lines that fit it;
//   - Escape never answers Yes; Enter on the download close question answers
//     No;
//   - bytes of a message that are not UTF-8 show written out, with the
//     message's other words.
#include "PageTour.h"

#include "DiagnosisGlobals.h"
#include "LanguageChange.h"
#include "LanguageTable.h"
#include "ProgramPaths.h"
#include "TarvelView.h"
#include "WxPrompter.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/dcscreen.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/tokenzr.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using tarvel::MsgAnswer;
using tarvel::MsgButtons;
using tarvel::MsgDefault;
using tarvel::MsgIcon;

std::string Describe(const wxRect& rect)
{
    std::ostringstream text;
    text << "(" << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height << ")";
    return text.str();
}

wxDialog* OpenBox()
{
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* box = dynamic_cast<wxDialog*>(window); box && box->IsModal())
            return box;
    return nullptr;
}

// Shows a box through `show` and calls `whileOpen` with the box once it is
// on the screen. `whileOpen` may answer it; a box still open 3 s later is
// closed, and the test fails.
MsgAnswer WithBox(const std::function<MsgAnswer()>& show, const std::function<void(wxDialog&)>& whileOpen)
{
    bool seen = false;
    wxTimer guard;
    guard.Bind(wxEVT_TIMER, [](wxTimerEvent&) {
        if (wxDialog* box = OpenBox()) {
            ADD_FAILURE() << "the box was still open: closed by the test";
            box->EndModal(wxID_ABORT);
        }
    });
    wxTheApp->CallAfter([&] {
        wxDialog* box = OpenBox();
        if (!box)
            return;
        seen = true;
        guard.StartOnce(3000);
        whileOpen(*box);
    });
    const MsgAnswer answer = show();
    guard.Stop();
    EXPECT_TRUE(seen) << "no box was shown";
    return answer;
}

void CollectTexts(wxWindow* window, std::vector<wxStaticText*>& texts)
{
    for (wxWindow* child : window->GetChildren()) {
        if (auto* text = dynamic_cast<wxStaticText*>(child))
            texts.push_back(text);
        CollectTexts(child, texts);
    }
}

// Where `window` lies in `box`'s client area.
wxRect RectInBox(const wxWindow* window, const wxDialog& box)
{
    wxRect rect = window->GetRect();
    for (const wxWindow* parent = window->GetParent(); parent && parent != &box; parent = parent->GetParent())
        rect.Offset(parent->GetPosition() + parent->GetClientAreaOrigin());
    return rect;
}

wxString WithoutBlanks(const wxString& text)
{
    wxString kept;
    for (const wxUniChar c : text)
        if (!wxIsspace(c))
            kept += c;
    return kept;
}

// What a box looked like while it was open.
struct Measured {
    std::vector<std::string> faults; // what does not fit, empty if all does
    wxString shownText;              // the box's texts, top to bottom
    int lines = 0;                   // the lines they are shown in
};

// Checks an open box: inside the screen and in the middle of the main
// window; its texts whole inside it and not cut, each line no wider than its
// control and every line in its control's height; its buttons inside it.
Measured Measure(wxDialog& box, const wxWindow* mainWindow)
{
    Measured seen;
    auto fault = [&seen](const std::string& what) { seen.faults.push_back(what); };
    int index = wxDisplay::GetFromWindow(&box);
    const wxRect screen = wxDisplay(index == wxNOT_FOUND ? 0u : static_cast<unsigned>(index)).GetGeometry();
    const wxRect boxRect = box.GetScreenRect();
    if (!screen.Contains(boxRect))
        fault("box " + Describe(boxRect) + " is not inside the screen " + Describe(screen));
    if (mainWindow) {
        // The part of the main window on the screen.
        const wxRect shown = mainWindow->GetScreenRect().Intersect(screen);
        const wxPoint middle = shown.GetPosition() + shown.GetSize() / 2;
        const wxPoint boxMiddle = boxRect.GetPosition() + boxRect.GetSize() / 2;
        if (std::abs(middle.x - boxMiddle.x) > 24 || std::abs(middle.y - boxMiddle.y) > 24)
            fault("box " + Describe(boxRect) + " is not in the middle of the main window " +
                  Describe(mainWindow->GetScreenRect()));
    }
    const wxRect client(wxPoint(0, 0), box.GetClientSize());

    std::vector<wxStaticText*> texts;
    CollectTexts(&box, texts);
    std::sort(texts.begin(), texts.end(),
              [&box](wxStaticText* a, wxStaticText* b) { return RectInBox(a, box).y < RectInBox(b, box).y; });
    if (texts.empty())
        fault("the box shows no text");
    for (wxStaticText* text : texts) {
        const wxRect rect = RectInBox(text, box);
        const wxSize best = text->GetBestSize();
        if (!client.Contains(rect))
            fault("text " + Describe(rect) + " is not inside the box " + Describe(client));
        if (rect.width < best.x || rect.height < best.y)
            fault("text " + Describe(rect) + " is smaller than it asks for " + std::to_string(best.x) + "x" +
                  std::to_string(best.y));
        const wxString label = text->GetLabelText();
        const wxArrayString lines = wxStringTokenize(label, "\n", wxTOKEN_RET_EMPTY_ALL);
        for (const wxString& line : lines) {
            const int width = text->GetTextExtent(line).x;
            if (width > rect.width)
                fault("line '" + line.utf8_string() + "' is " + std::to_string(width) + " px wide in a text " +
                      std::to_string(rect.width) + " px wide");
        }
        const int lineHeight = text->GetTextExtent("Hg").y;
        if (rect.height < static_cast<int>(lines.size()) * lineHeight)
            fault("text " + Describe(rect) + " is lower than its " + std::to_string(lines.size()) + " lines");
        seen.lines += static_cast<int>(lines.size());
        seen.shownText << label << "\n";
    }
    for (wxWindow* child : box.GetChildren())
        if (auto* button = dynamic_cast<wxButton*>(child); button && !client.Contains(RectInBox(button, box)))
            fault("button '" + button->GetLabelText().utf8_string() + "' " + Describe(RectInBox(button, box)) +
                  " is not inside the box " + Describe(client));
    return seen;
}

// The program, started in English, its main window as large as the screen.
class MessageBoxGui : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The program makes its own folder the working folder, and that
        // folder goes with it.
        start_ = std::filesystem::current_path();
        ASSERT_TRUE(pagetour::StartIn(program_, "test_message_box_gui", 1));
        frame_ = program_.app->MainFrame();
        const wxRect screen = wxDisplay(0u).GetGeometry();
        ASSERT_EQ(screen.GetSize(), wxSize(1024, 768)) << "the boxes are measured on a 1024 x 768 screen";
        // The window as the program opened it already lies inside the screen.
        EXPECT_TRUE(screen.Contains(frame_->GetRect()))
            << "main window at " << frame_->GetRect().x << "," << frame_->GetRect().y << " "
            << frame_->GetRect().width << "x" << frame_->GetRect().height;
        ASSERT_TRUE(pagetour::SizeWindow(frame_, screen.GetSize()));
    }

    void TearDown() override
    {
        program_.Stop();
        std::filesystem::current_path(start_);
    }

    std::filesystem::path start_;
    tarvel_test::ProgramUnderTest program_;
    CMainFrame* frame_ = nullptr;
    tarvel::WxPrompter prompter_;
};

struct Message {
    std::string where; // for the report
    std::string text;
    std::string caption;
};

// Every row of the shipped text table in every language that needs more
// than one line in a box on this screen (wider than 400 pixels, or of 90 bytes
// and more), and the language-change notice of every language.
std::vector<Message> LongMessages()
{
    std::vector<Message> messages;
    wxScreenDC dc;
    dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    constexpr int kWide = 400;
    for (int language = 0; language < kLanguageCount; ++language) {
        std::vector<_tagSAVELANGUAGEdesc_> table;
        EXPECT_TRUE(LoadTextTableFile(tarvel::ProgramDataPath(kLanguageConfigFileName), language, false, table));
        for (size_t row = 0; row < table.size(); ++row) {
            const wxString text = wxString::FromUTF8(table[row].text);
            if (table[row].text.size() < 90 && dc.GetMultiLineTextExtent(text).x <= kWide)
                continue;
            messages.push_back({std::string(LanguageTextAttribute(language)) + " row " + std::to_string(row),
                                table[row].text, "Tips"});
        }
        messages.push_back({std::string("language-change notice ") + LanguageTextAttribute(language),
                            LanguageChangeNotice(language), kLanguageChangeCaption});
    }
    return messages;
}

TEST_F(MessageBoxGui, EveryLongMessageInEveryLanguageFitsTheScreenWhole)
{
    const std::vector<Message> messages = LongMessages();
    std::cout << "[ figures  ] " << messages.size() << " long messages\n";
    ASSERT_GE(messages.size(), 57u + kLanguageCount);
    int wrapped = 0;
    for (const Message& message : messages) {
        SCOPED_TRACE(message.where);
        Measured seen;
        WithBox([&] { return prompter_.Show(message.text, message.caption, MsgIcon::Exclamation, MsgButtons::Ok); },
                [&](wxDialog& box) {
                    seen = Measure(box, frame_);
                    box.EndModal(wxID_OK);
                });
        for (const std::string& fault : seen.faults)
            ADD_FAILURE() << fault;
        // Nothing of the message is lost where its lines are broken.
        EXPECT_EQ(WithoutBlanks(seen.shownText).utf8_string(),
                  WithoutBlanks(wxString::FromUTF8(message.text)).utf8_string());
        const int ownLines = static_cast<int>(std::count(message.text.begin(), message.text.end(), '\n')) + 1;
        if (seen.lines > ownLines)
            ++wrapped;
    }
    // The long messages are broken into lines (the widths above hold each
    // line to its box), not merely shown in a box as wide as the screen.
    std::cout << "[ figures  ] " << wrapped << " of them broken into lines\n";
    EXPECT_GE(wrapped, 20);
}

// The caption stays whole: the box is as wide as its caption, with room for
// the title bar's buttons, but a caption wider than the screen does not take
// the box off it.
TEST_F(MessageBoxGui, TheBoxIsAsWideAsItsCaptionButNoWiderThanTheScreen)
{
    const std::string longCaption(200, 'W');
    for (const std::string& caption : {std::string("InputOutputControlByIdentifier (0x2F)"), longCaption}) {
        SCOPED_TRACE(caption);
        int width = 0;
        int captionWidth = 0;
        Measured seen;
        WithBox([&] { return prompter_.Show("Service timeout", caption, MsgIcon::Exclamation, MsgButtons::Ok); },
                [&](wxDialog& box) {
                    wxClientDC dc(&box);
                    dc.SetFont(box.GetFont().Bold());
                    const wxSize extent = dc.GetTextExtent(box.GetTitle());
                    captionWidth = extent.x + 4 * extent.y;
                    width = box.GetSize().x;
                    seen = Measure(box, frame_);
                    box.EndModal(wxID_OK);
                });
        for (const std::string& fault : seen.faults)
            ADD_FAILURE() << fault;
        EXPECT_GE(width, std::min(captionWidth, wxDisplay(0u).GetGeometry().width - 48));
    }
}

// A message taller than the screen scrolls inside its box: the box and its
// buttons stay on the screen, and nothing of the message is lost.
TEST_F(MessageBoxGui, AMessageTallerThanTheScreenScrollsAndKeepsItsButtonsInView)
{
    std::string text;
    for (int line = 1; line <= 120; ++line)
        text += "Line " + std::to_string(line) + " of a long list of files that were not written\n";
    wxRect boxRect;
    wxString shown;
    std::vector<std::string> buttonsOut;
    WithBox([&] { return prompter_.Show(text, "Warning", MsgIcon::Exclamation, MsgButtons::OkCancel); },
            [&](wxDialog& box) {
                boxRect = box.GetScreenRect();
                const wxRect client(wxPoint(0, 0), box.GetClientSize());
                for (wxWindow* child : box.GetChildren())
                    if (auto* button = dynamic_cast<wxButton*>(child);
                        button && !client.Contains(RectInBox(button, box)))
                        buttonsOut.push_back(button->GetLabelText().utf8_string());
                std::vector<wxStaticText*> texts;
                CollectTexts(&box, texts);
                for (wxStaticText* label : texts)
                    shown << label->GetLabelText();
                box.EndModal(wxID_OK);
            });
    EXPECT_TRUE(wxDisplay(0u).GetGeometry().Contains(boxRect)) << Describe(boxRect);
    EXPECT_TRUE(buttonsOut.empty()) << buttonsOut.front();
    EXPECT_EQ(WithoutBlanks(shown), WithoutBlanks(wxString::FromUTF8(text)));
}

// A box stands on the main window even while another window of the program
// has the focus.
TEST_F(MessageBoxGui, TheBoxStandsInTheMiddleOfTheMainWindow)
{
    for (const wxRect& window : {wxRect(0, 0, 1024, 768), wxRect(300, 200, 600, 500)}) {
        SCOPED_TRACE(Describe(window));
        frame_->Maximize(false);
        frame_->SetSize(window);
        pagetour::Settle();
        auto* other = new wxFrame(frame_, wxID_ANY, "Other", wxPoint(0, 0), wxSize(160, 60));
        other->Show();
        other->Raise();
        other->SetFocus();
        pagetour::Settle();
        Measured seen;
        WithBox([&] { return prompter_.Show("Test failed", "Error", MsgIcon::Error, MsgButtons::Ok); },
                [&](wxDialog& box) {
                    seen = Measure(box, frame_);
                    box.EndModal(wxID_OK);
                });
        for (const std::string& fault : seen.faults)
            ADD_FAILURE() << fault;
        other->Destroy();
        pagetour::Settle();
    }
}

// Presses `key` on the box as the user does, through the X server.
void PressKey(wxDialog& box, int key)
{
    box.Raise();
    pagetour::Settle(4);
    wxUIActionSimulator keys;
    keys.Char(key);
}

// Escape gets rid of a box without answering its question: on a Yes/No box
// it answers No, never Yes; where there is a Cancel button it cancels. The
// title bar's close button does the same.
TEST_F(MessageBoxGui, EscapeAndTheCloseButtonNeverAnswerYes)
{
    const struct {
        MsgButtons buttons;
        MsgDefault defaultButton;
        MsgAnswer expected;
    } cases[] = {
        {MsgButtons::YesNo, MsgDefault::First, MsgAnswer::No},
        {MsgButtons::YesNo, MsgDefault::No, MsgAnswer::No},
        {MsgButtons::YesNoCancel, MsgDefault::First, MsgAnswer::Cancel},
        {MsgButtons::OkCancel, MsgDefault::First, MsgAnswer::Cancel},
        {MsgButtons::RetryCancel, MsgDefault::First, MsgAnswer::Cancel},
        {MsgButtons::Ok, MsgDefault::First, MsgAnswer::Ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.buttons) * 10 + static_cast<int>(c.defaultButton));
        auto show = [&] {
            return prompter_.ShowWithDefault("Replace the file?", "Confirm Save", MsgIcon::Question, c.buttons,
                                             c.defaultButton);
        };
        EXPECT_EQ(WithBox(show, [](wxDialog& box) { PressKey(box, WXK_ESCAPE); }), c.expected) << "Escape";
        EXPECT_EQ(WithBox(show, [](wxDialog& box) { box.Close(); }), c.expected) << "close button";
    }
}

// Enter presses the box's default button: Yes on a question whose Yes does no
// harm, No on the question the program asks when it is to be closed (or to
// change its language) during a download.
TEST_F(MessageBoxGui, EnterOnTheDownloadCloseQuestionAnswersNo)
{
    EXPECT_EQ(WithBox([&] { return prompter_.Show("Replace the file?", "Confirm Save", MsgIcon::Question,
                                                  MsgButtons::YesNo); },
                      [](wxDialog& box) { PressKey(box, WXK_RETURN); }),
              MsgAnswer::Yes);

    ASSERT_TRUE(guidriver::Connect(program_.app));
    ASSERT_TRUE(pagetour::OpenPage(program_.app, tarvel::TabProgramDownload));
    tarvel::ScopedPrompter real(prompter_);
    // A download under way, as the page's sequence leaves it.
    DownloadIdle = 0;
    DownloadRunning = 1;
    bool mayClose = true;
    std::string asked;
    WithBox(
        [&] {
            mayClose = program_.app->View()->PagesMayClose();
            return MsgAnswer::Ok;
        },
        [&](wxDialog& box) {
            std::vector<wxStaticText*> texts;
            CollectTexts(&box, texts);
            for (wxStaticText* text : texts)
                asked += text->GetLabelText().utf8_string();
            PressKey(box, WXK_RETURN);
        });
    DownloadRunning = 0;
    DownloadIdle = 1;
    EXPECT_FALSE(mayClose) << "Enter closed the program during a download";
    EXPECT_EQ(WithoutBlanks(wxString::FromUTF8(asked)), WithoutBlanks(wxString::FromUTF8(LanguageText(673))));
}

// A message quoting bytes that are not UTF-8 (a value read from a binary
// file) shows its words and the bytes written out.
TEST_F(MessageBoxGui, BytesThatAreNotUtf8ShowWrittenOut)
{
    Measured seen;
    WithBox([&] { return prompter_.Show("Value \xFF\xFE of LOAD_A is refused", "Error", MsgIcon::Error,
                                        MsgButtons::Ok); },
            [&](wxDialog& box) {
                seen = Measure(box, frame_);
                box.EndModal(wxID_OK);
            });
    EXPECT_TRUE(seen.faults.empty());
    EXPECT_EQ(seen.shownText, "Value \\xFF\\xFE of LOAD_A is refused\n");
}

} // namespace
