// The parameters page's logic against the simulated ECU on the page bench:
// reading records, the write with its verification, refused writes, the
// identification record, the tab updates and the guards.
#include "ABSRWDIDLogic.h"

#include "AppMessages.h"
#include "DeviceInfoLogic.h"
#include "DiagnosisGlobals.h"
#include "EcuRestart.h"
#include "EolGlobals.h"
#include "LiftingAxleCalibrationLogic.h"
#include "ParameterDefinitions.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "WindowRegistry.h"

#include "LanguageTable.h"
#include "Pump.h"

#include "SimEcu.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <functional>
#include <random>
#include <utility>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::BoxIs;
using tarvel_test::Bytes;
using Bytes_t = std::vector<uint8_t>;
using Sent = std::pair<tarvel::WindowSlot, int>;

constexpr const char* kCalibration = "Calibration Parameters";
constexpr const char* kVinRecord = "Vehicle Identification Number";

// The vehicle configuration the simulated ECU starts with, as it stands on the wire.
const char* const kStoredBlock =
    "03 01 02 01 00 02 02 01 00 01 18 05 05 0C 00 00 09 09 09 00 00 01 02 01 02 01 02 01 02 03 00 05 00 "
    "02 02 01 01 01 01 01 01 1E 1E 02 3C 64 19 B0 04 C0 12 58 02 FA 00 FA 00 B2 0C 64 BE A0 86 01 00 "
    "02 00 01 02 58 02 64 19 5A 0F 18 18 18 00 00 B2 0C B2 0C 64 64 01 18";

// Records what reaches the other pages' windows; the lifting-axle page's
// messages are handed on to its logic when one is given.
struct WindowLog {
    struct Target : tarvel::MessageTarget {
        Target(WindowLog& log, tarvel::WindowSlot slot) : log(log), slot(slot) {}
        bool HandleAppMessage(int message) override
        {
            log.sent.emplace_back(slot, message);
            if (slot == tarvel::WindowSlot::LiftingAxlePage && log.liftingAxle)
                return log.liftingAxle->HandleMessage(message);
            return true;
        }
        WindowLog& log;
        tarvel::WindowSlot slot;
    };
    WindowLog()
    {
        for (auto* t : {&deviceInfo, &systemTag, &lifting, &navigation})
            tarvel::RegisterWindow(t->slot, t);
    }
    // The messages sent to the pages other than the navigation dialog.
    std::vector<Sent> ToPages() const
    {
        std::vector<Sent> v;
        for (const auto& s : sent)
            if (s.first != tarvel::WindowSlot::Navigation)
                v.push_back(s);
        return v;
    }
    std::vector<Sent> sent;
    LiftingAxleCalibrationLogic* liftingAxle = nullptr;
    Target deviceInfo{*this, tarvel::WindowSlot::DeviceInfoPage};
    Target systemTag{*this, tarvel::WindowSlot::SystemTagDialog};
    Target lifting{*this, tarvel::WindowSlot::LiftingAxlePage};
    Target navigation{*this, tarvel::WindowSlot::Navigation};
};

// Runs an action once, inside a pumped wait, at the first pump after the ECU
// received a request that begins with the given bytes.
class RequestPump : public tarvel::MessagePump {
public:
    RequestPump(sim::SimEcu& ecu, Bytes_t prefix, std::function<void()> action)
        : ecu_(ecu), prefix_(std::move(prefix)), action_(std::move(action)), seen_(ecu.Stats().requests)
    {
        tarvel::SetPump(this);
    }
    ~RequestPump() override { tarvel::SetPump(nullptr); }
    bool Fired() const { return !action_; }
    void PumpPending() override
    {
        if (!action_)
            return;
        const auto requests = ecu_.Requests();
        const uint64_t fresh = ecu_.Stats().requests - seen_;
        for (size_t k = 0; k < fresh && k < requests.size(); ++k) {
            const Bytes_t& r = requests[requests.size() - 1 - k];
            if (r.size() >= prefix_.size() && std::equal(prefix_.begin(), prefix_.end(), r.begin())) {
                auto action = std::move(action_);
                action_ = nullptr;
                action();
                return;
            }
        }
    }

private:
    sim::SimEcu& ecu_;
    Bytes_t prefix_;
    std::function<void()> action_;
    uint64_t seen_;
};

// Records every box and, at each, runs a look at the page.
class LookingPrompter : public tarvel::RecordingPrompter {
public:
    tarvel::MsgAnswer Show(const std::string& text, const std::string& caption, tarvel::MsgIcon icon,
                           tarvel::MsgButtons buttons) override
    {
        if (look)
            look(text);
        return RecordingPrompter::Show(text, caption, icon, buttons);
    }
    std::function<void(const std::string& text)> look;
};

// Forwards the parameters page's window messages to a logic.
struct ParameterWindow : tarvel::MessageTarget {
    explicit ParameterWindow(ABSRWDIDLogic& logic) : logic(logic)
    {
        tarvel::RegisterWindow(tarvel::WindowSlot::ParameterPage, this);
    }
    bool HandleAppMessage(int message) override { return logic.HandleMessage(message); }
    ABSRWDIDLogic& logic;
};

class ABSRWDIDLogicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logic.SetTabShower([this](int tab, bool show) { tabs.emplace_back(tab, show); });
    }

    // Connects and loads the definitions of the ECU's calibration version.
    void ConnectAndLoad()
    {
        ASSERT_TRUE(bench.Connect());
        BasicParameterFileNames[1] = "VADE_BasicParameterConfig/VADE_ParameterConfig_C05_en.xml";
        ASSERT_TRUE(LoadBasicParameterConfig());
        ParameterFaultCodeFile = kFallbackParameterFaultCodeFile;
        ASSERT_TRUE(LoadParameterFaultCodes());
        Forget();
    }
    void Forget()
    {
        bench.ClearRequests();
        bench.prompter.Clear();
        windows.sent.clear();
        tabs.clear();
    }
    void Choose(const std::string& name)
    {
        logic.OnParameterRecordSelected(name);
    }
    // Types `text` into the Value cell of the row named `name`.
    void Edit(const std::string& name, const std::string& text)
    {
        const auto& rows = logic.State().rows;
        for (size_t r = 0; r < rows.size(); ++r) {
            if (rows[r].Name == name) {
                logic.BeginParameterEdit(static_cast<int>(r), ABSRWDIDLogic::kValueColumn);
                ASSERT_TRUE(logic.State().editorShown);
                logic.CommitParameterEdit(text);
                return;
            }
        }
        FAIL() << "no row " << name;
    }
    std::string Value(const std::string& name) const
    {
        for (const auto& row : logic.State().rows)
            if (row.Name == name)
                return row.Value;
        return "<none>";
    }
    // The page's own boxes: without the UDS layer's negative-response boxes.
    std::vector<tarvel::RecordingPrompter::Box> PageBoxes() const
    {
        std::vector<tarvel::RecordingPrompter::Box> v;
        for (const auto& box : bench.prompter.Boxes())
            if (box.caption != "UDS negative response")
                v.push_back(box);
        return v;
    }
    Bytes_t Stored(uint16_t did) const { return bench.ecu->Did(did).value_or(Bytes_t{}); }
    std::string UiText(int row) const { return bench.Context().texts.Text(row); }
    static Bytes_t WriteRequest(const std::string& did, const Bytes_t& block)
    {
        Bytes_t r = Bytes("2E " + did);
        r.insert(r.end(), block.begin(), block.end());
        return r;
    }
    // The requests with the unlock's two steps as their first two bytes only
    // (the key depends on the seed).
    std::vector<Bytes_t> Requests() const
    {
        std::vector<Bytes_t> v = bench.Requests();
        for (auto& r : v)
            if (r.size() > 2 && r[0] == 0x27)
                r.resize(2);
        return v;
    }

    tarvel_test::PageBench bench;
    WindowLog windows;
    ABSRWDIDLogic logic{bench.Context()};
    std::vector<std::pair<int, bool>> tabs;
};

// ---- Reading ----

TEST_F(ABSRWDIDLogicTest, ChoosingTheCalibrationRecordReadsItLeastSignificantByteFirst)
{
    ConnectAndLoad();
    logic.FillParameterRecordCombo();
    EXPECT_THAT(logic.State().recordNames, ElementsAre(kVinRecord, kCalibration, "End-of-Line Marker"));
    Choose(kCalibration);

    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 A0")));
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    EXPECT_EQ(logic.State().rows.size(), ParameterDidTable[1].SubFields.size());
    EXPECT_EQ(Value("Number of Axles"), "3");
    EXPECT_EQ(Value("Axle 3 Lift Function A"), "1");
    EXPECT_EQ(Value("Control Pressure Laden (bar)"), "6.50");
    EXPECT_EQ(Value("Tyre Circumference (mm)"), "3250");
    EXPECT_EQ(Value("Service Interval (km)"), "100000");
    EXPECT_EQ(Value("Checksum"), "24");
    EXPECT_EQ(logic.State().valueColumnWidth, 150);
    EXPECT_TRUE(logic.State().writeEnabled);
    EXPECT_TRUE(logic.State().fileButtonsEnabled);
    // Every byte up to the checksum is kept, and no padding.
    EXPECT_EQ(ParameterReadBytes, Bytes(kStoredBlock));
    // The lift function makes the lifting-axle calibration exist: its tab
    // shows and its page reads its block.
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 1);
    EXPECT_THAT(tabs, ElementsAre(std::make_pair(int(tarvel::TabLiftingAxleCalibration), true)));
    EXPECT_THAT(windows.ToPages(), ElementsAre(Sent{tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_READ}));
}

TEST_F(ABSRWDIDLogicTest, IdentificationRecordShowsZeroBytesAsSpacesInWireOrderAndShortVinsWithoutPadding)
{
    ConnectAndLoad();
    bench.ecu->RegisterDid(0xF190, Bytes("57 54 52 00 41 42 43 44 45 46 47 48 49 4A 4B 00 5A"), true, true);
    Choose(kVinRecord);
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 F1 90")));
    EXPECT_EQ(Value("VIN"), "WTR ABCDEFGHIJK Z");
    EXPECT_EQ(logic.State().valueColumnWidth, 270);
    EXPECT_FALSE(logic.State().fileButtonsEnabled);

    // Ten characters: the answer ends inside a padded frame.
    bench.ecu->RegisterDid(0xF190, Bytes("31 32 33 34 35 36 37 38 39 30"), true, true, /*fixedLength*/ false);
    bench.prompter.Clear();
    logic.OnReadParameter();
    EXPECT_EQ(Value("VIN"), "1234567890");
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
}

TEST_F(ABSRWDIDLogicTest, OnlyReadWriteRecordsCanBeWrittenAndTheLastOfTwoNamesakesCounts)
{
    ConnectAndLoad();
    Choose("End-of-Line Marker");
    EXPECT_FALSE(logic.State().writeEnabled);
    EXPECT_EQ(SelectedRecordRWType, "R");

    _tagABSDIDdesc_ twin = ParameterDidTable[2];
    twin.DidNumber = "0093";
    twin.RWType = "RW";
    ParameterDidTable.push_back(twin);
    ParameterDidList = ParameterDidTable;
    bench.ClearRequests();
    Choose("End-of-Line Marker");
    EXPECT_TRUE(logic.State().writeEnabled);
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 93")));
}

// ---- Writing ----

