// The system-tag page's logic against the simulated ECU on the page bench.
#include "PrintSystemTagLogic.h"

#include "ParameterDefinitions.h"
#include "ReportGlobals.h"
#include "ReportTextTable.h"

#include "AppMessages.h"
#include "LanguageTable.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"

#include "SimEcu.h"
#include "SimEcuData.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;

class SystemTagPage : public ::testing::Test {
protected:
    // Connects and loads the definitions that fit the simulated ECU.
    void ConnectAndLoad()
    {
        ASSERT_TRUE(bench.Connect());
        BasicParameterFileNames[1] = "VADE_BasicParameterConfig/VADE_ParameterConfig_C05_en.xml";
        ASSERT_TRUE(LoadBasicParameterConfig());
        ASSERT_TRUE(LoadPdfLanguageConfig());
        bench.ClearRequests();
        bench.prompter.Clear();
    }
    // The page's own boxes (the UDS layer shows its own for refusals and time-outs).
    std::vector<tarvel::RecordingPrompter::Box> PageBoxes() const
    {
        std::vector<tarvel::RecordingPrompter::Box> boxes;
        for (const auto& box : bench.prompter.Boxes())
            if (box.caption != "UDS negative response" && box.text != "Service timeout")
                boxes.push_back(box);
        return boxes;
    }
    std::vector<std::string> Column(size_t c) const
    {
        std::vector<std::string> values;
        for (const auto& row : logic.State().rows)
            values.push_back(c == 0 ? row.number : c == 1 ? row.name : c == 2 ? row.value : row.unit);
        return values;
    }
    // The value of the list row named `name`.
    std::string ValueOf(const std::string& name) const
    {
        for (const auto& row : logic.State().rows)
            if (row.name == name)
                return row.value;
        return "<no row>";
    }

    tarvel_test::PageBench bench;
    PrintSystemTagLogic logic{bench.Context()};
};

TEST_F(SystemTagPage, AReadListsTheBlockAndFillsThePlate)
{
    ConnectAndLoad();
    logic.OnReadParameter();
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 A0"), Bytes("22 F1 90")));
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);

    const auto& subs = ParameterDidTable[1].SubFields;
    const auto& rows = logic.State().rows;
    ASSERT_EQ(rows.size(), subs.size() + 3);
    EXPECT_EQ(rows[0].number + rows[0].name + rows[0].value, "1MANUFACTURER");
    EXPECT_EQ(rows[1].number + rows[1].name + rows[1].value, "2TYPE");
    EXPECT_EQ(rows[2].number + rows[2].name, "3VIN");
    EXPECT_EQ(rows[2].value, sim::ecudata::kVin);
    EXPECT_EQ(rows[3].number, "4");
    EXPECT_EQ(rows[3].name, "Number of Axles");
    EXPECT_EQ(rows.back().number, std::to_string(subs.size() + 3));
    EXPECT_EQ(rows.back().name, "Checksum");
    EXPECT_EQ(ValueOf("Control Pressure Laden (bar)"), "6.50");
    EXPECT_EQ(ValueOf("Reserved"), ""); // the byte 66 rule
    for (size_t i = 0; i < subs.size(); ++i)
        EXPECT_EQ(rows[i + 3].unit, subs[i].Unit) << i;

    // The plate: the hand-written bytes of the simulated ECU.
    EXPECT_EQ(PlateVin, sim::ecudata::kVin);
    EXPECT_EQ(PlateAxleCount, "3");
    EXPECT_EQ(PlateAbsConfiguration, "4S2M");
    EXPECT_EQ(PlateField356 + "|" + PlateField357 + "|" + PlateField361 + "|" + PlateField586, "2|1|2|1");
    EXPECT_EQ(PlateField368 + "|" + PlateField369 + "|" + PlateField370 + "|" + PlateField371, "0.60|6.50|9.0|1.5");
    EXPECT_EQ(PlateField411 + PlateField412 + PlateField413 + "|" + PlateField414 + PlateField415, "242424|00");
    EXPECT_EQ(PlateField416 + PlateField417 + PlateField418 + PlateField419 + PlateField420, "99900");
    EXPECT_EQ(PlateField421 + "|" + PlateField422 + "|" + PlateField423 + "|" + PlateField424, "6.50|1.20|4.80|0.60");
    EXPECT_EQ(PlateField425 + "|" + PlateField426 + "|" + PlateField427 + "|" + PlateField428, "250|250|3250|100");
    EXPECT_EQ(PlateAxleFlag1 + PlateAxleFlag2 + PlateAxleFlag3 + PlateAxleFlag4 + PlateAxleFlag5, "11100");
    EXPECT_EQ(PlateField508 + "|" + PlateField509 + "|" + PlateField510 + "|" + PlateField511, "3250|3250|100|100");
    EXPECT_TRUE(PlateManufacturer.empty() && PlateType.empty());
}

