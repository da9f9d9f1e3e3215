// The program-download page's logic on the page bench: Open File with every
// check and what a refused load keeps, the checks of Start Download, Cancel,
// the connection message's lines, start-up and clean-up.
#include "DownloadPageLogic.h"

#include "AppMessages.h"
#include "DiagnosisGlobals.h"
#include "LanguageTable.h"
#include "SettingsFiles.h"
#include "ShellGlobals.h"
#include "UdsEngine.h"
#include "UdsServices.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using tarvel_test::Bytes;

std::string FixturePath(const std::string& name)
{
    return std::string(TARVEL_DOWNLOAD_FIXTURES) + "/" + name;
}

class DownloadPageLogicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bench.Connect());
        logic->SetChangedObserver([this] { ++renders; });
    }

    void Open(const std::optional<std::string>& answer)
    {
        bench.files.QueueAnswer(answer);
        logic->OnOpenFile();
    }
    std::string LastLine() const
    {
        const auto& lines = logic->State().messages;
        return lines.empty() ? std::string() : lines.back();
    }
    void ExpectOneBox(int textRow, tarvel::MsgIcon icon = tarvel::MsgIcon::Exclamation)
    {
        ASSERT_EQ(bench.prompter.Count(), 1u);
        const auto box = bench.prompter.Boxes()[0];
        EXPECT_EQ(box.text, LanguageText(textRow));
        EXPECT_EQ(box.caption, LanguageText(74));
        EXPECT_EQ(box.icon, icon);
    }

    tarvel_test::PageBench bench;
    std::unique_ptr<DownloadPageLogic> logic = std::make_unique<DownloadPageLogic>(bench.Context());
    int renders = 0;
};

TEST_F(DownloadPageLogicTest, OpenFileLoadsTheImageAndRemembersTheFolder)
{
    const std::string startFolder = DownLoadFilePath;
    Open(FixturePath("linear.H86"));

    const auto requests = bench.files.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].save);
    EXPECT_EQ(requests[0].folder, startFolder);
    EXPECT_EQ(requests[0].fileName, "*.H86");
    EXPECT_EQ(requests[0].filter, "文件 (*.*)|*.*");

    EXPECT_THAT(logic->State().messages,
                ElementsAre("File loaded successfully", "Boot loader version in the file: 0102",
                            "Hardware version in the file: 0201"));
    EXPECT_EQ(logic->State().progressPosition, 0);
    EXPECT_EQ(logic->State().percentText, "0%");
    EXPECT_EQ(logic->State().percentColour, 0x803400u);
    EXPECT_EQ(logic->State().fileName, FixturePath("linear.H86"));
    EXPECT_GT(renders, 0);
    EXPECT_EQ(bench.prompter.Count(), 0u);
    EXPECT_THAT(bench.Requests(), IsEmpty());

    EXPECT_EQ(FileLoaded, 1);
    EXPECT_EQ(FlashStartAddress, 0x00010000u);
    EXPECT_EQ(FlashImageLength, 24u);
    EXPECT_EQ(FlashAddressBytes, Bytes("00 01 00 00"));
    EXPECT_EQ(FlashLengthBytes, Bytes("00 00 00 18"));
    EXPECT_EQ(FlashImage, Bytes("10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F A0 A1 A2 A3 A4 A5 A6 A7"));
    EXPECT_EQ(FlashBootLoaderVersion, Bytes("30 31 30 32"));
    EXPECT_EQ(FlashHardwareVersion, Bytes("30 32 30 31"));
    EXPECT_EQ(DownLoadFilePath, std::string(TARVEL_DOWNLOAD_FIXTURES) + "/");

    // The next dialog starts in the remembered folder; a later file replaces
    // everything.
    Open(FixturePath("segment.hex"));
    EXPECT_EQ(bench.files.Requests().back().folder, std::string(TARVEL_DOWNLOAD_FIXTURES) + "/");
    ASSERT_GE(logic->State().messages.size(), 4u);
    EXPECT_EQ(logic->State().messages[logic->State().messages.size() - 4], "File loaded successfully");
    EXPECT_EQ(FlashStartAddress, 0x00012350u);
    EXPECT_EQ(FlashAddressBytes, Bytes("00 01 23 50"));
    EXPECT_EQ(FlashLengthBytes, Bytes("00 00 00 08"));
    EXPECT_EQ(FlashBootLoaderVersion, Bytes("00 00 00 00"));
    EXPECT_EQ(FlashHardwareVersion, Bytes("00 00 00 00"));
}