TEST_F(ABSRWDIDLogicTest, CalibrationWriteSendsTheExactBlockResetsWaitsAndVerifies)
{
    ConnectAndLoad();
    Choose(kCalibration);
    // Without the lift function there is no lifting-axle calibration.
    Edit("Axle 3 Lift Function A", "0");
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 0);
    Edit("Tyre Circumference (mm)", "3300");
    Forget();

    uint64_t writtenAt = 0;
    uint64_t rereadAt = 0;
    bench.ecu->AddEventListener([&](sim::SimEcuEvent e, sim::SimEcuContext&) {
        if (e == sim::SimEcuEvent::Reset)
            writtenAt = bench.clock.NowUs();
    });
    windows.liftingAxle = nullptr;
    logic.OnWriteParameter();
    rereadAt = bench.clock.NowUs();

    // 13: lift A cleared (0C -> 04); 57: 3300 = 0x0CE4 least significant
    // byte first; the checksum follows.
    Bytes_t block = Bytes(kStoredBlock);
    block[13] = 0x04;
    block[57] = 0xE4;
    block.back() = 0x42;
    EXPECT_THAT(Requests(), ElementsAre(Bytes("10 03"), Bytes("27 01"), Bytes("27 02"), WriteRequest("00 A0", block),
                                        Bytes("11 01"), Bytes("3E 00"), Bytes("22 00 A0")));
    EXPECT_EQ(ParameterWrittenBytes, block);
    EXPECT_EQ(Stored(0x00A0), block);
    EXPECT_EQ(Value("Checksum"), "66");
    EXPECT_GE(rereadAt - writtenAt, 1200u * 1000u);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Parameters written successfully", "Tips")));
    EXPECT_THAT(windows.ToPages(), ElementsAre(Sent{tarvel::WindowSlot::DeviceInfoPage, WM_DEVICEINFO_RELOAD},
                                               Sent{tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_RELOAD_CONFIG},
                                               Sent{tarvel::WindowSlot::SystemTagDialog, WM_SYSTEMTAG_UPDATE}));
}

TEST_F(ABSRWDIDLogicTest, WithTheLiftingAxleBothBlocksAreWrittenAndComparedInTheirOwnOrder)
{
    ConnectAndLoad();
    LiftingAxleCalibrationLogic lifting(bench.Context());
    windows.liftingAxle = &lifting;
    lifting.HandleMessage(WM_LIFTAXLE_RELOAD_CONFIG);
    lifting.HandleMessage(WM_LIFTAXLE_REFILL);
    Choose(kCalibration); // reads 00A0, then the lifting-axle page reads 00A1
    ASSERT_EQ(LiftingAxleCalibrationEnabled, 1);
    ASSERT_FALSE(LiftingAxleGrid.empty());
    const Bytes_t liftingBlock = Stored(0x00A1);
    LiftingAxleWriteOk = 1; // an earlier success must not count
    Forget();

    logic.OnWriteParameter();

    EXPECT_THAT(Requests(),
                ElementsAre(Bytes("10 03"), Bytes("27 01"), Bytes("27 02"), WriteRequest("00 A0", Bytes(kStoredBlock)),
                            Bytes("10 03"), Bytes("27 01"), Bytes("27 02"), WriteRequest("00 A1", liftingBlock),
                            Bytes("11 01"), Bytes("3E 00"), Bytes("22 00 A0"), Bytes("22 00 A1"), Bytes("22 00 F0")));
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Parameters written successfully", "Tips")));
    const auto pages = windows.ToPages();
    ASSERT_GE(pages.size(), 3u);
    EXPECT_THAT(std::vector<Sent>(pages.end() - 3, pages.end()),
                ElementsAre(Sent{tarvel::WindowSlot::DeviceInfoPage, WM_DEVICEINFO_RELOAD},
                            Sent{tarvel::WindowSlot::SystemTagDialog, WM_SYSTEMTAG_UPDATE},
                            Sent{tarvel::WindowSlot::LiftingAxlePage, WM_LIFTAXLE_RELOAD_CONFIG}));
}

TEST_F(ABSRWDIDLogicTest, WithTheLiftingAxleAFailedLiftingWriteEndsWithoutResetOrVerdict)
{
    ConnectAndLoad();
    LiftingAxleCalibrationLogic lifting(bench.Context());
    windows.liftingAxle = &lifting;
    lifting.HandleMessage(WM_LIFTAXLE_RELOAD_CONFIG);
    lifting.HandleMessage(WM_LIFTAXLE_REFILL);
    Choose(kCalibration);
    ASSERT_EQ(LiftingAxleCalibrationEnabled, 1);
    LiftingAxleWriteOk = 1;
    bench.ecu->SetDidWriteCheck(0x00A1, [](const Bytes_t&, sim::SimEcuContext&) -> uint8_t { return 0x31; });
    Forget();

    logic.OnWriteParameter();
    EXPECT_EQ(LiftingAxleWriteOk, 0);
    for (const auto& r : bench.Requests())
        EXPECT_NE(r, Bytes("11 01"));
    for (const auto& box : bench.prompter.Boxes()) {
        EXPECT_NE(box.text, "Parameters written successfully");
        EXPECT_NE(box.text, "Parameter verification failed after writing");
    }
}

TEST_F(ABSRWDIDLogicTest, AByteTheEcuAlteredOrAVerificationReadThatFailedIsAMismatch)
{
    ConnectAndLoad();
    Choose(kCalibration);
    Edit("Axle 3 Lift Function A", "0");
    Forget();
    bool alter = true;
    bench.ecu->AddEventListener([&](sim::SimEcuEvent e, sim::SimEcuContext& ecu) {
        if (e != sim::SimEcuEvent::Reset || !alter)
            return;
        Bytes_t b = *ecu.Did(0x00A0);
        b[2] ^= 0x01;
        ecu.SetDid(0x00A0, b);
    });
    logic.OnWriteParameter();
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Parameter verification failed after writing", "Error")));
    EXPECT_THAT(windows.ToPages(), IsEmpty());

    // The same values again, and the re-read is refused: the bytes of the
    // read before the write must not pass for the verification.
    alter = false;
    bench.ecu->RegisterDid(0x00A0, ParameterWrittenBytes, true, true);
    logic.OnReadParameter();
    ASSERT_EQ(ParameterReadBytes, ParameterWrittenBytes);
    Forget();
    bench.ecu->SetNegativeResponse(0x22, 0x22, 1); // the only read is the verification's
    logic.OnWriteParameter();
    const auto boxes = bench.prompter.Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_THAT(boxes.back(), BoxIs("Parameter verification failed after writing", "Error"));
    EXPECT_THAT(windows.ToPages(), IsEmpty());
}

