// The monitor page's logic with its real worker thread against the
// simulated ECU: start and stop, the shell's stop, Disconnect, shutdown,
// boxes and recording. The test's thread is the UI thread: it runs the work
// the worker hands over. The worker moves the virtual clock by its own waits.
#include "ABSMonitorLogic.h"

#include "AppMessages.h"
#include "CanAdapterGlobals.h"
#include "CanAdapterSwitch.h"
#include "DiagnosisGlobals.h"
#include "NavigationModel.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "LanguageTable.h"
#include "ProgramPaths.h"
#include "UdsEngine.h"

#include "FailingFileSystem.h"
#include "LocalTime.h"
#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

namespace {

using tarvel_test::BoxIs;
using tarvel_test::Bytes;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string ReadAll(const std::filesystem::path& path);

constexpr size_t kDid0050 = 0, kDid0051 = 1, kDid0054 = 4, kDid0056 = 5;

class MonitorLogicTest : public ::testing::Test {
protected:
    explicit MonitorLogicTest(int language = 1) : bench(language) {}

    void SetUp() override
    {
        logic = dynamic_cast<ABSMonitorLogic*>(bench.pages.Logic(tarvel::TabMonitor));
        ASSERT_NE(logic, nullptr);
        logic->OnReloadDefinitions();
        ASSERT_EQ(logic->State().didNames.size(), 9u);
    }

    void TearDown() override
    {
        if (logic)
            logic->Stop();
    }

    // The link as Connect leaves it, without the keep-alive timer (its
    // ticks would run on whichever thread moves the virtual clock).
    void OpenLink()
    {
        tarvel::SelectedCanAdapter = 0;
        tarvel::SelectedCanBaud = 0;
        tarvel::CanChannel = 1;
        ASSERT_EQ(tarvel::OpenCanDevice(0, 0, 1, 0, 0, 0, 0), 1);
        tarvel::CanDeviceType = tarvel::CanAdapterRows()[0].TypeCode;
        tarvel::CanDeviceIndex = 0;
        ASSERT_EQ(tarvel::StartCanChannel(), 1);
        EcuConnected = 1;
        ConnectCommandEnabled = 0;
        tarvel::UdsQuiet = 1;
    }

    // Runs the UI thread's work until `done` (real time, bounded).
    bool RunUntil(const std::function<bool()>& done)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < limit) {
            bench.RunUiWork();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return false;
    }

    size_t EcuRequests() const { return bench.ecu->Requests().size(); }

    void Check(size_t row) { logic->OnCheckChanged(row, true); }

    std::vector<std::string> Values() const
    {
        std::vector<std::string> v;
        for (const auto& row : logic->State().rows)
            v.push_back(row.Value);
        return v;
    }

    tarvel_test::PageBench bench;
    tarvel::ScopedLocalTime time{{2024, 5, 3, 14, 5, 9}};
    ABSMonitorLogic* logic = nullptr;
};

TEST_F(MonitorLogicTest, DisplayShowsTheCheckedValuesThroughTheUiThreadAndTheyMove)
{
    OpenLink();
    Check(kDid0050);
    Check(kDid0056);
    logic->OnDisplay();
    EXPECT_EQ(logic->State().displayText, "Stop");
    EXPECT_EQ(MonitorDisplayState, 2);
    ASSERT_TRUE(RunUntil([&] { return logic->State().rows.size() == 6; }));
    const auto first = Values();
    EXPECT_EQ(logic->State().rows[0].SubDataName, "Wheel Speed c");
    EXPECT_EQ(logic->State().rows[5].Unit, "degC");
    EXPECT_EQ(MonitorRows.size(), 6u);
    const uint64_t version = logic->State().listVersion;
    ASSERT_TRUE(RunUntil([&] { return Values()[0] != first[0]; })); // the wheels turn
    EXPECT_EQ(logic->State().listVersion, version);                 // values only, same rows
    logic->OnDisplay();
    EXPECT_FALSE(logic->WorkerAlive());
    EXPECT_EQ(logic->State().displayText, "Display");
    EXPECT_EQ(MonitorDisplayState, 1);
    EXPECT_EQ(MonitorRunning.load(), 0);
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    // Only the checked DIDs were asked for.
    EXPECT_THAT(bench.Requests(), Each(::testing::AnyOf(Bytes("22 00 50"), Bytes("22 00 56"))));
    EXPECT_EQ(bench.prompter.Count(), 0u);
}

