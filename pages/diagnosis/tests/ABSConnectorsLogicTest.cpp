// The connectors page's logic against the simulated ECU on the page bench:
// version display, full refresh, failed reads, the definition loader and the
// on-screen editing of an assignment.
#include "ABSConnectorsLogic.h"

#include "DiagnosisGlobals.h"
#include "DidDefinitions.h"
#include "LanguageTable.h"
#include "ShellGlobals.h"

#include "SimEcu.h"

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
using Bytes_t = std::vector<uint8_t>;

std::vector<Bytes_t> PinReads(int upTo)
{
    std::vector<Bytes_t> reads;
    char hex[16];
    for (int n = 1; n <= upTo; ++n) {
        std::snprintf(hex, sizeof hex, "22 D0 %02X", n);
        reads.push_back(Bytes(hex));
    }
    return reads;
}

class ConnectorsLogic : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bench.Connect());
        bench.ClearRequests();
        bench.prompter.Clear();
    }

    tarvel_test::PageBench bench;
    ABSConnectorsLogic logic{bench.Context()};
};

TEST_F(ConnectorsLogic, VersionDisplayFollowsTheEcusTwoVersions)
{
    struct Case {
        Bytes_t f1;
        Bytes_t a2;
        const char* current;
        bool updateShown;
    };
    const Case cases[] = {
        {{0x03, 0x01}, {0x02, 0x00}, "2", true},  // older configuration, update offered
        {{0x03, 0x01}, {0x00, 0x00}, "3", false}, // byte 0 of 0x00A2 is 0: the required one
        {{0x03, 0x00}, {0x02, 0x00}, "2", false}, // no update offered
        {{0x0C, 0x01}, {0x0C, 0x00}, "12", false},
    };
    for (const Case& c : cases) {
        ABSConnectorsLogic page(bench.Context());
        bench.ecu->RegisterDid(0x00F1, c.f1);
        bench.ecu->RegisterDid(0x00A2, c.a2);
        bench.ClearRequests();
        page.ReadConnectorsVersion();
        EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 F1")));
        EXPECT_EQ(ConnectorVersionValid, 1);
        EXPECT_EQ(ConnectorRequiredVersion, c.f1[0]);
        EXPECT_EQ(ConnectorUpdateOffered, c.f1[1]);
        EXPECT_EQ(page.State().requiredVersion, std::to_string(c.f1[0]));
        EXPECT_TRUE(page.State().currentVersion.empty());
        EXPECT_TRUE(page.State().updateShown);

        bench.ClearRequests();
        ConnectorDidTable.clear();
        const bool ok = page.RefreshConnectors();
        EXPECT_EQ(bench.Requests().front(), Bytes("22 00 A2"));
        EXPECT_EQ(page.State().currentVersion, c.current) << c.current;
        EXPECT_EQ(page.State().updateShown, c.updateShown) << c.current;
        EXPECT_EQ(page.State().versionColour, 0x000000u);
        // Version 12 has no definition file: the lists still fill, unnamed.
        EXPECT_TRUE(ok);
    }
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(LanguageText(597), LanguageText(76))));
}

TEST_F(ConnectorsLogic, AFailedOrUnansweredVersionReadShowsNothing)
{
    bench.ecu->RemoveDid(0x00F1);
    ConnectorVersionValid = 1;
    logic.ReadConnectorsVersion();
    EXPECT_EQ(ConnectorVersionValid, 0);
    EXPECT_TRUE(logic.State().requiredVersion.empty());
    EXPECT_EQ(bench.prompter.Count(), 0u) << "the version read is quiet";

    bench.Disconnect();
    bench.ClearRequests();
    bench.prompter.Clear();
    logic.ReadConnectorsVersion();
    EXPECT_THAT(bench.Requests(), IsEmpty());
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(LanguageText(75), LanguageText(74))));
}