// The versions the ECU is asked to check before it is programmed are told at
// once, and a file that lacks one is said to be open to refusal, in the page's
// language.
TEST_F(DownloadPageLogicTest, LoadingTellsTheVersionsAndThatAFileWithoutThemMayBeRefused)
{
    struct Case {
        std::string file;
        std::vector<std::string> lines; // after "File loaded successfully"
    };
    // A boot-loader version without a hardware version.
    const std::string onlyBootLoader = ::testing::TempDir() + "only-boot-loader-version.hex";
    std::ofstream(onlyBootLoader) << ";BL=0102\n:020000040001F9\n:08001000A0A1A2A3A4A5A6A7CC\n:00000001FF\n";
    const std::string refused = LanguageText(672);
    const std::vector<Case> cases{
        {FixturePath("linear.H86"), {"Boot loader version in the file: 0102", "Hardware version in the file: 0201"}},
        {FixturePath("short_version.HEX"),
         {"Boot loader version in the file: 01", "Hardware version in the file: ABCD"}},
        {FixturePath("segment.hex"),
         {"Boot loader version in the file: none", "Hardware version in the file: none", refused}},
        {onlyBootLoader, {"Boot loader version in the file: 0102", "Hardware version in the file: none", refused}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const size_t before = logic->State().messages.size();
        Open(c.file);
        ASSERT_EQ(FileLoaded, 1);
        const std::vector<std::string> added(logic->State().messages.begin() + static_cast<std::ptrdiff_t>(before),
                                             logic->State().messages.end());
        std::vector<std::string> expected{"File loaded successfully"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(added, expected);
    }
    std::remove(onlyBootLoader.c_str());
    // Such a file is taken when the ECU refuses the compatibility routines.
    EXPECT_EQ(refused, "Before it is programmed, the ECU is asked to check these versions: a file without a boot "
                       "loader or hardware version may be refused by an ECU that checks the versions.");
    EXPECT_EQ(bench.prompter.Count(), 0u);

    // Bytes that are no characters show as hexadecimal.
    EXPECT_EQ(SoftwareVersionText(Bytes("01 02 00 00")), "01 02 00 00");
    EXPECT_EQ(SoftwareVersionText(Bytes("00 00 00 00")), "");
    EXPECT_EQ(SoftwareVersionText(Bytes("41 00 42 00")), "41 00 42 00");
}

class DownloadPageLogicSpanishTest : public ::testing::Test {
protected:
    tarvel_test::PageBench bench{3};
};

TEST_F(DownloadPageLogicSpanishTest, TheVersionLinesFollowTheLanguage)
{
    ASSERT_TRUE(bench.Connect());
    DownloadPageLogic logic(bench.Context());
    bench.files.QueueAnswer(FixturePath("segment.hex"));
    logic.OnOpenFile();
    EXPECT_THAT(logic.State().messages,
                ElementsAre("File loaded successfully", "Versión del cargador de arranque en el archivo: ninguna",
                            "Versión de hardware en el archivo: ninguna", LanguageText(672)));
    EXPECT_EQ(LanguageText(672).substr(0, 6), "La ECU");
}

TEST_F(DownloadPageLogicTest, OpenFileWhileNotConnectedOnlyShowsTheBox)
{
    bench.Disconnect();
    bench.files.QueueAnswer(FixturePath("linear.H86"));
    logic->OnOpenFile();
    EXPECT_THAT(bench.files.Requests(), IsEmpty());
    ExpectOneBox(75);
    EXPECT_THAT(logic->State().messages, IsEmpty());
    EXPECT_EQ(FileLoaded, 0);
}

// Every way a load can end without a new image: its list line, its box, and
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
    const std::string busy = "Program is downloading. Please stop and select  H86 file again";
    const std::string notH86 = "The file is not .H86 type, please load .H86 type file";
    const std::vector<Case> cases = {
        {"cancelled", std::nullopt, 0, 1, "No Files Opened", false},
        {"empty path", std::string(), 0, 1, "No Files Opened", false},
        {"lower-case h86", FixturePath("segment.h86"), 0, 1, notH86, false},
        {"mixed-case Hex", FixturePath("segment.Hex"), 0, 1, notH86, false},
        {"no extension", FixturePath("segment"), 0, 1, notH86, false},
        {"missing file", FixturePath("missing.hex"), 0, 1, "Can't Open" + FixturePath("missing.hex"), false},
        {"blocks being sent", FixturePath("segment.hex"), 1, 0, busy, false},
        {"download preparing", FixturePath("segment.hex"), 0, 0, busy, false},
        {"bad checksum", FixturePath("bad_checksum.hex"), 0, 1, "Line 3 has a wrong checksum, file not loaded", true},
        {"bad byte count", FixturePath("bad_count.hex"), 0, 1, "Line 3 has a wrong byte count, file not loaded", true},
        {"non-hex digit", FixturePath("non_hex.hex"), 0, 1,
         "Line 3 has a character that is not a hex digit, file not loaded", true},
        {"zero version", FixturePath("empty_version.hex"), 0, 1,
         "Line 1 carries a version of four 0 bytes, file not loaded", true},
        {"stray text", FixturePath("stray_text.hex"), 0, 1, "Line 4 is not a record, file not loaded", true},
        {"no data", FixturePath("no_data.hex"), 0, 1, "The file holds no data, file not loaded", true},
        {"overlap", FixturePath("overlap.hex"), 0, 1, "Line 3 overlaps data of another record, file not loaded",
         true},
    };
    Open(FixturePath("linear.H86"));
    ASSERT_EQ(FileLoaded, 1);
    const std::vector<uint8_t> image = FlashImage;
    const std::string folder = DownLoadFilePath;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bench.prompter.Clear();
        DownloadRunning = c.downloadRunning;
        DownloadIdle = c.downloadIdle;
        Open(c.answer);
        EXPECT_EQ(LastLine(), c.line);
        if (c.box471)
            ExpectOneBox(471);
        else
            EXPECT_EQ(bench.prompter.Count(), 0u);
        EXPECT_EQ(FileLoaded, 1);
        EXPECT_EQ(FlashImage, image);
        EXPECT_EQ(FlashStartAddress, 0x00010000u);
        EXPECT_EQ(FlashImageLength, 24u);
        EXPECT_EQ(FlashBootLoaderVersion, Bytes("30 31 30 32"));
        EXPECT_EQ(FlashHardwareVersion, Bytes("30 32 30 31"));
        EXPECT_EQ(DownLoadFilePath, folder);
        EXPECT_EQ(logic->State().fileName, FixturePath("linear.H86"));
    }
    EXPECT_THAT(bench.Requests(), IsEmpty());
}