TEST_F(MonitorLogicTest, StopAndRestartNeverRunTwoWorkersAndNothingIsSentAfterAStop)
{
    OpenLink();
    Check(kDid0051);
    Check(kDid0054);
    for (int round = 0; round < 15; ++round) {
        logic->OnDisplay();
        const size_t before = EcuRequests();
        ASSERT_TRUE(RunUntil([&] { return EcuRequests() >= before + 2 + static_cast<size_t>(round % 3); }));
        if (round % 2 == 0)
            logic->OnDisplay(); // the page's Stop
        else
            tarvel::StopMonitorWorker(); // a page switch
        EXPECT_FALSE(logic->WorkerAlive());
        const size_t stoppedAt = EcuRequests();
        bench.Advance(5000);
        bench.RunUiWork();
        EXPECT_EQ(EcuRequests(), stoppedAt) << "round " << round;
        EXPECT_EQ(MonitorDisplayState, 1);
        EXPECT_EQ(logic->State().displayText, "Display");
    }
    EXPECT_EQ(logic->WorkersStarted(), 15u);
    EXPECT_EQ(logic->MostWorkersAtOnce(), 1);
}

TEST_F(MonitorLogicTest, DisconnectStopsAndJoinsTheWorkerBeforeTheAdapterCloses)
{
    OpenLink();
    Check(kDid0051);
    logic->OnDisplay();
    ASSERT_TRUE(RunUntil([&] { return EcuRequests() >= 3; }));
    bench.Disconnect();
    EXPECT_EQ(EcuConnected.load(), 0);
    EXPECT_EQ(tarvel::CanDeviceOpen.load(), 0);
    EXPECT_FALSE(logic->WorkerAlive());
    EXPECT_EQ(MonitorRunning.load(), 0);
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_EQ(logic->State().displayText, "Display");
    const size_t stoppedAt = EcuRequests();
    bench.Advance(5000);
    bench.RunUiWork();
    EXPECT_EQ(EcuRequests(), stoppedAt);
}

TEST_F(MonitorLogicTest, ThreeFailedReadsStopWithTheReadFailedBoxAndResumeTheKeepAlive)
{
    OpenLink();
    Check(kDid0051);
    bench.ecu->SetNoAnswer(0x22);
    logic->OnDisplay();
    ASSERT_TRUE(RunUntil([&] { return MonitorDisplayState == 1; }));
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Read failed", "Error")));
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::None);
    EXPECT_EQ(bench.Requests().size(), 3u);
    EXPECT_FALSE(logic->WorkerAlive());
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_EQ(logic->State().displayText, "Display");
    // Display again starts a new worker.
    bench.ecu->ClearFaults();
    logic->OnDisplay();
    ASSERT_TRUE(RunUntil([&] { return Values() == std::vector<std::string>{"2.00"}; }));
}