TEST_F(SystemTagPage, WithoutTheLinkNothingIsRead)
{
    logic.OnReadParameter();
    EXPECT_THAT(bench.Requests(), IsEmpty());
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Please connect the ECU first", "Tips")));
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::Exclamation);
    EXPECT_TRUE(logic.State().rows.empty());
}

TEST_F(SystemTagPage, ARefusedOrUnansweredBlockChangesNothing)
{
    ConnectAndLoad();
    logic.OnReadParameter();
    const auto rowsBefore = logic.State().rows.size();
    PlateVin = "TYPED VIN";
    PlateField425 = "kept";
    for (int silent = 0; silent < 2; ++silent) {
        bench.ClearRequests();
        bench.prompter.Clear();
        if (silent)
            bench.ecu->SetNoAnswer(0x22, 1);
        else
            bench.ecu->SetNegativeResponse(0x22, 0x31, 1);
        logic.OnReadParameter();
        EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 A0"))) << silent;
        EXPECT_THAT(PageBoxes(), ElementsAre(BoxIs("Read failed", "Error"))) << silent;
        EXPECT_EQ(PageBoxes()[0].buttons, tarvel::MsgButtons::Ok);
        EXPECT_EQ(logic.State().rows.size(), rowsBefore);
        EXPECT_EQ(PlateVin, "TYPED VIN");
        EXPECT_EQ(PlateField425, "kept");
        EXPECT_FALSE(logic.State().reading);
    }
}

TEST_F(SystemTagPage, AFailedVinReadKeepsTheVin)
{
    ConnectAndLoad();
    PlateVin = "TYPED VIN";
    bench.ecu->SetNegativeResponse(0x22, 0x31, 1, /*skip*/ 1);
    logic.OnReadParameter();
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 A0"), Bytes("22 F1 90")));
    EXPECT_THAT(PageBoxes(), IsEmpty());
    EXPECT_EQ(PlateVin, "TYPED VIN");
    EXPECT_EQ(logic.State().rows[2].value, "TYPED VIN");
    EXPECT_EQ(PlateAxleCount, "3");
}

TEST_F(SystemTagPage, AnUpdateRequestReadsAlike)
{
    ConnectAndLoad();
    logic.OnSystemTagUpdate();
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 A0"), Bytes("22 F1 90")));
    EXPECT_EQ(PlateField586, "1");
    EXPECT_EQ(logic.State().rows.size(), ParameterDidTable[1].SubFields.size() + 3);
}

TEST_F(SystemTagPage, OnePlateNeverMixesTwoReads)
{
    ConnectAndLoad();
    logic.OnReadParameter();
    ASSERT_EQ(PlateField586, "1");
    ASSERT_EQ(PlateField425, "250");
    PlateManufacturer = "Typed maker";
    PlateType = "Typed type";
    // A definition without the steering-axle-lock row.
    auto& subs = ParameterDidTable[1].SubFields;
    subs.erase(std::remove_if(subs.begin(), subs.end(),
                              [](const _tagABSDIDdesc_Sub_& s) { return s.SubDataName == "Steering Axle Lock"; }),
               subs.end());
    logic.OnReadParameter();
    EXPECT_EQ(PlateField586, "");
    EXPECT_EQ(PlateField425, "250");
    EXPECT_EQ(PlateManufacturer, "Typed maker");
    EXPECT_EQ(PlateType, "Typed type");
    // The typed values show in their cells after a read.
    EXPECT_EQ(logic.State().rows[0].value, "Typed maker");
    EXPECT_EQ(logic.State().rows[1].value, "Typed type");
}

TEST_F(SystemTagPage, WithoutASecondDefinitionRecordOnlyThePlateRowsShow)
{
    ConnectAndLoad();
    ParameterDidTable.resize(1);
    PlateField425 = "old";
    logic.OnReadParameter();
    EXPECT_THAT(Column(1), ElementsAre("MANUFACTURER", "TYPE", "VIN"));
    EXPECT_EQ(PlateField425, "");
    EXPECT_EQ(PlateVin, sim::ecudata::kVin);
}

// A prompter that asks for another read while the first one shows its box.
class ReenteringPrompter : public tarvel::RecordingPrompter {
public:
    tarvel::MsgAnswer Show(const std::string& text, const std::string& caption, tarvel::MsgIcon icon,
                           tarvel::MsgButtons buttons) override
    {
        if (reenter) {
            auto again = reenter;
            reenter = nullptr;
            again();
        }
        return RecordingPrompter::Show(text, caption, icon, buttons);
    }
    std::function<void()> reenter;
};

