// The program-download page without its window: Open File with every check
// and what a refused load keeps, the checks of Start Download, Cancel, the
// connection message's lines, start-up and clean-up.
#include "DiagnosisGlobals.h"
#include "DownloadPageLogic.h"
#include "FileChooser.h"
#include "LanguageTable.h"
#include "Prompter.h"
#include "SettingsFiles.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "VirtualClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tarvel;
using Bytes = std::vector<uint8_t>;

namespace {

std::string FixturePath(const std::string& name) { return std::string(TARVEL_DOWNLOAD_FIXTURES) + "/" + name; }
std::string Row(int n) { return "row " + std::to_string(n); }

class DownloadPageLogicTest : public ::testing::Test {
protected:
    DownloadPageLogicTest()
    {
        ResetDiagnosisGlobals();
        LanguageTable.clear();
        for (int n = 0; n < 600; ++n) LanguageTable.push_back({n, Row(n)});
        DownLoadFilePath = "C:\\";
        EcuConnected = 1;
        TestRunning = 0;
        DownloadPageLogic::Services services;
        services.clock = &clock;
        services.prompter = &prompter;
        services.fileChooser = &chooser;
        services.initLink = [this] { ++initLinkCalls; };
        services.resetBuffers = [this] { resetBufferTimesMs.push_back(clock.NowMs()); };
        services.defaultSession = [this] {
            ++defaultSessionCalls;
            return 1;
        };
        logic = std::make_unique<DownloadPageLogic>(services);
    }
    ~DownloadPageLogicTest() override
    {
        ResetDiagnosisGlobals();
        LanguageTable.clear();
        DownLoadFilePath = "C:\\";
        EcuConnected = 0;
        TestRunning = 0;
    }

    void Open(const std::optional<std::string>& answer)
    {
        chooser.QueueAnswer(answer);
        logic->OnOpenFile();
    }
    std::string LastLine() const
    {
        const auto& m = logic->State().messages;
        return m.empty() ? std::string() : m.back();
    }