TEST_F(MonitorLogicTest, ALinkHeldByTheUiThreadIsWaitedForNotCountedAsAFailure)
{
    OpenLink();
    Check(kDid0051);
    logic->OnDisplay();
    ASSERT_TRUE(RunUntil([&] { return EcuRequests() >= 1; }));
    size_t heldAt = 0;
    {
        // A request of the UI thread holds the link for a while (taken
        // between two reads of the worker).
        std::optional<tarvel::UdsTransaction> tx;
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        do {
            tx.reset();
            tx.emplace();
        } while (!tx->Acquired() && std::chrono::steady_clock::now() < limit);
        ASSERT_TRUE(tx->Acquired());
        heldAt = EcuRequests();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_EQ(EcuRequests(), heldAt); // the worker sent nothing under it
    }
    ASSERT_TRUE(RunUntil([&] { return EcuRequests() >= heldAt + 3; }));
    EXPECT_EQ(MonitorDisplayState, 2);
    logic->OnDisplay();
    EXPECT_EQ(bench.prompter.Count(), 0u);
    EXPECT_THAT(bench.Requests(), Each(Bytes("22 00 51")));
}

TEST_F(MonitorLogicTest, AnUnknownTypeIsReportedOncePerRebuildFromTheUiThread)
{
    OpenLink();
    MonitorDidList[kDid0056].SubFields[1].DataType = "Float";
    Check(kDid0056);
    logic->OnDisplay();
    ASSERT_TRUE(RunUntil([&] { return EcuRequests() >= 4; }));
    bench.RunUiWork();
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Unsupported data type in the definition file", "Error")));
    Check(kDid0051); // the list is rebuilt once more
    const size_t before = EcuRequests();
    ASSERT_TRUE(RunUntil([&] { return EcuRequests() >= before + 6; }));
    logic->OnDisplay();
    EXPECT_EQ(bench.prompter.Count(), 2u);
    EXPECT_EQ(Values()[2], ""); // the unknown field stays empty
}

TEST_F(MonitorLogicTest, WithoutTheEcuOrWithoutAPeriodNothingRuns)
{
    logic->OnDisplay();
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(BoxIs("Please connect the ECU first", "Tips")));
    OpenLink();
    logic->OnPeriodEdited("");
    logic->OnDisplay();
    EXPECT_THAT(bench.prompter.Boxes()[1], BoxIs("Please enter the period", "Tips"));
    EXPECT_EQ(bench.prompter.Boxes()[1].icon, tarvel::MsgIcon::None);
    EXPECT_FALSE(logic->WorkerAlive());
    EXPECT_EQ(MonitorDisplayState, 1);
    EXPECT_EQ(logic->State().displayText, "Display");
    EXPECT_THAT(bench.Requests(), IsEmpty());
}

TEST_F(MonitorLogicTest, ThePeriodRuleAppliesOnDisplayAndOnEveryTimerTick)
{
    OpenLink();
    logic->OnPeriodEdited("12");
    logic->OnDisplay();
    EXPECT_EQ(logic->State().periodText, "1.0");
    EXPECT_EQ(MonitorPeriodMs.load(), 1000);
    logic->OnPeriodEdited("2.34");
    ASSERT_TRUE(RunUntil([&] { return MonitorPeriodMs.load() == 2300; }));
    EXPECT_EQ(logic->State().periodText, "2.3");
    logic->OnDisplay();
}