// The ECU is silent while it restarts after the verification's reset. The
// read-back waits the page's own time, then asks the ECU until it answers,
// however long it takes within the allowance.
TEST_F(ABSRWDIDLogicTest, AnEcuThatRestartsSlowlyIsAwaitedAndTheWriteIsVerified)
{
    ConnectAndLoad();
    Choose(kCalibration);
    Edit("Axle 3 Lift Function A", "0");
    uint64_t resetAt = 0;
    bench.ecu->AddEventListener([&](sim::SimEcuEvent e, sim::SimEcuContext&) {
        if (e == sim::SimEcuEvent::Reset)
            resetAt = bench.clock.NowMs();
    });
    const struct {
        uint32_t restartMs;
        const char* tyre;
    } cases[] = {{600, "3300"}, {2000, "3310"}, {4000, "3320"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.restartMs);
        bench.ecu->SetRestartTime(c.restartMs);
        Edit("Tyre Circumference (mm)", c.tyre);
        Forget();

        logic.OnWriteParameter();
        const uint64_t doneAt = bench.clock.NowMs();

        EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(84), UiText(74))));
        EXPECT_GE(doneAt - resetAt, std::max(c.restartMs, ABSRWDIDLogic::kResetWaitMs));
        // After the reset only TesterPresent, until the ECU answered; then
        // the one read-back.
        const std::vector<Bytes_t> sent = Requests();
        const size_t atLeast = c.restartMs > ABSRWDIDLogic::kResetWaitMs
                                   ? (c.restartMs - ABSRWDIDLogic::kResetWaitMs) / tarvel::kEcuRestartProbeMs
                                   : 1;
        EXPECT_GE(sent.size(), 6 + atLeast);
        if (sent.size() >= 6 + atLeast) {
            EXPECT_EQ(sent[4], Bytes("11 01"));
            EXPECT_EQ(sent.back(), Bytes("22 00 A0"));
            for (auto r = sent.begin() + 5; r != sent.end() - 1; ++r)
                EXPECT_EQ(*r, Bytes("3E 00"));
        }
        EXPECT_EQ(Stored(0x00A0), ParameterWrittenBytes);
        EXPECT_EQ(ParameterReadBytes, ParameterWrittenBytes);
        EXPECT_EQ(Value("Tyre Circumference (mm)"), c.tyre);
        EXPECT_EQ(EcuConnected.load(), 1);
        EXPECT_EQ(windows.ToPages().size(), 3u) << "the pages are told of the verified write";
    }
}

// An ECU still silent when the allowance is over is lost: one box, the link
// closed, no verdict and nothing more on the bus.
TEST_F(ABSRWDIDLogicTest, AnEcuSilentAfterTheVerificationsResetGivesOneBoxAndClosesTheLink)
{
    ConnectAndLoad();
    Choose(kCalibration);
    Edit("Axle 3 Lift Function A", "0");
    Forget();
    bench.ecu->SetRestartTime(tarvel::kEcuRestartAllowanceMs + 3000);

    logic.OnWriteParameter();

    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs(UiText(682), UiText(76))));
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_EQ(ConnectCommandEnabled, 1);
    EXPECT_THAT(windows.ToPages(), IsEmpty());
    for (const Bytes_t& r : Requests())
        EXPECT_NE(r, Bytes("22 00 A0")) << "no read-back from a lost ECU";
    const size_t sent = bench.Requests().size();
    bench.Advance(20 * 1000);
    bench.RunUiWork();
    EXPECT_EQ(bench.Requests().size(), sent) << "nothing is sent on a closed link";
    EXPECT_EQ(bench.prompter.Count(), 1u) << "no chain of time-outs";
}

// The user disconnects while the page asks the restarting ECU: the wait ends
// there, without a read-back and without a box of the verification.
TEST_F(ABSRWDIDLogicTest, ADisconnectWhileTheEcuRestartsEndsTheVerificationWithoutAVerdict)
{
    ConnectAndLoad();
    Choose(kCalibration);
    Edit("Axle 3 Lift Function A", "0");
    Forget();
    bench.ecu->SetRestartTime(4000);
    RequestPump pump(*bench.ecu, Bytes("3E 00"), [this] { bench.Disconnect(); });

    logic.OnWriteParameter();

    ASSERT_TRUE(pump.Fired());
    EXPECT_EQ(EcuConnected.load(), 0);
    for (const Bytes_t& r : Requests())
        EXPECT_NE(r, Bytes("22 00 A0")) << "no read-back after the disconnect";
    for (const auto& box : bench.prompter.Boxes()) {
        EXPECT_NE(box.text, UiText(84));
        EXPECT_NE(box.text, UiText(85));
        EXPECT_NE(box.text, UiText(682)) << "the user closed the link, not the ECU's silence";
    }
    EXPECT_THAT(windows.ToPages(), IsEmpty());
}

TEST_F(ABSRWDIDLogicTest, RefusedConfigurationWriteExplainsEveryMatchingFaultCodeAndResetsTheEolResults)
{
    ConnectAndLoad();
    Choose(kCalibration);
    Edit("Number of Axles", "7"); // the ECU refuses: axle count (fault 02)
    ParameterFaultCodeTable.push_back({"2", "Second title", "Second text"});
    ParameterFaultCodeTable.push_back({"12", "Other title", "Other text"});
    for (int i = 0; i < EolResultFlagCount; ++i)
        *EolResultTable()[i].flag = 1;
    Forget();

    logic.OnWriteParameter();
    ASSERT_GE(bench.Requests().size(), 5u);
    EXPECT_EQ(bench.Requests().back(), Bytes("22 00 93"));
    EXPECT_THAT(PageBoxes(),
                ElementsAre(BoxIs("The ECU rejected a parameter value outside its range.", "Parameter out of range"),
                            BoxIs("Second text", "Second title"), BoxIs("Parameter write failed", "Error")));
    EXPECT_EQ(Stored(0x00A0), Bytes(kStoredBlock));

    std::vector<std::string> reset;
    std::vector<std::string> kept;
    for (int i = 0; i < EolResultFlagCount; ++i)
        (*EolResultTable()[i].flag == -1 ? reset : kept).push_back(EolResultTable()[i].name);
    EXPECT_EQ(reset.size(), 20u);
    EXPECT_THAT(kept, ::testing::UnorderedElementsAre("EolModulator3Result", "EolPressure5Result",
                                                       "EolPressure6Result", "EolValveOpenResult",
                                                       "EolValveCloseResult"));

    // A code no record names explains nothing; the page's own box still
    // says that the write failed.
    ParameterFaultCodeTable.clear();
    Forget();
    logic.OnWriteParameter();
    EXPECT_EQ(bench.Requests().back(), Bytes("22 00 93"));
    EXPECT_THAT(PageBoxes(), ElementsAre(BoxIs("Parameter write failed", "Error")));
}