TEST_F(SystemTagPage, AReadAskedForDuringARead_IsIgnored)
{
    ConnectAndLoad();
    ReenteringPrompter prompter;
    tarvel::ScopedPrompter use(prompter);
    // The negative-response box of the block read comes while the read waits.
    bench.ecu->SetNegativeResponse(0x22, 0x31, 1);
    prompter.reenter = [this] {
        EXPECT_TRUE(logic.State().reading);
        logic.OnSystemTagUpdate();
    };
    logic.OnReadParameter();
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 A0")));
    EXPECT_EQ(prompter.reenter, nullptr);
}

TEST_F(SystemTagPage, OnlyTheValueCellsOfTheFirstThreeRowsOpenTheEditBox)
{
    ConnectAndLoad();
    logic.OnReadParameter();
    struct Case {
        int row;
        int x;
        bool opens;
    };
    const Case cases[] = {
        {0, 480, true}, {1, 600, true}, {2, 739, true},   // column 2: x 480..739
        {1, 479, false}, {1, 740, false},                   // columns 1 and 3
        {0, 10, false}, {2, 800, false}, {2, 900, false},  // column 0, right of the last column
        {3, 600, false}, {10, 600, false}, {-1, 600, false}, // parameter rows, below the last row
    };
    for (const Case& c : cases) {
        SystemTagEditRow = SystemTagEditColumn = 0;
        EXPECT_EQ(logic.StartCellEdit(c.row, c.x), c.opens) << c.row << " " << c.x;
        EXPECT_EQ(logic.State().editorShown, c.opens);
        if (c.opens) {
            EXPECT_EQ(SystemTagEditRow, c.row);
            EXPECT_EQ(SystemTagEditColumn, 2);
            logic.CommitCellEdit(logic.State().editorText);
        }
    }
    EXPECT_EQ(PrintSystemTagLogic::ColumnAtX(0), 0);
    EXPECT_EQ(PrintSystemTagLogic::ColumnAtX(60), 1);
    EXPECT_EQ(PrintSystemTagLogic::ColumnAtX(819), 3);
    EXPECT_EQ(PrintSystemTagLogic::ColumnAtX(820), -1);
}

TEST_F(SystemTagPage, ACommitStoresTheCellAndItsPlateField)
{
    ConnectAndLoad();
    logic.OnReadParameter();
    const std::pair<int, std::string*> cases[] = {{0, &PlateManufacturer}, {1, &PlateType}, {2, &PlateVin}};
    for (const auto& c : cases) {
        ASSERT_TRUE(logic.StartCellEdit(c.first, 500));
        logic.CommitCellEdit("Text " + std::to_string(c.first)); // Return, Escape or focus loss alike
        EXPECT_FALSE(logic.State().editorShown);
        EXPECT_EQ(logic.State().rows[static_cast<size_t>(c.first)].value, "Text " + std::to_string(c.first));
        EXPECT_EQ(*c.second, "Text " + std::to_string(c.first));
    }
    // A second commit (the focus loss after Return) changes nothing.
    logic.CommitCellEdit("late");
    EXPECT_EQ(PlateVin, "Text 2");
    // The next read puts the ECU's VIN back.
    logic.OnReadParameter();
    EXPECT_EQ(PlateVin, sim::ecudata::kVin);
    EXPECT_EQ(PlateManufacturer, "Text 0");

    // A read that comes while an edit is open (another page wrote the
    // parameters) leaves the edit open, and what was typed is kept.
    ASSERT_TRUE(logic.StartCellEdit(1, 500));
    logic.OnReadParameter();
    EXPECT_TRUE(logic.State().editorShown);
    EXPECT_EQ(logic.State().editorRow, 1);
    logic.CommitCellEdit("Typed meanwhile");
    EXPECT_EQ(PlateType, "Typed meanwhile");
    EXPECT_EQ(logic.State().rows[1].value, "Typed meanwhile");
}

TEST_F(SystemTagPage, CaptionsAndHeadersFollowTheLanguage)
{
    EXPECT_EQ(logic.State().readCaption, "Read Parameter");
    EXPECT_EQ(logic.State().loadCaption, "Load from File");
    EXPECT_EQ(logic.State().printCaption, "Print System Tag");
    EXPECT_THAT(logic.State().headers, ElementsAre("No.", "Parameter Name", "Value", "Unit"));
    LanguageIndex = 0;
    logic.OnLanguageChanged();
    EXPECT_THAT(logic.State().headers, ElementsAre("序号", "参数名称", "数值", "单位"));
}

TEST_F(SystemTagPage, TheBrandFollowsTheReportLogo)
{
    EXPECT_EQ(PrintSystemTagLogic::BrandIndexForLogoMode(1), 1);
    EXPECT_EQ(PrintSystemTagLogic::BrandIndexForLogoMode(2), 2);
    for (int other : {0, -1, 3, 99})
        EXPECT_EQ(PrintSystemTagLogic::BrandIndexForLogoMode(other), 0);
}

} // namespace