TEST_F(ConnectorsLogic, RefreshReadsEveryConnectorAndFindsTheDoubleClaimedPin)
{
    logic.ReadConnectorsVersion();
    bench.ClearRequests();
    ASSERT_TRUE(logic.RefreshConnectors());

    std::vector<Bytes_t> expected{Bytes("22 00 A2")};
    for (const Bytes_t& read : PinReads(16))
        expected.push_back(read);
    EXPECT_EQ(bench.Requests(), expected);
    EXPECT_EQ(bench.prompter.Count(), 0u);
    EXPECT_EQ(logic.State().lastRefreshResult, 1);

    // What the simulated ECU holds, as read.
    EXPECT_EQ(ConnectorPinTable[3 - 1][0], 0x10);
    EXPECT_EQ(ConnectorPinTable[15 - 1][2], 0x04);
    EXPECT_EQ(ConnectorPinTable[1 - 1][1], 0x08);
    // X1's GIO 2 pin 4 is not in the reference assignment: not kept.
    EXPECT_EQ(ConnectorPinKept[1 - 1][1], 0x00);
    EXPECT_EQ(ConnectorPinKept[3 - 1][0], 0x10);

    // The definition of version 3 in English names the connectors.
    ASSERT_EQ(ConnectorDidTable.size(), 1u);
    const ABSConnectorsState& s = logic.State();
    ASSERT_EQ(s.connectorRows.size(), 16u);
    EXPECT_EQ(s.connectorRows[9].Abbreviation, "X10");
    EXPECT_EQ(s.connectorRows[9].Description, "Tilt warning lamp");
    EXPECT_EQ(s.connectorRows[9].Assignment, "GIO3 Pin1");
    EXPECT_EQ(s.connectorRows[14].Assignment, "GIO3 Pin1&3");
    EXPECT_EQ(s.connectorRows[0].Assignment, "None");
    EXPECT_EQ(s.connectorRows[2].Assignment, "GIO1 Pin1&4");
    ASSERT_EQ(s.gioRows.size(), 5u);
    EXPECT_EQ(s.gioRows[0].Pin1, "X3 ");
    EXPECT_EQ(s.gioRows[0].Pin4, "X3 ");
    EXPECT_EQ(s.gioRows[2].Pin1, "X10 X15 ");
    EXPECT_EQ(s.gioRows[2].Pin3, "X15 ");
    EXPECT_EQ(s.gioRows[3].Pin1, "X8 ");
    EXPECT_EQ(s.gioRows[3].Pin3, "X7 ");
    EXPECT_EQ(s.conflictingRows, (std::set<int>{9, 14}));
    EXPECT_EQ(s.conflictingCells, (std::set<std::pair<int, int>>{{2, 2}, {2, 3}}));
    EXPECT_THAT(s.options[0], ElementsAre("GIO2 Pin4", "None"));
    EXPECT_THAT(s.connectorHeaders, ElementsAre("Write", "Function", "Connector"));
}

TEST_F(ConnectorsLogic, AFailedConnectorReadStopsTheRefreshAndKeepsTheLists)
{
    logic.ReadConnectorsVersion();
    ASSERT_TRUE(logic.RefreshConnectors());
    const auto rowsBefore = logic.State().connectorRows;

    bench.ecu->RegisterDid(0xD00A, {0x00, 0x00, 0x00, 0x00, 0x00});
    bench.ecu->RemoveDid(0xD005);
    bench.ClearRequests();
    bench.prompter.Clear();
    EXPECT_FALSE(logic.RefreshConnectors());
    std::vector<Bytes_t> expected{Bytes("22 00 A2")};
    for (const Bytes_t& read : PinReads(5))
        expected.push_back(read);
    EXPECT_EQ(bench.Requests(), expected);
    ASSERT_GE(bench.prompter.Count(), 1u);
    const auto last = bench.prompter.Boxes().back();
    EXPECT_THAT(last, BoxIs(LanguageText(598), LanguageText(74)));
    EXPECT_EQ(last.icon, tarvel::MsgIcon::Exclamation);
    EXPECT_EQ(logic.State().lastRefreshResult, 0);
    EXPECT_EQ(logic.State().connectorRows[9].Assignment, rowsBefore[9].Assignment);
    EXPECT_EQ(logic.State().conflictingRows, (std::set<int>{9, 14}));
}

TEST_F(ConnectorsLogic, AShortAnswerReadsItsMissingBytesAsZero)
{
    bench.ecu->RegisterDid(0xD00F, {0x04}, false, false, /*fixedLength*/ true);
    ASSERT_TRUE(logic.RefreshConnectors());
    EXPECT_EQ(ConnectorPinTable[15 - 1][0], 0x04);
    EXPECT_EQ(ConnectorPinTable[15 - 1][2], 0x00);
    EXPECT_TRUE(logic.State().conflictingRows.empty());
}