TEST_F(ABSRWDIDLogicTest, IdentificationWriteIsPaddedToSeventeenAndNotVerified)
{
    ConnectAndLoad();
    Choose(kVinRecord);
    Edit("VIN", "ABC123");
    Forget();
    logic.OnWriteParameter();
    const Bytes_t block = Bytes("41 42 43 31 32 33 20 20 20 20 20 20 20 20 20 20 20");
    EXPECT_THAT(Requests(), ElementsAre(Bytes("10 03"), Bytes("27 01"), Bytes("27 02"), WriteRequest("F1 90", block)));
    EXPECT_EQ(Stored(0xF190), block);
    EXPECT_EQ(ParameterWrittenBytes, block);
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Parameters written successfully", "Tips")));
}

TEST_F(ABSRWDIDLogicTest, WritingTheValuesAsReadSendsTheBlockTheEcuHolds)
{
    ConnectAndLoad();
    Choose(kCalibration);
    Edit("Axle 3 Lift Function A", "0");
    Edit("Axle 3 Lift Function A", "1"); // back as it was
    Forget();
    LiftingAxleCalibrationEnabled = 0; // this ECU's lifting-axle block is not part of this check
    logic.OnWriteParameter();
    ASSERT_GE(bench.Requests().size(), 4u);
    EXPECT_EQ(bench.Requests()[3], WriteRequest("00 A0", Bytes(kStoredBlock)));
}

TEST_F(ABSRWDIDLogicTest, SavedValuesLoadBackIntoTheGridAndTheFlagsFollowThem)
{
    ConnectAndLoad();
    Choose(kCalibration);
    const std::string path = ::testing::TempDir() + "parameters-page-test.ini";
    bench.files.QueueAnswer(path);
    logic.SaveParameterFile();
    Edit("Axle 3 Lift Function A", "0");
    Edit("Number of Axles", "5");
    ASSERT_EQ(LiftingAxleCalibrationEnabled, 0);
    Forget();

    bench.files.QueueAnswer(path);
    logic.LoadParameterFile();
    EXPECT_EQ(Value("Number of Axles"), "3");
    EXPECT_EQ(Value("Axle 3 Lift Function A"), "1");
    EXPECT_EQ(LiftingAxleCalibrationEnabled, 1);
    EXPECT_THAT(tabs, ElementsAre(std::make_pair(int(tarvel::TabLiftingAxleCalibration), true)));
    EXPECT_THAT(bench.Requests(), IsEmpty()); // nothing is sent until the user writes
    std::remove(path.c_str());
}

TEST_F(ABSRWDIDLogicTest, TheLoadedBoxComesOnceTheGridAndTheTabsShowTheFile)
{
    ConnectAndLoad();
    Choose(kCalibration);
    const std::string path = ::testing::TempDir() + "parameters-page-box-test.ini";
    bench.files.QueueAnswer(path);
    logic.SaveParameterFile();
    Edit("Axle 3 Lift Function A", "0");
    Edit("Number of Axles", "5");
    Forget();

    int renders = 0;
    logic.SetChangedObserver([&] { ++renders; });
    LookingPrompter prompter;
    tarvel::ScopedPrompter use(prompter);
    std::vector<std::string> seen;
    prompter.look = [&](const std::string& text) {
        seen.push_back(text + " | axles " + Value("Number of Axles") + ", lift " + Value("Axle 3 Lift Function A") +
                       ", tabs " + std::to_string(tabs.size()) + ", rendered " + std::to_string(renders > 0));
    };
    bench.files.QueueAnswer(path);
    logic.LoadParameterFile();
    EXPECT_THAT(seen, ElementsAre("Parameters loaded from the file | axles 3, lift 1, tabs 1, rendered 1"));
    EXPECT_THAT(tabs, ElementsAre(std::make_pair(int(tarvel::TabLiftingAxleCalibration), true)));
    logic.SetChangedObserver(nullptr);
    std::remove(path.c_str());
}

