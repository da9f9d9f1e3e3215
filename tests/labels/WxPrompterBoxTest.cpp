#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dialog.h>
#include <wx/toplevel.h>

#include "WxPrompter.h"

#include <string>

// The wx environment is started by LabelControlsTest.cpp's global environment.

namespace {

struct BoxSeen {
    bool found = false;
    int width = 0;
    wxSize caption; // the caption in the title bar's bold letters
};

// Shows one box through the program's prompter and measures it while it is
// open, then closes it.
BoxSeen ShowAndMeasure(const std::string& text, const std::string& caption)
{
    BoxSeen seen;
    wxTheApp->CallAfter([&seen] {
        for (wxWindow* window : wxTopLevelWindows) {
            auto* box = dynamic_cast<wxDialog*>(window);
            if (!box || !box->IsModal())
                continue;
            wxClientDC dc(box);
            dc.SetFont(box->GetFont().Bold());
            seen.caption = dc.GetTextExtent(box->GetTitle());
            seen.width = box->GetSize().x;
            seen.found = true;
            box->EndModal(wxID_OK);
        }
    });
    tarvel::WxPrompter prompter;
    prompter.Show(text, caption, tarvel::MsgIcon::None, tarvel::MsgButtons::Ok);
    return seen;
}

} // namespace

// A short message under its caption: the box is as wide as the caption, with
// room left beside it for the title bar's buttons, so the caption is never
// cut ("E… r" for "Error").
TEST(WxPrompterBox, IsAtLeastAsWideAsItsCaption)
{
    const struct {
        const char* text;
        const char* caption;
    } cases[] = {
        {"Test failed", "Error"},
        {"Service timeout", "InputOutputControlByIdentifier (0x2F)"},
        {"Проверка не пройдена", "Ошибка"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        const BoxSeen seen = ShowAndMeasure(c.text, c.caption);
        ASSERT_TRUE(seen.found) << "no box was shown";
        EXPECT_GE(seen.width, seen.caption.x + 4 * seen.caption.y);
    }
}