    VirtualClock clock{1'000'000};
    RecordingPrompter prompter;
    RecordingFileChooser chooser;
    int initLinkCalls = 0;
    int defaultSessionCalls = 0;
    std::vector<uint64_t> resetBufferTimesMs;
    std::unique_ptr<DownloadPageLogic> logic;
};

TEST_F(DownloadPageLogicTest, OpenFileLoadsTheImageAndRemembersTheFolder)
{
    Open(FixturePath("linear.H86"));

    const auto requests = chooser.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].save);
    EXPECT_EQ(requests[0].folder, "C:\\");
    EXPECT_EQ(requests[0].fileName, "*.H86");
    EXPECT_EQ(requests[0].filter, "文件 (*.*)|*.*");

    EXPECT_EQ(logic->State().messages, std::vector<std::string>{"File loaded successfully"});
    EXPECT_EQ(logic->State().progressPosition, 0);
    EXPECT_EQ(logic->State().percentText, "0%");
    EXPECT_EQ(logic->State().percentColour, 0x803400u);
    EXPECT_EQ(logic->State().fileName, FixturePath("linear.H86"));
    EXPECT_EQ(prompter.Count(), 0u);

    EXPECT_EQ(FileLoaded, 1);
    EXPECT_EQ(FlashStartAddress, 0x00010000u);
    EXPECT_EQ(FlashImageLength, 24u);
    EXPECT_EQ(FlashAddressBytes, (Bytes{0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(FlashLengthBytes, (Bytes{0x00, 0x00, 0x00, 0x18}));
    EXPECT_EQ(FlashImage.size(), 24u);
    EXPECT_EQ(FlashImage.front(), 0x10);
    EXPECT_EQ(FlashImage.back(), 0xA7);
    EXPECT_EQ(FlashBootLoaderVersion, (Bytes{0x30, 0x31, 0x30, 0x32}));
    EXPECT_EQ(FlashHardwareVersion, (Bytes{0x30, 0x32, 0x30, 0x31}));
    EXPECT_EQ(DownLoadFilePath, std::string(TARVEL_DOWNLOAD_FIXTURES) + "/");

    // The next dialog starts in the remembered folder.
    Open(std::nullopt);
    EXPECT_EQ(chooser.Requests().back().folder, std::string(TARVEL_DOWNLOAD_FIXTURES) + "/");
}

TEST_F(DownloadPageLogicTest, OpenFileWhileNotConnectedOnlyShowsTheBox)
{
    EcuConnected = 0;
    chooser.QueueAnswer(FixturePath("linear.H86"));
    logic->OnOpenFile();
    EXPECT_TRUE(chooser.Requests().empty());
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, Row(75));
    EXPECT_EQ(prompter.Boxes()[0].caption, Row(74));
    EXPECT_EQ(prompter.Boxes()[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(logic->State().messages.empty());
    EXPECT_EQ(FileLoaded, 0);
}

// Every way a load can end without a new image: the list line, the box, and
// the previous image, versions, FileLoaded and folder all as they were.
TEST_F(DownloadPageLogicTest, ARefusedLoadKeepsThePreviousImage)
{
    struct Case {
        const char* name;
        std::optional<std::string> answer;
        uint8_t downloadRunning;
        int32_t downloadIdle;
        std::string line;
        bool box471;
    };
    const std::vector<Case> cases = {
        {"cancelled", std::nullopt, 0, 1, "No Files Opened", false},
        {"empty path", std::string(), 0, 1, "No Files Opened", false},
        {"lower-case extension", FixturePath("segment.h86"), 0, 1,
         "The file is not .H86 type, please load .H86 type file", false},
        {"no extension", FixturePath("segment"), 0, 1, "The file is not .H86 type, please load .H86 type file",
         false},
        {"missing file", FixturePath("missing.hex"), 0, 1, "Can't Open" + FixturePath("missing.hex"), false},
        {"blocks being sent", FixturePath("segment.hex"), 1, 0,
         "Program is downloading. Please stop and select  H86 file again", false},
        {"download preparing", FixturePath("segment.hex"), 0, 0,
         "Program is downloading. Please stop and select  H86 file again", false},
        {"bad checksum", FixturePath("bad_checksum.hex"), 0, 1, "Line 3 has a wrong checksum, file not loaded", true},
        {"zero version", FixturePath("empty_version.hex"), 0, 1,
         "Line 1 carries a version of four 0 bytes, file not loaded", true},
        {"stray text", FixturePath("stray_text.hex"), 0, 1, "Line 4 is not a record, file not loaded", true},
        {"no data", FixturePath("no_data.hex"), 0, 1, "The file holds no data, file not loaded", true},
        {"overlap", FixturePath("overlap.hex"), 0, 1, "Line 3 overlaps data of another record, file not loaded",
         true},
    };
    Open(FixturePath("linear.H86"));
    ASSERT_EQ(FileLoaded, 1);
    const Bytes image = FlashImage;
    const Bytes bootLoader = FlashBootLoaderVersion;
    const Bytes hardware = FlashHardwareVersion;
    const std::string folder = DownLoadFilePath;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.Clear();
        DownloadRunning = c.downloadRunning;
        DownloadIdle = c.downloadIdle;
        Open(c.answer);
        EXPECT_EQ(LastLine(), c.line);
        if (c.box471) {
            ASSERT_EQ(prompter.Count(), 1u);
            EXPECT_EQ(prompter.Boxes()[0].text, Row(471));
            EXPECT_EQ(prompter.Boxes()[0].caption, Row(74));
            EXPECT_EQ(prompter.Boxes()[0].icon, MsgIcon::Exclamation);
        } else {
            EXPECT_EQ(prompter.Count(), 0u);
        }
        EXPECT_EQ(FileLoaded, 1);
        EXPECT_EQ(FlashImage, image);
        EXPECT_EQ(FlashStartAddress, 0x00010000u);
        EXPECT_EQ(FlashBootLoaderVersion, bootLoader);
        EXPECT_EQ(FlashHardwareVersion, hardware);
        EXPECT_EQ(DownLoadFilePath, folder);
        EXPECT_EQ(logic->State().fileName, FixturePath("linear.H86"));
    }
    DownloadRunning = 0;
    DownloadIdle = 1;
}

TEST_F(DownloadPageLogicTest, ALaterFileReplacesEverything)
{
    Open(FixturePath("linear.H86"));
    Open(FixturePath("segment.hex"));
    EXPECT_EQ(LastLine(), "File loaded successfully");
    EXPECT_EQ(FlashStartAddress, 0x00012350u);
    EXPECT_EQ(FlashImageLength, 8u);
    EXPECT_EQ(FlashAddressBytes, (Bytes{0x00, 0x01, 0x23, 0x50}));
    EXPECT_EQ(FlashBootLoaderVersion, (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(FlashHardwareVersion, (Bytes{0, 0, 0, 0}));
}

TEST_F(DownloadPageLogicTest, StartDownloadChecksBeforeTheSequence)
{
    int sequenceRuns = 0;
    logic->SetDownloadSequence([&](DownloadPageLogic&) { ++sequenceRuns; });

    EcuConnected = 0;
    EXPECT_EQ(logic->OnStartDownload(), StartDownloadOutcome::NotConnected);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, Row(75));
    EXPECT_EQ(prompter.Boxes()[0].caption, Row(74));

    EcuConnected = 1;
    prompter.Clear();
    EXPECT_EQ(logic->OnStartDownload(), StartDownloadOutcome::NoFile);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, "Can't find .H86 file, please load .H86 file");
    EXPECT_EQ(prompter.Boxes()[0].caption, "Warning");
    EXPECT_EQ(prompter.Boxes()[0].icon, MsgIcon::None);

    Open(FixturePath("linear.H86"));
    prompter.Clear();
    DownloadRunning = 1;
    EXPECT_EQ(logic->OnStartDownload(), StartDownloadOutcome::Running);
    EXPECT_EQ(LastLine(), "Program is downloading. Do not click the download button");
    EXPECT_EQ(prompter.Count(), 0u);
    EXPECT_EQ(sequenceRuns, 0);

    DownloadRunning = 0;
    EXPECT_EQ(logic->OnStartDownload(), StartDownloadOutcome::Ready);
    EXPECT_EQ(sequenceRuns, 1);
    EXPECT_EQ(prompter.Count(), 0u);
}

TEST_F(DownloadPageLogicTest, CancelStopsARunningDownloadOnce)
{
    DownloadCancelled = 0;
    DownloadRunning = 1;
    DownloadIdle = 0;
    TestRunning = 1;
    logic->EnableCancel(true);

    logic->OnCancel();
    EXPECT_EQ(DownloadRunning, 0);
    EXPECT_EQ(DownloadCancelled, 1);
    EXPECT_EQ(DownloadIdle, 1);
    EXPECT_EQ(TestRunning.load(), 0u);
    EXPECT_FALSE(logic->State().cancelEnabled);
    EXPECT_EQ(defaultSessionCalls, 1);
    EXPECT_EQ(LastLine(), "Warning! Download was aborted, The ECU will not work!!!");

    // A second press only repeats the warning.
    logic->OnCancel();
    EXPECT_EQ(defaultSessionCalls, 1);
    EXPECT_EQ(logic->State().messages.size(), 2u);
    EXPECT_EQ(LastLine(), "Warning! Download was aborted, The ECU will not work!!!");

    EcuConnected = 0;
    logic->OnCancel();
    EXPECT_EQ(logic->State().messages.size(), 2u);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, Row(75));
}

TEST_F(DownloadPageLogicTest, ConnectionMessageLines)
{
    struct Case {
        int connected;
        int32_t idle;
        const char* line;
    };
    const Case cases[] = {
        {0, 1, "ECU disconnected"},
        {0, 0, "ECU disconnected"},
        {1, 1, "ECU connected"},
        {1, 0, "Downloading..., Do not switch to another page"},
    };
    for (const Case& c : cases) {
        EcuConnected = c.connected;
        DownloadIdle = c.idle;
        logic->OnConnectionChanged();
        EXPECT_EQ(LastLine(), c.line) << c.connected << " " << c.idle;
    }
    EXPECT_EQ(logic->State().messages.size(), 4u);
    DownloadIdle = 1;
}

TEST_F(DownloadPageLogicTest, StartUpAndCleanUp)
{
    logic->EnableCancel(true);
    logic->OnInitDialog();
    EXPECT_FALSE(logic->State().cancelEnabled);
    EXPECT_EQ(initLinkCalls, 1);
    EXPECT_EQ(logic->State().percentText, "0%");

    const uint64_t before = clock.NowMs();
    DownloadCancelled = 0;
    logic->OnDestroy();
    EXPECT_EQ(DownloadCancelled, 1);
    // The buffers are emptied only after the sequence had 20 ms to stop.
    ASSERT_EQ(resetBufferTimesMs.size(), 1u);
    EXPECT_EQ(resetBufferTimesMs[0], before + 20);
}

TEST_F(DownloadPageLogicTest, ChangedObserverSeesEveryVisibleChange)
{
    int changes = 0;
    logic->SetChangedObserver([&] { ++changes; });
    Open(FixturePath("linear.H86"));
    EXPECT_GT(changes, 0);
    const int afterLoad = changes;
    logic->OnConnectionChanged();
    EXPECT_GT(changes, afterLoad);
}

} // namespace