// A file cut after its first 39 values fills those rows; the others keep
// what the grid showed, and the box says so, in every language.
TEST_F(ABSRWDIDLogicTest, AShortFileFillsTheRowsItHoldsAndItsBoxSaysHowManyValuesItHeld)
{
    ConnectAndLoad();
    Choose(kCalibration);
    const size_t rows = logic.State().rows.size();
    ASSERT_GT(rows, 40u);
    const std::string path = ::testing::TempDir() + "parameters-page-short-test.ini";
    bench.files.QueueAnswer(path);
    logic.SaveParameterFile();
    std::string cut;
    {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        for (int n = 0; n < 1 + 39 && std::getline(in, line); ++n)
            cut += line + "\n";
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << cut;

    const char* const english[] = {"Parameters loaded from the file",
                                   "Values in the file / rows in the list: 39 / ",
                                   "The other rows keep their values: check them before writing to the ECU."};
    for (int language = 0; language < kLanguageCount; ++language) {
        SCOPED_TRACE(language);
        LanguageIndex = language;
        ASSERT_TRUE(LoadLanguageConfig());
        Edit("Number of Axles", "5");           // row 1: in the file
        Edit("Tyre Circumference (mm)", "3300"); // past the file's end
        Forget();
        bench.files.QueueAnswer(path);
        logic.LoadParameterFile();
        EXPECT_EQ(Value("Number of Axles"), "3");
        EXPECT_EQ(Value("Tyre Circumference (mm)"), "3300");

        const auto boxes = PageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        std::vector<std::string> lines;
        std::istringstream text(boxes[0].text);
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        ASSERT_EQ(lines.size(), 3u) << boxes[0].text;
        // The usual text first, then the count in figures and what it means.
        EXPECT_EQ(lines[0], LanguageText(222));
        const std::string count = " 39 / " + std::to_string(rows);
        ASSERT_GT(lines[1].size(), count.size());
        EXPECT_EQ(lines[1].substr(lines[1].size() - count.size()), count);
        EXPECT_EQ(boxes[0].caption, LanguageText(74));
        for (size_t k = 0; k < 3; ++k) {
            if (language == 1)
                EXPECT_EQ(lines[k], english[k] + (k == 1 ? std::to_string(rows) : std::string()));
            else
                EXPECT_EQ(lines[k].find(english[k]), std::string::npos) << lines[k];
        }
    }
    LanguageIndex = 1;
    std::remove(path.c_str());
}

// What the page holds from a load: the grids, the equipment flags derived
// from them, and the tabs shown.
std::string PageHoldings(const ABSRWDIDLogic& logic)
{
    std::string held;
    for (const auto& row : logic.State().rows)
        held += row.Value + "|";
    held += " lift grid:";
    for (const auto& row : LiftingAxleGrid)
        held += row.Value + "|";
    for (int32_t flag : {LiftingAxleCalibrationEnabled, BrakeLampTestEnabled, HeightSensorCalibrationEnabled,
                         UnderwaterValveTestEnabled, LiftingAxleTestEnabled, LiftingSensorCalibrationEnabled,
                         AxleCount})
        held += " " + std::to_string(flag);
    for (int32_t flag : AxleFeatureFlags)
        held += " " + std::to_string(flag);
    for (int32_t flag : LiftingAxleFlags)
        held += " " + std::to_string(flag);
    for (const auto& value : LiftingAxleRowValues)
        held += " " + value;
    return held;
}

// A file whose bytes are not text is no parameter file: it is refused with a
// box that names it and says why, in every language, and the grids, the
// flags and the tabs stay as they were. A text line that is not a valid
// value still loads as it stands, and the write names it.
TEST_F(ABSRWDIDLogicTest, AFileThatIsNotTextIsRefusedAndTheGridAndTheFlagsStayAsTheyWere)
{
    ConnectAndLoad();
    Choose(kCalibration);
    const std::string folder = ::testing::TempDir();
    const std::string saved = folder + "parameters-page-not-text.ini";
    bench.files.QueueAnswer(saved);
    logic.SaveParameterFile();
    std::string text;
    {
        std::ifstream in(saved, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        text = bytes.str();
    }
    ASSERT_EQ(text.compare(0, 21, "Basic_Parameters\r\n3\r\n"), 0);

    std::string random(3000, '\0');
    std::mt19937 generator(20261211);
    for (char& c : random)
        c = static_cast<char>(generator() & 0xFF);
    std::string withNul = text;
    withNul.insert(19, 1, '\0'); // "3" becomes "3\0": byte 20
    std::string utf16 = "\xFF\xFE"; // as a text editor's "Unicode" saves it
    for (char c : std::string("Basic_Parameters\r\n3\r\n"))
        utf16 += std::string(1, c) + '\0';
    std::string ansi = text;
    ansi.insert(21, "Gr\xF6\xDF" "e\r\n"); // code page 1252, not UTF-8: byte 24

    struct Case {
        const char* name;
        std::string bytes;
        int why;         // 678 control character, 679 not UTF-8; 0: either
        const char* at;  // the byte named; nullptr: any
    };
    const std::vector<Case> cases{
        {"random.bin", random, 0, nullptr},
        {"nul.ini", withNul, 678, "20"},
        {"utf16.ini", utf16, 679, "1"},
        {"ansi.ini", ansi, 679, "24"},
    };
    const std::string held = PageHoldings(logic);
    const char* const english[] = {"This file is not a parameter text file; nothing was loaded:",
                                   "It holds a control character, which text does not have, at byte:",
                                   "It holds bytes that are not UTF-8 text, from byte:"};
    for (int language = 0; language < kLanguageCount; ++language) {
        LanguageIndex = language;
        ASSERT_TRUE(LoadLanguageConfig());
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ", language " + std::to_string(language));
            const std::string path = folder + "parameters-page-" + c.name;
            std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
            Forget();
            bench.files.QueueAnswer(path);
            logic.LoadParameterFile();
            EXPECT_EQ(PageHoldings(logic), held);
            EXPECT_THAT(tabs, IsEmpty());
            EXPECT_THAT(bench.Requests(), IsEmpty());

            const auto boxes = PageBoxes();
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].caption, LanguageText(76));
            std::vector<std::string> lines;
            std::istringstream box(boxes[0].text);
            for (std::string line; std::getline(box, line);)
                lines.push_back(line);
            ASSERT_EQ(lines.size(), 3u) << boxes[0].text;
            EXPECT_EQ(lines[0], LanguageText(677));
            EXPECT_EQ(lines[1], path);
            const int why = lines[2].rfind(LanguageText(678), 0) == 0 ? 678 : 679;
            if (c.why) {
                EXPECT_EQ(why, c.why);
            }
            ASSERT_EQ(lines[2].rfind(LanguageText(why) + " ", 0), 0u) << lines[2];
            const std::string at = lines[2].substr(LanguageText(why).size() + 1);
            if (c.at)
                EXPECT_EQ(at, c.at);
            else
                EXPECT_GE(std::stoul(at), 1u);
            for (const std::string& line : {lines[0], lines[2]}) {
                const char* const wanted = line == lines[0] ? english[0] : english[why - 677];
                if (language == 1)
                    EXPECT_EQ(line.rfind(wanted, 0), 0u) << line;
                else
                    EXPECT_EQ(line.find(wanted), std::string::npos) << line;
            }
            std::remove(path.c_str());
        }
    }
    LanguageIndex = 1;
    ASSERT_TRUE(LoadLanguageConfig());

    // A text whose line is not a valid value loads as it stands; the write
    // refuses it and names it.
    std::string bad = text;
    bad.replace(18, 1, "drei");
    std::ofstream(saved, std::ios::binary | std::ios::trunc) << bad;
    Forget();
    bench.files.QueueAnswer(saved);
    logic.LoadParameterFile();
    EXPECT_EQ(Value("Number of Axles"), "drei");
    ASSERT_EQ(PageBoxes().size(), 1u);
    EXPECT_EQ(PageBoxes()[0].text, LanguageText(222));
    Forget();
    logic.OnWriteParameter();
    for (const auto& r : bench.Requests())
        EXPECT_NE(r.front(), 0x2E);
    ASSERT_EQ(PageBoxes().size(), 1u);
    EXPECT_NE(PageBoxes()[0].text.find("Value: \"drei\""), std::string::npos) << PageBoxes()[0].text;
    std::remove(saved.c_str());
}

// ---- Guards ----