TEST_F(ConnectorsLogic, TheLoaderPicksTheFileOfTheVersionAndLanguage)
{
    ConnectorRequiredVersion = 3;
    logic.LoadConnectorsParameterConfig();
    ASSERT_EQ(ConnectorDidTable.size(), 1u);
    ASSERT_EQ(ConnectorDidTable[0].SubFields.size(), 17u);
    EXPECT_EQ(ConnectorDidTable[0].SubFields[3].Description, "Lifting axle valve 1");
    EXPECT_EQ(ConnectorDidTable[0].SubFields[3].Abbreviation, "X3");
    EXPECT_EQ(bench.prompter.Count(), 0u);

    // Version 7 has no file: box 597, the table is empty.
    ConnectorRequiredVersion = 7;
    logic.LoadConnectorsParameterConfig();
    EXPECT_THAT(ConnectorDidTable, IsEmpty());
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(LanguageText(597), LanguageText(76))));
}

TEST(ConnectorsLogicChinese, TheChineseFileAndHeaders)
{
    tarvel_test::PageBench bench(0);
    ABSConnectorsLogic logic(bench.Context());
    EXPECT_THAT(logic.State().connectorHeaders, ElementsAre("编写", "功能", "连接器"));
    ConnectorRequiredVersion = 3;
    logic.LoadConnectorsParameterConfig();
    ASSERT_EQ(ConnectorDidTable.size(), 1u);
    EXPECT_EQ(ConnectorDidTable[0].SubFields[1].Description, "ISO 7638供电");
}

TEST(ConnectorsLogicRussian, RelabelTakesTheLanguageTexts)
{
    tarvel_test::PageBench bench(2);
    ABSConnectorsLogic logic(bench.Context());
    EXPECT_EQ(logic.State().updateCaption, "Update Version");
    logic.RelabelConnectors();
    EXPECT_EQ(logic.State().currentCaption, "Текущая версия");
    EXPECT_EQ(logic.State().requiredCaption, "Требуемая версия");
    EXPECT_EQ(logic.State().updateCaption, "Обновить версию");
}

TEST_F(ConnectorsLogic, AShortDefinitionNamesOnlyTheConnectorsItHas)
{
    _tagConnDIDdesc_ did;
    did.DidNumber = "00A2";
    for (int n = 0; n <= 3; ++n) {
        _tagConnDIDdesc_Sub_ sub;
        sub.ByteIndex = n;
        sub.Abbreviation = "K" + std::to_string(n);
        did.SubFields.push_back(sub);
    }
    ConnectorDidTable = {did};
    ASSERT_TRUE(logic.RefreshConnectors());
    const ABSConnectorsState& s = logic.State();
    EXPECT_EQ(s.connectorRows[2].Abbreviation, "K3");
    EXPECT_EQ(s.connectorRows[9].Abbreviation, "");
    EXPECT_EQ(s.gioRows[2].Pin1, "  ");
    EXPECT_EQ(s.conflictingRows, (std::set<int>{9, 14}));
    EXPECT_EQ(bench.prompter.Count(), 0u) << "a loaded definition is not reloaded";
}

TEST_F(ConnectorsLogic, AnAssignmentIsChosenFromTheConnectorsOptions)
{
    logic.ReadConnectorsVersion();
    ASSERT_TRUE(logic.RefreshConnectors());
    bench.ClearRequests();
    EXPECT_THAT(logic.EditorOptions(14), ElementsAre("GIO3 Pin1&3", "None"));
    EXPECT_EQ(logic.EditorSelection(14), 0);
    EXPECT_EQ(logic.EditorSelection(0), 1) << "X1 shows None, the second entry";
    logic.SetAssignment(14, "None");
    EXPECT_EQ(logic.State().connectorRows[14].Assignment, "None");
    EXPECT_EQ(logic.EditorSelection(14), 1);
    logic.SetAssignment(16, "None");
    logic.SetAssignment(-1, "None");
    EXPECT_THAT(logic.EditorOptions(16), IsEmpty());
    EXPECT_THAT(bench.Requests(), IsEmpty()) << "an edit stays on screen";
}

} // namespace