TEST_F(DownloadPageLogicTest, StartDownloadChecksBeforeTheSequence)
{
    int sequenceRuns = 0;
    logic->SetDownloadSequence([&](DownloadPageLogic&) { ++sequenceRuns; });

    EXPECT_EQ(logic->OnStartDownload(), StartDownloadOutcome::NoFile);
    ASSERT_EQ(bench.prompter.Count(), 1u);
    EXPECT_EQ(bench.prompter.Boxes()[0].text, "Can't find .H86 file, please load .H86 file");
    EXPECT_EQ(bench.prompter.Boxes()[0].caption, "Warning");
    EXPECT_EQ(bench.prompter.Boxes()[0].icon, tarvel::MsgIcon::None);

    Open(FixturePath("linear.H86"));
    bench.prompter.Clear();
    DownloadRunning = 1;
    EXPECT_EQ(logic->OnStartDownload(), StartDownloadOutcome::Running);
    EXPECT_EQ(LastLine(), "Program is downloading. Do not click the download button");
    EXPECT_EQ(bench.prompter.Count(), 0u);
    EXPECT_EQ(sequenceRuns, 0);

    DownloadRunning = 0;
    EXPECT_EQ(logic->OnStartDownload(), StartDownloadOutcome::Ready);
    EXPECT_EQ(sequenceRuns, 1);
    EXPECT_EQ(bench.prompter.Count(), 0u);

    bench.Disconnect();
    EXPECT_EQ(logic->OnStartDownload(), StartDownloadOutcome::NotConnected);
    ExpectOneBox(75);
    EXPECT_EQ(sequenceRuns, 1);
    EXPECT_THAT(bench.Requests(), IsEmpty());
}