// While the ECU is being prepared for a write (10 03, the unlock), the list
// can change under the page: the write then sends nothing, and says why,
// instead of encoding a grid that no longer holds the record.
TEST_F(ABSRWDIDLogicTest, ARecordChosenWhileTheWriteWaitsStopsItBeforeAnythingIsSent)
{
    struct Case {
        uint8_t stretched; // the service whose answer takes a second
        const char* chosen;
    };
    const Case cases[] = {{0x10, kCalibration}, {0x10, kVinRecord}, {0x27, kCalibration}, {0x27, kVinRecord}};
    ConnectAndLoad();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.chosen) + " during " + (c.stretched == 0x10 ? "10 03" : "27 01"));
        Choose(kCalibration);
        Forget();
        bench.ecu->SetResponsePending(c.stretched, 1, 1000, 1);
        bool busyMeanwhile = false;
        RequestPump pump(*bench.ecu, Bytes_t{c.stretched}, [&] {
            busyMeanwhile = logic.State().busy; // the list and the buttons are disabled
            logic.OnParameterRecordSelected(c.chosen);
        });
        logic.OnWriteParameter();
        ASSERT_TRUE(pump.Fired());
        EXPECT_TRUE(busyMeanwhile);
        EXPECT_FALSE(logic.State().busy);
        for (const auto& r : bench.Requests())
            EXPECT_NE(r.front(), 0x2E);
        EXPECT_THAT(PageBoxes(), ElementsAre(BoxIs(LanguageText(668), "Error")));
        EXPECT_EQ(Stored(0x00A0), Bytes(kStoredBlock));
        bench.ecu->ClearFaults();
    }
}

// Within the first seconds after Connect a time-out shows no box: a write the
// ECU leaves unanswered, and the fault code it then cannot read, still end in
// the page's own box.
TEST_F(ABSRWDIDLogicTest, AWriteThatFailsInTheQuietStartUpSecondsEndsInThePagesBox)
{
    ConnectAndLoad();
    for (const char* record : {kCalibration, kVinRecord}) {
        SCOPED_TRACE(record);
        Choose(record);
        Forget();
        ASSERT_EQ(tarvel::UdsQuiet.load(), 1u);
        bench.ecu->SetNoAnswer(0x2E, 1);
        bench.ecu->SetNoAnswer(0x22, 1); // the fault code of a refused configuration
        logic.OnWriteParameter();
        EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Parameter write failed", "Error")));
        bench.ecu->ClearFaults();
    }
}

TEST_F(ABSRWDIDLogicTest, SelectItemHoldsTheRecordsOnceTheDefinitionsAreLoaded)
{
    ParameterWindow window(logic);
    ASSERT_TRUE(bench.Connect());
    EXPECT_THAT(logic.State().recordNames, IsEmpty());
    EXPECT_FALSE(logic.State().fileButtonsEnabled);
    // What Connect sets off: the ECU information is read and this ECU's
    // definitions load; the list never dropped down.
    DeviceInfoLogic information(bench.Context());
    information.OnResetForNewRun();
    information.OnDeviceInfoReload();
    EXPECT_THAT(logic.State().recordNames, ElementsAre(kVinRecord, kCalibration, "End-of-Line Marker"));
    EXPECT_FALSE(logic.State().fileButtonsEnabled);
    EXPECT_EQ(Value("Number of Axles"), "3"); // the vehicle configuration is shown

    // Read and Write take the record chosen from it.
    Choose(kCalibration);
    EXPECT_TRUE(logic.State().fileButtonsEnabled);
    Forget();
    logic.OnReadParameter();
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 A0")));
    EXPECT_THAT(bench.prompter.Boxes(), IsEmpty());
    Choose(kVinRecord);
    EXPECT_FALSE(logic.State().fileButtonsEnabled);
}

// A value the row cannot take is refused before anything is sent, and the
// box names the row, the value and what the row accepts.
TEST_F(ABSRWDIDLogicTest, AValueTheRowCannotTakeIsNamedWithWhatTheRowAccepts)
{
    struct Case {
        const char* record;
        const char* row;
        const char* value;
        std::string accepted;
        int firstLine;
    };
    const std::vector<Case> cases{
        {kCalibration, "Axle 2 Load (t)", "abc", "0 – 255 t", 660},
        {kCalibration, "Axle 2 Load (t)", "300", "0 – 255 t", 660},
        {kCalibration, "Control Pressure Laden (bar)", "-1", "0.00 – 65.53 bar", 660},
        {kCalibration, "Axle 3 Lift Function A", "2", "0 – 1 (whole numbers)", 660},
        {kVinRecord, "VIN", "WTR4S2M0N0K01234567", "text, number of characters at most: 17", 83},
    };
    ConnectAndLoad();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.row) + " = " + c.value);
        Choose(c.record);
        Edit(c.row, c.value);
        std::string number;
        for (const auto& row : logic.State().rows)
            if (row.Name == c.row)
                number = row.Number;
        Forget();
        logic.OnWriteParameter();
        for (const auto& r : bench.Requests())
            EXPECT_NE(r.front(), 0x2E);
        EXPECT_THAT(bench.prompter.Boxes(),
                    ElementsAre(BoxIs(LanguageText(c.firstLine) + "\n\nParameter: " + number + ". " + c.row +
                                          "\nValue: \"" + c.value + "\"\nAccepted values: " + c.accepted,
                                      "Error")));
    }
}

// The box follows the language.
TEST(ABSRWDIDLogicLanguage, TheRefusedValueBoxSpeaksThePagesLanguage)
{
    tarvel_test::PageBench bench(2);
    ABSRWDIDLogic logic(bench.Context());
    ASSERT_TRUE(bench.Connect());
    BasicParameterFileNames[2] = "VADE_BasicParameterConfig/VADE_ParameterConfig_C05_russian.xml";
    ASSERT_TRUE(LoadBasicParameterConfig());
    logic.OnParameterRecordSelected(ParameterDidTable[1].name);
    ASSERT_FALSE(logic.State().rows.empty());
    logic.BeginParameterEdit(0, ABSRWDIDLogic::kValueColumn);
    logic.CommitParameterEdit("abc");
    bench.prompter.Clear();
    logic.OnWriteParameter();
    const auto boxes = bench.prompter.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Это значение нельзя записать в ЭБУ.\n\nПараметр: 1. Число осей\nЗначение: \"abc\"\n"
                             "Допустимые значения: 0 – 255");
    EXPECT_EQ(boxes[0].caption, "Ошибка");
}