TEST_F(MonitorLogicTest, SelectAllChecksEveryRowAndAReloadKeepsTheTicksOfTheDidsStillDefined)
{
    logic->OnSelectAll(true);
    EXPECT_THAT(logic->State().checked, Each(true));
    logic->OnSelectAll(false);
    EXPECT_THAT(logic->State().checked, Each(false));
    Check(kDid0051);
    Check(kDid0056);
    const auto ticked = [this] {
        std::vector<std::string> v;
        for (size_t i = 0; i < logic->State().checked.size(); ++i)
            if (logic->State().checked[i])
                v.push_back(MonitorDidList[i].DidNumber + " " + logic->State().didNames[i]);
        return v;
    };
    logic->OnReloadDefinitions();
    EXPECT_THAT(ticked(), ElementsAre("0051 Demand Pressure", "0056 Supply Voltage and Temperature"));
    EXPECT_EQ(MonitorDidTable.size(), 9u);
    EXPECT_EQ(MonitorDidList.size(), 9u);
    EXPECT_EQ(logic->State().headers[0], "No.");

    // The definitions of another language name the same DIDs otherwise.
    LanguageIndex = 3;
    logic->OnReloadDefinitions();
    ASSERT_EQ(ticked().size(), 2u);
    EXPECT_EQ(ticked()[0].substr(0, 5), "0051 ");
    EXPECT_NE(ticked()[0], "0051 Demand Pressure");
    EXPECT_EQ(ticked()[1].substr(0, 5), "0056 ");

    // A DID the reloaded file no longer defines takes its tick with it; the
    // worker reads only what is still ticked.
    const auto folder = std::filesystem::temp_directory_path() / ("monitor-reload-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "VADE_MonitorParameterConfig");
    {
        std::string text = ReadAll(std::filesystem::path(tarvel_test::DataFolder()) /
                                   "VADE_MonitorParameterConfig/VADE_MonitorParameter_spanish.xml");
        const size_t from = text.find("<DID DidNumber=\"0051\"");
        const size_t to = text.find("<DID ", from + 1);
        ASSERT_NE(from, std::string::npos);
        ASSERT_NE(to, std::string::npos);
        text.erase(from, to - from);
        std::ofstream(folder / "VADE_MonitorParameterConfig/VADE_MonitorParameter_spanish.xml", std::ios::binary)
            << text;
    }
    {
        tarvel::ScopedProgramFolder trimmed(folder.string());
        logic->OnReloadDefinitions();
    }
    std::filesystem::remove_all(folder);
    EXPECT_EQ(MonitorDidList.size(), 8u);
    ASSERT_EQ(ticked().size(), 1u);
    EXPECT_EQ(ticked()[0].substr(0, 5), "0056 ");
    EXPECT_FALSE(logic->State().selectAll);

    // Everything ticked stays "Select All" only while every row still is.
    logic->OnSelectAll(true);
    logic->OnReloadDefinitions();
    EXPECT_EQ(MonitorDidList.size(), 9u);
    EXPECT_FALSE(logic->State().selectAll);
    EXPECT_EQ(std::count(logic->State().checked.begin(), logic->State().checked.end(), true), 8);
    logic->OnSelectAll(true);
    logic->OnReloadDefinitions();
    EXPECT_TRUE(logic->State().selectAll);
    EXPECT_THAT(logic->State().checked, Each(true));
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(MonitorLogicTest, RecordingWhileDisplayingWritesAHeaderThenValuesAndStopClosesTheFile)
{
    const auto path = std::filesystem::temp_directory_path() / ("monitor-logic-" + std::to_string(::getpid()) + ".csv");
    OpenLink();
    Check(kDid0051);
    Check(kDid0054);
    logic->OnDisplay();
    ASSERT_TRUE(RunUntil([&] { return !logic->State().rows.empty(); }));
    bench.files.QueueAnswer(path.string());
    logic->OnRecording();
    EXPECT_EQ(logic->State().recordText, "Stop Recording");
    ASSERT_EQ(bench.files.Requests().size(), 1u);
    EXPECT_TRUE(bench.files.Requests()[0].save);
    const size_t before = EcuRequests();
    ASSERT_TRUE(RunUntil([&] { return EcuRequests() >= before + 6; }));
    logic->OnRecording();
    EXPECT_EQ(logic->State().recordText, "Recording");
    EXPECT_EQ(MonitorCsvFile, nullptr);
    logic->OnDisplay();
    const std::string csv = ReadAll(path);
    const std::string head = "\xEF\xBB\xBF"
                             "bar-Demand Pressure,bar-Reservoir Pressure,\n";
    ASSERT_EQ(csv.substr(0, head.size()), head);
    std::istringstream lines(csv.substr(head.size()));
    std::string line;
    int values = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line, "2.00,8.20,");
        ++values;
    }
    EXPECT_GE(values, 1);
    std::filesystem::remove(path);
}