TEST_F(DownloadPageLogicTest, CancelStopsARunningDownloadOnceAndReturnsToTheDefaultSession)
{
    DownloadCancelled = 0;
    DownloadRunning = 1;
    DownloadIdle = 0;
    tarvel::TestRunning = 1;
    logic->EnableCancel(true);

    logic->OnCancel();
    EXPECT_EQ(DownloadRunning, 0);
    EXPECT_EQ(DownloadCancelled, 1);
    EXPECT_EQ(DownloadIdle, 1);
    EXPECT_EQ(tarvel::TestRunning.load(), 0u);
    EXPECT_FALSE(logic->State().cancelEnabled);
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("10 01")));
    EXPECT_EQ(LastLine(), "Warning! Download was aborted, The ECU will not work!!!");

    // A second press only repeats the warning.
    logic->OnCancel();
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("10 01")));
    EXPECT_EQ(logic->State().messages.size(), 2u);
    EXPECT_EQ(LastLine(), "Warning! Download was aborted, The ECU will not work!!!");
    EXPECT_EQ(bench.prompter.Count(), 0u);

    bench.Disconnect();
    logic->OnCancel();
    EXPECT_EQ(logic->State().messages.size(), 2u);
    ExpectOneBox(75);
}

TEST_F(DownloadPageLogicTest, ConnectionMessageLines)
{
    struct Case {
        int connected;
        int32_t idle;
        const char* line;
    };
    const Case cases[] = {
        {1, 1, "ECU connected"},
        {1, 0, "Downloading..., Do not switch to another page"},
        {0, 1, "ECU disconnected"},
        {0, 0, "ECU disconnected"},
    };
    for (const Case& c : cases) {
        EcuConnected = c.connected;
        DownloadIdle = c.idle;
        logic->OnConnectionChanged();
        EXPECT_EQ(LastLine(), c.line) << c.connected << " " << c.idle;
    }
    EXPECT_EQ(logic->State().messages.size(), 4u);
}

TEST_F(DownloadPageLogicTest, TheShellTellsThePageOfConnectAndDisconnect)
{
    // The shell sends the connection message to the page's window, which
    // hands it to this logic.
    bench.pages.onMessage = [this](const std::string& line) {
        if (line == conntest::WindowMsg(tarvel::WindowSlot::DownloadPage, WM_ECU_CONNECTION_CHANGED))
            logic->OnConnectionChanged();
    };
    bench.Disconnect();
    ASSERT_TRUE(bench.Connect());
    EXPECT_THAT(logic->State().messages, ElementsAre("ECU disconnected", "ECU connected"));
}

TEST_F(DownloadPageLogicTest, StartUpResetsTheLinkAndCleanUpEmptiesTheBuffers)
{
    EXPECT_FALSE(logic->State().cancelEnabled);
    EXPECT_EQ(logic->State().percentText, "0%");
    tarvel::UdsResponseTimeoutMs = 0;
    tarvel::DownloadMaxBlockLength = 0x402;
    const uint64_t startUp = bench.clock.NowMs();
    DownloadPageLogic another(bench.Context());
    EXPECT_EQ(tarvel::UdsResponseTimeoutMs.load(), tarvel::kUdsResponseTimeoutMs);
    EXPECT_EQ(tarvel::DownloadMaxBlockLength.load(), 0u);
    EXPECT_EQ(bench.clock.NowMs(), startUp);

    // Idle: the stop flag is raised and the buffers are emptied at once.
    tarvel::UdsRequest = Bytes("36 01 AA");
    uint64_t before = bench.clock.NowMs();
    logic.reset();
    EXPECT_EQ(DownloadCancelled, 1);
    EXPECT_THAT(tarvel::UdsRequest, IsEmpty());
    EXPECT_EQ(bench.clock.NowMs(), before);

    // While a download runs, its sequence gets 20 ms to see the flag first.
    logic = std::make_unique<DownloadPageLogic>(bench.Context());
    DownloadCancelled = 0;
    DownloadIdle = 0;
    tarvel::UdsRequest = Bytes("36 01 AA");
    before = bench.clock.NowMs();
    logic.reset();
    EXPECT_EQ(DownloadCancelled, 1);
    EXPECT_EQ(bench.clock.NowMs(), before + 20);
    EXPECT_THAT(tarvel::UdsRequest, IsEmpty());
    DownloadIdle = 1;
}

} // namespace
