// The trip browser in the running program: the simulated ECU holds 57 trips;
// connect, open the recorder, read everything, select the trip browser's tab
// and step through the trips with its buttons and its number field.
#include "CODR_Info.h"
#include "CODR_Trip_Info.h"
#include "RecorderGlobals.h"

#include "LanguageTable.h"
#include "NILike.h"
#include "PageHost.h"
#include "PageHostTable.h"
#include "TarvelView.h"

#include "SimEcu.h"
#include "SimEcuRecorderData.h"

#include "GuiDriver.h"
#include "ListCellPixels.h"
#include "ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using guidriver::Click;
using guidriver::PumpUntil;

std::vector<uint8_t> Be16(uint16_t v) { return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)}; }

// 57 trips in slots 0..56, each carrying its slot as its trip number; the
// routine names the slot the next read of the trip record returns.
void InstallFiftySevenTrips(sim::SimEcu& ecu)
{
    auto ring = std::make_shared<std::vector<std::vector<uint8_t>>>();
    for (size_t slot = 0; slot < 57; ++slot) {
        std::vector<uint8_t> record = sim::ecudata::OdrTripRecords()[0];
        record[1] = static_cast<uint8_t>(slot >> 8);
        record[2] = static_cast<uint8_t>(slot);
        ring->push_back(record);
    }
    ecu.RegisterDid(0x004A, Be16(57));
    ecu.RegisterDid(0x0048, Be16(56));
    auto next = std::make_shared<size_t>(0);
    ecu.RegisterRoutine(0xC00A, [next](uint8_t sub, const std::vector<uint8_t>& option, sim::SimEcuContext& ctx) {
        if (ctx.Session() != 0x03 || !ctx.Unlocked(0x01))
            return sim::SimEcuAnswer::Negative(0x33);
        if (sub != 0x01 || option.size() != 3)
            return sim::SimEcuAnswer::Negative(0x13);
        *next = static_cast<size_t>(option[1]) << 8 | option[2];
        return sim::SimEcuAnswer::Positive();
    });
    ecu.RegisterDynamicDid(0x0047, [ring, next](const sim::SimEcuContext&) {
        const std::vector<uint8_t> record = (*ring)[*next % ring->size()];
        ++*next;
        return record;
    });
}

std::string Cell(wxListCtrl* list, long row, int column) { return list->GetItemText(row, column).utf8_string(); }

TEST(OdrTripGui, StepThroughFiftySevenTrips)
{
    tarvel_test::ProgramUnderTest program;
    ASSERT_TRUE(program.Start("test_recorder_trip_gui")) << "the program did not start";
    PumpUntil([] { return false; }, 5);
    sim::SimEcu* ecu = sim::BuiltInEcu();
    ASSERT_NE(ecu, nullptr);
    InstallFiftySevenTrips(*ecu);

    CTarvelApp* app = program.app;
    ASSERT_TRUE(guidriver::Connect(app));
    ASSERT_TRUE(guidriver::Open(app, tarvel::TabOdrInfo));
    auto* recorder = dynamic_cast<CODR_Info*>(app->View()->Page(tarvel::TabOdrInfo));
    ASSERT_NE(recorder, nullptr);
    CMyTabCtrl* tabs = app->View()->TabCtrl();
    ASSERT_TRUE(PumpUntil([tabs] { return tabs->IsTabShown(tarvel::TabOdrTrip); }));
    Click(recorder->ReadButton());
    ASSERT_TRUE(PumpUntil([] { return OdrTrips.size() == 57; }, 2000)) << OdrTrips.size();
    for (const auto& box : program.prompter->Boxes())
        ADD_FAILURE() << "box [" << box.caption << "] " << box.text;

    auto* page = dynamic_cast<CODR_Trip_Info*>(app->View()->Page(tarvel::TabOdrTrip));
    ASSERT_NE(page, nullptr);
    const int position = tabs->GetPageIndex(page);
    ASSERT_GE(position, 0);
    tabs->SetSelection(static_cast<size_t>(position));
    PumpUntil([] { return false; }, 3);
    EXPECT_EQ(tabs->GetCurrentPage(), page);
    EXPECT_EQ(tabs->GetPageText(static_cast<size_t>(position)).utf8_string(), LanguageText(373));

    wxListCtrl* list = page->TripList();
    wxTextCtrl* edit = page->NumberEdit();
    EXPECT_EQ(list->GetColumnCount(), 5);
    EXPECT_EQ(edit->GetValue().utf8_string(), "0");
    EXPECT_EQ(page->CountLabel()->GetLabel().utf8_string(), "/57");
    EXPECT_EQ(page->CountLabel()->TextColour(), 0x803400u);
    auto button = [page](int id) { return dynamic_cast<wxButton*>(page->FindWindow(id)); };
    EXPECT_EQ(button(CODR_Trip_Info::kOldestId)->GetLabel().utf8_string(), LanguageText(374));
    EXPECT_EQ(button(CODR_Trip_Info::kGoId)->GetLabel().utf8_string(), LanguageText(401));

    // The row of the trip number shows the slot the trip came from.
    const auto shownSlot = [list] { return list->GetItemCount() > 1 ? Cell(list, 1, 2) : std::string(); };
    Click(button(CODR_Trip_Info::kOldestId));
    EXPECT_EQ(shownSlot(), "0");
    EXPECT_EQ(edit->GetValue().utf8_string(), "1");
    Click(button(CODR_Trip_Info::kNextId));
    EXPECT_EQ(shownSlot(), "1");
    EXPECT_EQ(edit->GetValue().utf8_string(), "2");
    Click(button(CODR_Trip_Info::kLatestId));
    EXPECT_EQ(shownSlot(), "56");
    EXPECT_EQ(edit->GetValue().utf8_string(), "57");

    edit->SetValue("12");
    Click(button(CODR_Trip_Info::kGoId));
    EXPECT_EQ(shownSlot(), "11");
    EXPECT_EQ(static_cast<size_t>(list->GetItemCount()), OdrTrips[11].size());
    EXPECT_EQ(Cell(list, 1, 1), OdrTrips[11][1].ParameterName);
    EXPECT_EQ(edit->GetValue().utf8_string(), "12");
    EXPECT_EQ(page->CountLabel()->GetLabel().utf8_string(), "/57");
    EXPECT_EQ(OdrShownTrip, 11);
    // The "No." cells hold the numbers and show them on a light background.
    for (long row = 0; row < list->GetItemCount(); ++row)
        EXPECT_EQ(Cell(list, row, 0), std::to_string(row + 1));
    const list_pixels::CellPixels cell = list_pixels::ReadCell(list, 0, 0);
    EXPECT_TRUE(list_pixels::ShowsTextOnALightBackground(cell))
        << cell.black << " of " << cell.total << " pixels black, " << cell.background << " of the background colour";

    // Enter and Escape in the field stop at the page: they never reach the
    // main window (where they could close or act on something), there is no
    // jump and the field keeps its text. Any other key goes on up.
    wxWindow* top = wxGetTopLevelParent(edit);
    ASSERT_NE(top, nullptr);
    edit->SetValue("3");
    edit->SetFocus();
    const auto reachedFrame = guidriver::KeysReachingTheWindow(top, edit);
    PumpUntil([] { return false; }, 3);
    EXPECT_EQ(*reachedFrame, (std::vector<int>{int('A')}));
    EXPECT_EQ(shownSlot(), "11");
    EXPECT_EQ(edit->GetValue().utf8_string(), "3");
    EXPECT_EQ(OdrShownTrip, 11);
    EXPECT_EQ(program.prompter->Count(), 0u);
    program.Stop();
}

} // namespace