TEST_F(MonitorLogicTest, ACancelledOrFailedRecordingReturnsTheButtonToIdle)
{
    Check(kDid0051);
    logic->OnRecording(); // cancelled: no box
    EXPECT_EQ(logic->State().recordText, "Recording");
    EXPECT_EQ(MonitorRecordState, 1);
    EXPECT_EQ(bench.prompter.Count(), 0u);
    // The dialog proposes a real name with its extension.
    ASSERT_EQ(bench.files.Requests().size(), 1u);
    EXPECT_EQ(bench.files.Requests()[0].fileName, "Monitor-2024-05-03 14-05-09.csv");
    EXPECT_EQ(bench.files.Requests()[0].defaultExtension, "csv");
    EXPECT_EQ(bench.files.Requests()[0].filter, "文本文件(*.csv)|*.csv");
    bench.files.QueueAnswer(std::string("/nonexistent-folder/x/rec"));
    logic->OnRecording();
    EXPECT_THAT(bench.prompter.Boxes(),
                ElementsAre(BoxIs("Cannot open the recording file\n/nonexistent-folder/x/rec.csv\n" +
                                      std::make_error_code(std::errc::no_such_file_or_directory).message(),
                                  "Error")));
    EXPECT_EQ(logic->State().recordText, "Recording");
    EXPECT_EQ(MonitorRecordState, 1);
}

TEST_F(MonitorLogicTest, RecordingWithNothingTickedSaysSoAndOpensNoFile)
{
    OpenLink();
    for (const bool displaying : {false, true}) {
        SCOPED_TRACE(displaying ? "displaying" : "stopped");
        if (displaying)
            logic->OnDisplay();
        bench.prompter.Clear();
        logic->OnRecording();
        EXPECT_THAT(bench.prompter.Boxes(),
                    ElementsAre(BoxIs("No data item is ticked: there is nothing to record", "Tips")));
        EXPECT_TRUE(bench.files.Requests().empty());
        EXPECT_EQ(MonitorCsvFile, nullptr);
        EXPECT_EQ(MonitorRecordState, 1);
        EXPECT_EQ(logic->State().recordText, "Recording");
    }
}