TEST_F(ABSRWDIDLogicTest, NothingIsSentWithoutAConnection)
{
    logic.OnParameterRecordSelected(kCalibration);
    logic.OnReadParameter();
    logic.OnWriteParameter();
    logic.HandleMessage(WM_RWDID_DEFINITIONS_LOADED);
    const auto boxes = bench.prompter.Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    for (const auto& box : boxes) {
        EXPECT_THAT(box, BoxIs("Please connect the ECU first", "Tips"));
        EXPECT_EQ(box.icon, tarvel::MsgIcon::Exclamation);
    }
    EXPECT_THAT(bench.Requests(), IsEmpty());
}

TEST_F(ABSRWDIDLogicTest, WriteRefusesAGridThatDoesNotHoldARead)
{
    ConnectAndLoad();
    // A text that names no record.
    logic.OnParameterRecordSelected("No such record");
    Forget();
    logic.OnWriteParameter();
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Please select a parameter item first", "Tips")));

    // The read failed: the rows are placeholders.
    bench.ecu->SetNegativeResponse(0x22, 0x31, 1);
    Choose(kCalibration);
    Forget();
    logic.OnWriteParameter();
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Read failed", "Error")));
    EXPECT_THAT(bench.Requests(), IsEmpty());

    // A reload filled the grid with the vehicle configuration while the list
    // shows the identification record.
    Choose(kVinRecord);
    logic.HandleMessage(WM_RWDID_DEFINITIONS_LOADED);
    EXPECT_EQ(Value("Number of Axles"), "3");
    Forget();
    logic.OnWriteParameter();
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Read failed", "Error")));
    EXPECT_THAT(bench.Requests(), IsEmpty());

    // The page switch emptied the grid after a disconnect.
    Choose(kCalibration);
    tarvel::ClearParameterList();
    EXPECT_THAT(logic.State().rows, IsEmpty());
    Forget();
    logic.OnWriteParameter();
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Read failed", "Error")));
    EXPECT_THAT(bench.Requests(), IsEmpty());
}

TEST_F(ABSRWDIDLogicTest, ReloadReadsTheConfigurationQuietlyAndKeepsTheRecorderTexts)
{
    ConnectAndLoad();
    logic.HandleMessage(WM_RWDID_DEFINITIONS_LOADED);
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("22 00 A0")));
    EXPECT_EQ(Value("Control Pressure Laden (bar)"), "6.50");
    EXPECT_EQ(AxleCount, 3);

    bench.ecu->SetNegativeResponse(0x22, 0x31, 1);
    Forget();
    logic.HandleMessage(WM_RWDID_DEFINITIONS_LOADED);
    EXPECT_THAT(PageBoxes(), ElementsAre(BoxIs("Read failed", "Error")));
    EXPECT_EQ(Value("Control Pressure Laden (bar)"), "6.50"); // the grid keeps its rows
}

// ---- Tab updates ----

TEST_F(ABSRWDIDLogicTest, TabUpdatesFollowTheFlagsInTheirOrder)
{
    using W = tarvel::WindowSlot;
    constexpr int L = tarvel::TabLiftingAxleCalibration;
    constexpr int S = tarvel::TabEolLiftingSensor;
    const Sent read{W::LiftingAxlePage, WM_LIFTAXLE_READ};
    const Sent nav{W::Navigation, WM_NAV_REFRESH_TEXTS};
    enum Update { AfterRead, AfterReload, AfterEdit };
    struct Case {
        Update update;
        int lace, lsce, hsce, uvte;
        std::vector<std::pair<int, bool>> tabs;
        std::vector<Sent> sent;
        int laTestAfter, lsceAfter; // LiftingAxleTestEnabled, LiftingSensorCalibrationEnabled
    };
    const std::vector<Case> cases{
        {AfterRead, 1, 1, 0, 0, {{L, true}}, {read}, 1, 1},
        {AfterRead, 0, 1, 1, 0, {{S, true}}, {read, nav}, 1, 1},
        {AfterRead, 0, 0, 1, 1, {{L, false}, {S, false}}, {nav, nav}, 0, 0},
        {AfterRead, 0, 0, 0, 1, {{L, false}, {S, false}}, {nav}, 0, 0},
        {AfterReload, 1, 0, 0, 0, {}, {read}, 1, 0},
        {AfterReload, 0, 1, 0, 1, {}, {read, nav}, 0, 1},
        {AfterReload, 0, 0, 1, 1, {}, {nav, nav, nav}, 0, 0},
        {AfterReload, 0, 0, 0, 0, {}, {nav}, 0, 0},
        {AfterEdit, 1, 0, 1, 1, {{L, true}}, {}, 1, 0},
        {AfterEdit, 0, 1, 0, 0, {{L, false}}, {}, 0, 1},
        {AfterEdit, 0, 0, 0, 0, {{L, false}}, {}, 0, 0},
    };
    logic.OnParameterRecordSelected(kCalibration); // not connected: the list only shows the name
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        LiftingAxleCalibrationEnabled = c.lace;
        LiftingSensorCalibrationEnabled = c.lsce;
        HeightSensorCalibrationEnabled = c.hsce;
        UnderwaterValveTestEnabled = c.uvte;
        LiftingAxleTestEnabled = 1;
        Forget();
        switch (c.update) {
        case AfterRead: logic.TabUpdateAfterRead(); break;
        case AfterReload: logic.TabUpdateAfterReload(); break;
        case AfterEdit: logic.TabUpdateAfterEdit(); break;
        }
        EXPECT_EQ(tabs, c.tabs);
        EXPECT_EQ(windows.sent, c.sent);
        EXPECT_EQ(LiftingAxleTestEnabled, c.laTestAfter);
        EXPECT_EQ(LiftingSensorCalibrationEnabled, c.lsceAfter);
    }
    // After an edit of another record nothing changes.
    logic.OnParameterRecordSelected(kVinRecord);
    Forget();
    logic.TabUpdateAfterEdit();
    EXPECT_THAT(tabs, IsEmpty());
}

} // namespace