// A recording on a failing file system: an older file of the chosen name
// survives unless whole lines were recorded, the box names the file and the
// reason, and lines that were written are never thrown away: when the file
// cannot take the chosen name at the end, it stays under its temporary name
// and the box names that file too.
class MonitorRecordingOnAFailingDisk : public MonitorLogicTest {
protected:
    MonitorRecordingOnAFailingDisk() : folder(tarvel_test::MakeTempFolder("tarvel-monitor")) {}
    ~MonitorRecordingOnAFailingDisk() override
    {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // Starts displaying and recording 0x0051 into rec.csv beside an older one.
    void StartRecording()
    {
        tarvel_test::WriteFileBytes(Path(), kOlder);
        OpenLink();
        Check(kDid0051);
        logic->OnDisplay();
        bench.files.QueueAnswer(folder + "/rec");
        logic->OnRecording();
    }
    std::string Path() const { return folder + "/rec.csv"; }
    // Asked first: "rec" was typed beside the older rec.csv.
    std::string Question() const
    {
        return Path() + "\n\nA file of this name already exists. Do you want to replace it?";
    }
    std::string Box(const char* text, tarvel_test::FileFault fault) const
    {
        return std::string(text) + "\n" + Path() + "\n" + tarvel_test::FaultError(fault).message();
    }

    // Ends the monitor and any recording before the file system it writes
    // to goes away (also when an assertion ends the test early).
    struct EndsRecording {
        ABSMonitorLogic& logic;
        ~EndsRecording()
        {
            logic.Stop();
            std::lock_guard<std::mutex> lock(MonitorCsvLock());
            MonitorCsvFile.reset();
        }
    };

    const std::string kOlder = "an older recording\n";
    const std::string kMark = "\xEF\xBB\xBF";
    const std::string kHeader = "bar-Demand Pressure,\n";
    const std::string kLine = "2.00,\n";
    std::string folder;
};

TEST_F(MonitorRecordingOnAFailingDisk, TheOlderFileSurvivesAFailureBeforeAnyLine)
{
    using tarvel_test::FileFault;
    const char* const cannotOpen = "Cannot open the recording file";
    const char* const stopped = "Recording stopped: the file could not be written";
    struct {
        FileFault fault;
        uint64_t room;      // with no room: the byte-order mark fits, the header does not
        const char* box;
    } cases[] = {
        {FileFault::NoPermission, 0, cannotOpen},
        {FileFault::NoRoom, 3, stopped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(tarvel_test::FaultName(c.fault));
        tarvel_test::FailingFileSystem fs(c.fault, c.room);
        tarvel::ScopedFileSystem use(fs);
        EndsRecording ends{*logic};
        bench.prompter.Clear();
        StartRecording();
        if (c.fault == FileFault::NoRoom) {
            // The first line does not fit: the recording stops by itself.
            ASSERT_TRUE(RunUntil([&] { return MonitorRecordState == 1; }));
        }
        EXPECT_THAT(bench.prompter.Boxes(),
                    ElementsAre(BoxIs(Question(), "Confirm Save"), BoxIs(Box(c.box, c.fault), "Error")));
        EXPECT_EQ(logic->State().recordText, "Recording");
        EXPECT_EQ(MonitorCsvFile, nullptr);
        EXPECT_EQ(tarvel_test::ReadFileBytes(Path()), kOlder);
        EXPECT_EQ(tarvel_test::FolderEntries(folder), std::vector<std::string>{"rec.csv"});
    }
}

TEST_F(MonitorRecordingOnAFailingDisk, LinesWhoseFileCannotTakeItsNameAtStopStayUnderTheTemporaryName)
{
    using tarvel_test::FileFault;
    for (const FileFault fault : {FileFault::FailingFlush, FileFault::FailingClose, FileFault::FailingRename}) {
        SCOPED_TRACE(tarvel_test::FaultName(fault));
        tarvel_test::FailingFileSystem fs(fault);
        tarvel::ScopedFileSystem use(fs);
        EndsRecording ends{*logic};
        bench.prompter.Clear();
        StartRecording();
        EXPECT_EQ(logic->State().recordText, "Stop Recording");
        // The header and two value lines are written; ending the recording fails.
        ASSERT_TRUE(RunUntil([&] { return fs.Written() >= kMark.size() + kHeader.size() + 2 * kLine.size(); }));
        logic->OnRecording();
        EXPECT_EQ(logic->State().recordText, "Recording");
        EXPECT_EQ(MonitorCsvFile, nullptr);

        ASSERT_EQ(fs.Created().size(), 1u);
        const std::string kept = fs.Created()[0];
        EXPECT_THAT(bench.prompter.Boxes(),
                    ElementsAre(BoxIs(Question(), "Confirm Save"),
                                BoxIs(Box("Recording stopped: the file could not be written", fault) +
                                          "\n\nThe recorded lines are kept in this file:\n" + kept,
                                      "Error")));
        // Every line written is there; the older file is untouched.
        const std::string lines = tarvel_test::ReadFileBytes(kept);
        ASSERT_GE(lines.size(), kMark.size() + kHeader.size() + 2 * kLine.size());
        EXPECT_EQ(lines.substr(0, kMark.size() + kHeader.size()), kMark + kHeader);
        for (size_t at = kMark.size() + kHeader.size(); at < lines.size(); at += kLine.size())
            EXPECT_EQ(lines.substr(at, kLine.size()), kLine);
        EXPECT_EQ(tarvel_test::ReadFileBytes(Path()), kOlder);
        EXPECT_EQ(tarvel_test::FolderEntries(folder), (std::vector<std::string>{"rec.csv", tarvel::PathName(kept)}));
        std::filesystem::remove(kept);
    }
}

TEST_F(MonitorRecordingOnAFailingDisk, AFullDiskStopsTheRecordingWithItsBoxAndKeepsWholeLines)
{
    using tarvel_test::FileFault;
    // Room for the mark, the header, one value line and half of the next.
    tarvel_test::FailingFileSystem fs(FileFault::NoRoom, kMark.size() + kHeader.size() + kLine.size() + 3);
    tarvel::ScopedFileSystem use(fs);
    EndsRecording ends{*logic};
    StartRecording();
    EXPECT_EQ(logic->State().recordText, "Stop Recording");
    ASSERT_TRUE(RunUntil([&] { return MonitorRecordState == 1; }));
    EXPECT_EQ(logic->State().recordText, "Recording");
    // The box says what happened to the lines: they are in the chosen file.
    EXPECT_THAT(bench.prompter.Boxes(),
                ElementsAre(BoxIs(Question(), "Confirm Save"),
                            BoxIs("Recording stopped: no more lines could be written to the file.\n" +
                                      tarvel_test::FaultError(FileFault::NoRoom).message() +
                                      "\n\nThe recorded lines are kept in this file:\n" + Path(),
                                  "Error")));
    // The monitor itself goes on showing values.
    EXPECT_EQ(MonitorDisplayState, 2);
    EXPECT_EQ(tarvel_test::ReadFileBytes(Path()), kMark + kHeader + kLine);
    EXPECT_EQ(tarvel_test::FolderEntries(folder), std::vector<std::string>{"rec.csv"});
}

TEST_F(MonitorLogicTest, AStoppedMonitorEndsItsRecording)
{
    const auto path = std::filesystem::temp_directory_path() / ("monitor-stop-" + std::to_string(::getpid()) + ".csv");
    OpenLink();
    Check(kDid0051);
    bench.files.QueueAnswer(path.string());
    logic->OnRecording();
    logic->OnDisplay();
    ASSERT_TRUE(RunUntil([&] { return EcuRequests() >= 3; }));
    tarvel::StopMonitorWorker();
    EXPECT_EQ(MonitorCsvFile, nullptr);
    EXPECT_EQ(logic->State().recordText, "Recording");
    EXPECT_EQ(ReadAll(path).substr(0, 3), "\xEF\xBB\xBF");
    std::filesystem::remove(path);
}

TEST_F(MonitorLogicTest, ShutdownEndsTheWorkerAndALogicDestroyedWhileRunningJoinsIt)
{
    OpenLink();
    Check(kDid0051);
    logic->OnDisplay();
    ASSERT_TRUE(RunUntil([&] { return EcuRequests() >= 2; }));
    AppClosing = 1; // the view's destruction
    ASSERT_TRUE(RunUntil([&] { return MonitorDisplayState == 1; }));
    EXPECT_FALSE(logic->WorkerAlive());
    AppClosing = 0;

    {
        ABSMonitorLogic other(bench.Context());
        other.OnReloadDefinitions();
        other.OnCheckChanged(kDid0051, true);
        other.OnDisplay();
        ASSERT_TRUE(RunUntil([&] { return EcuRequests() >= 6; }));
    }
    const size_t stoppedAt = EcuRequests();
    bench.Advance(5000);
    bench.RunUiWork(); // work posted by the gone logic is dropped
    EXPECT_EQ(EcuRequests(), stoppedAt);
}

class MonitorLogicChineseTest : public MonitorLogicTest {
protected:
    MonitorLogicChineseTest() : MonitorLogicTest(0) {}
};

TEST_F(MonitorLogicChineseTest, ChineseHeadersAndDefinitions)
{
    logic->OnLanguageChanged();
    EXPECT_EQ(logic->State().headers[1], "参数名称");
    EXPECT_EQ(logic->State().displayText, "显示");
    EXPECT_EQ(MonitorDidList.size(), 9u);
}

} // namespace
