// The UDS programming sequence behind the program-download page, run by the
// page's Start Download against the simulated ECU's boot loader on the virtual
// clock: the exact requests, every refusal with its message, the block
// arithmetic, Cancel and disconnection while blocks are sent, and what the
// page does with buttons pressed while the sequence waits.
#include "DownloadSequence.h"

#include "AppMessages.h"
#include "Crc32.h"
#include "DiagnosisGlobals.h"
#include "DeviceInfoLogic.h"
#include "DownloadPageLogic.h"
#include "EcuRestart.h"
#include "LiftingAxleCalibrationLogic.h"
#include "IsoTpLink.h"
#include "LanguageTable.h"
#include "SecurityAccessKey.h"
#include "SecurityConstants.h"
#include "PageHostTable.h"
#include "ShellGlobals.h"
#include "SoftwareFile.h"
#include "UdsEngine.h"
#include "UdsServices.h"
#include "WindowRegistry.h"

#include "Pump.h"
#include "CanBitTiming.h"
#include "SimBootLoader.h"
#include "SimEcuData.h"

#include "Matchers.h"
#include "PageBench.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using tarvel_test::Bytes;
using ByteVector = std::vector<uint8_t>;

std::string FixturePath(const std::string& name) { return std::string(TARVEL_DOWNLOAD_FIXTURES) + "/" + name; }

std::string Hex(const ByteVector& bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        if (!text.empty()) text += ' ';
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

// Runs an action once, inside a pumped wait, at the first pump after the ECU
// received a request that begins with the given bytes (a click or a
// disconnect while the sequence waits for that answer or the next one).
class RequestPump : public tarvel::MessagePump {
public:
    explicit RequestPump(sim::SimEcu& ecu) : ecu_(ecu) { tarvel::SetPump(this); }
    ~RequestPump() override { tarvel::SetPump(nullptr); }
    void At(ByteVector prefix, std::function<void()> action)
    {
        prefix_ = std::move(prefix);
        action_ = std::move(action);
        armedAt_ = ecu_.Stats().requests;
    }
    bool Fired() const { return fired_; }
    // The main window is closing: waits end early, as the program's pump says.
    bool quit = false;
    bool QuitRequested() const override { return quit; }
    void PumpPending() override
    {
        if (!action_) return;
        const uint64_t fresh = ecu_.Stats().requests - armedAt_;
        const auto requests = ecu_.Requests();
        bool seen = false;
        for (size_t k = 0; k < fresh && k < requests.size(); ++k) {
            const ByteVector& r = requests[requests.size() - 1 - k];
            seen = seen || (r.size() >= prefix_.size() && std::equal(prefix_.begin(), prefix_.end(), r.begin()));
        }
        if (!seen) return;
        auto action = std::move(action_);
        action_ = nullptr;
        fired_ = true;
        action();
    }

private:
    sim::SimEcu& ecu_;
    ByteVector prefix_;
    std::function<void()> action_;
    uint64_t armedAt_ = 0;
    bool fired_ = false;
};

// Records the messages the pages receive, with the virtual time.
class MessageRecorder : public tarvel::MessageTarget {
public:
    MessageRecorder(tarvel::Clock& clock, std::vector<std::pair<int, uint64_t>>& log) : clock_(clock), log_(log) {}
    bool HandleAppMessage(int message) override
    {
        log_.emplace_back(message, clock_.NowMs());
        return true;
    }

private:
    tarvel::Clock& clock_;
    std::vector<std::pair<int, uint64_t>>& log_;
};

class DownloadSequenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bench.Connect());
        logic->SetChangedObserver([this] {
            if (logic->State().percentText != lastPercent) {
                lastPercent = logic->State().percentText;
                percents.push_back(lastPercent);
            }
        });
        tarvel::RegisterWindow(tarvel::WindowSlot::DeviceInfoPage, &deviceInfo);
        tarvel::RegisterWindow(tarvel::WindowSlot::LiftingAxlePage, &liftingAxle);
    }

    // Publishes an image as Open File does.
    void LoadImage(ByteVector bytes, uint32_t address = 0x00010000, ByteVector bl = {0x30, 0x31, 0x30, 0x32},
                   ByteVector hw = {0x30, 0x32, 0x30, 0x31})
    {
        tarvel::SoftwareImage image;
        image.startAddress = address;
        image.bytes = std::move(bytes);
        image.bootLoaderVersion = std::move(bl);
        image.hardwareVersion = std::move(hw);
        tarvel::CommitSoftwareImage(image);
    }

    static ByteVector Pattern(size_t n)
    {
        ByteVector v(n);
        for (size_t i = 0; i < n; ++i) v[i] = uint8_t((i * 7 + (i >> 8) * 3 + 1) & 0xFF);
        return v;
    }

    // The requests since Start Download, without the keep-alive.
    std::vector<ByteVector> Sent() const
    {
        std::vector<ByteVector> out;
        for (auto& r : bench.Requests())
            if (r.empty() || r[0] != 0x3E) out.push_back(r);
        return out;
    }
    std::vector<ByteVector> Blocks() const
    {
        std::vector<ByteVector> out;
        for (auto& r : Sent())
            if (r[0] == 0x36) out.push_back(r);
        return out;
    }

    void Start()
    {
        bench.ClearRequests();
        bench.prompter.Clear();
        logic->OnStartDownload();
    }

    void ExpectIdleAgain()
    {
        EXPECT_EQ(DownloadIdle, 1);
        EXPECT_EQ(DownloadRunning, 0);
        EXPECT_EQ(tarvel::TestRunning.load(), 0u);
        EXPECT_FALSE(logic->SequenceRunning());
        EXPECT_FALSE(logic->State().cancelEnabled);
    }

    std::string LastBox() const
    {
        const auto boxes = bench.prompter.Boxes();
        return boxes.empty() ? std::string() : boxes.back().text;
    }
    std::string LastLine() const
    {
        const auto& lines = logic->State().messages;
        return lines.empty() ? std::string() : lines.back();
    }

    tarvel_test::PageBench bench;
    std::unique_ptr<DownloadPageLogic> logic = std::make_unique<DownloadPageLogic>(bench.Context());
    std::vector<std::pair<int, uint64_t>> pageMessages;
    MessageRecorder deviceInfo{bench.clock, pageMessages};
    MessageRecorder liftingAxle{bench.clock, pageMessages};
    std::vector<std::string> percents;
    std::string lastPercent = "0%";
};

TEST(Crc32, CheckValueAndPiecewiseUpdate)
{
    const std::string check = "123456789";
    const ByteVector bytes(check.begin(), check.end());
    EXPECT_EQ(tarvel::Crc32(bytes), 0xCBF43926u);
    EXPECT_EQ(tarvel::Crc32({}), 0u);
    EXPECT_EQ(tarvel::Crc32Update(tarvel::Crc32Update(0, bytes.data(), 4), bytes.data() + 4, 5), 0xCBF43926u);
    const auto crc = tarvel::Crc32Bytes(0xCBF43926u);
    EXPECT_EQ(ByteVector(crc.begin(), crc.end()), Bytes("CB F4 39 26"));
    // The simulated boot loader computes it its own way; both agree.
    ByteVector data(5000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 31 + 7);
    EXPECT_EQ(tarvel::Crc32(data), sim::ecudata::Crc32(data));
}

TEST_F(DownloadSequenceTest, HappyPathWritesTheFileIntoTheEcu)
{
    bench.files.QueueAnswer(FixturePath("linear.H86"));
    logic->OnOpenFile();
    ASSERT_EQ(FileLoaded, 1);
    ASSERT_EQ(FlashImageLength, 24u);
    EcuIdentified = 1;
    auto bus = bench.world.Bus(1);
    bus->SetRecording(true);
    const uint64_t start = bench.clock.NowMs();
    Start();
    bus->SetRecording(false);
    // The seed the ECU sent and the time of its answer to the reset.
    std::array<uint8_t, 4> seed{};
    uint64_t resetAnsweredMs = 0;
    bool resetAnswered = false;
    for (const sim::CanFrame& f : bus->Recorded()) {
        if (f.id != tarvel::kUdsResponseCanId) continue;
        if (f.data[0] == 0x06 && f.data[1] == 0x67 && f.data[2] == 0x09)
            std::copy(f.data.begin() + 3, f.data.begin() + 7, seed.begin());
        if (f.data[0] == 0x02 && f.data[1] == 0x51 && f.data[2] == 0x01) {
            resetAnsweredMs = f.timeUs / 1000;
            resetAnswered = true;
        }
    }

    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 16u) << Hex(sent.back());
    EXPECT_EQ(sent[0], Bytes("10 03"));
    EXPECT_EQ(sent[1], Bytes("31 01 02 03"));
    EXPECT_EQ(sent[2], Bytes("85 02"));
    EXPECT_EQ(sent[3], Bytes("28 03 03"));
    EXPECT_EQ(sent[4], Bytes("10 02"));
    EXPECT_EQ(sent[5], Bytes("27 09"));
    const auto key = tarvel::UdsKeyToBytes(tarvel::ComputeSecurityKey(seed, tarvel::kSecurityLevel9Constants));
    EXPECT_EQ(sent[6], (ByteVector{0x27, 0x0A, key[0], key[1], key[2], key[3]}));
    EXPECT_EQ(sent[7], Bytes("31 01 02 04 30 31 30 32"));
    EXPECT_EQ(sent[8], Bytes("31 01 02 05 30 32 30 31"));
    EXPECT_EQ(sent[9], Bytes("31 01 FF 00 44 00 01 00 00 00 00 00 18"));
    EXPECT_EQ(sent[10], Bytes("34 00 44 00 01 00 00 00 00 00 18"));
    ByteVector block = Bytes("36 01");
    block.insert(block.end(), FlashImage.begin(), FlashImage.end());
    EXPECT_EQ(sent[11], block);
    EXPECT_EQ(sent[12], Bytes("37"));
    const auto crc = tarvel::Crc32Bytes(tarvel::Crc32(FlashImage));
    EXPECT_EQ(sent[13], (ByteVector{0x31, 0x01, 0x02, 0x02, crc[0], crc[1], crc[2], crc[3]}));
    EXPECT_EQ(sent[14], Bytes("31 01 FF 01"));
    EXPECT_EQ(sent[15], Bytes("11 01"));

    EXPECT_EQ(bench.ecu->DownloadAddress(), FlashStartAddress);
    EXPECT_EQ(bench.ecu->DownloadedImage(), FlashImage);
    EXPECT_TRUE(bench.ecu->DownloadComplete());
    EXPECT_EQ(bench.ecu->Session(), 0x01);

    EXPECT_THAT(logic->State().messages,
                ElementsAre("File loaded successfully", "Boot loader version in the file: 0102",
                            "Hardware version in the file: 0201", "Downloading..., Do not switch to another page",
                            "Download Success"));
    EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(tarvel_test::BoxIs("Download Success", "Tips")));
    EXPECT_EQ(logic->State().percentText, "100%");
    ExpectIdleAgain();
    EXPECT_EQ(DownloadCancelled, 1);
    EXPECT_EQ(FileLoaded, 1);
    EXPECT_EQ(EcuIdentified, 0);
    EXPECT_EQ(FlashBlockLength, 0x402u - 2);

    // The pages read the new software once the ECU answered after its
    // reset: this one restarts at once and answers the first question.
    ASSERT_EQ(pageMessages.size(), 2u);
    EXPECT_EQ(pageMessages[0].first, WM_DEVICEINFO_RELOAD);
    EXPECT_EQ(pageMessages[1].first, WM_LIFTAXLE_RELOAD_CONFIG);
    ASSERT_TRUE(resetAnswered);
    ASSERT_GE(resetAnsweredMs, start);
    EXPECT_GE(pageMessages[0].second, resetAnsweredMs);
    EXPECT_LE(pageMessages[0].second, resetAnsweredMs + 10);
    EXPECT_EQ(pageMessages[0].second, pageMessages[1].second);
    const auto all = bench.Requests();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all.back(), Bytes("3E 00")) << "the one question after the reset";
    EXPECT_EQ(all[all.size() - 2], Bytes("11 01"));

    // The same image can be sent again.
    pageMessages.clear();
    Start();
    EXPECT_EQ(LastLine(), "Download Success");
    EXPECT_EQ(pageMessages.size(), 2u);
}

TEST_F(DownloadSequenceTest, BlockArithmetic)
{
    struct Case {
        uint16_t maxBlockLength;
        size_t imageLength;
        size_t blocks;
        size_t lastBlockBytes;
    };
    const Case cases[] = {
        {10, 16, 2, 8},   // exact multiple
        {10, 20, 3, 4},   // one shorter last block
        {10, 5, 1, 5},    // a single block
        {4, 600, 300, 2}, // the counter wraps
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.imageLength);
        percents.clear();
        lastPercent = "0%";
        logic->ResetProgress();
        bench.ecu->SetMaxBlockLength(c.maxBlockLength);
        LoadImage(Pattern(c.imageLength));
        Start();
        ASSERT_EQ(LastLine(), "Download Success");
        const auto blocks = Blocks();
        ASSERT_EQ(blocks.size(), c.blocks);
        EXPECT_EQ(blocks.back().size() - 2, c.lastBlockBytes);
        for (size_t i = 0; i < blocks.size(); ++i)
            ASSERT_EQ(blocks[i][1], uint8_t(i + 1)) << i;
        EXPECT_EQ(bench.ecu->DownloadedImage(), FlashImage);
        EXPECT_EQ(percents.back(), "100%");
        if (c.blocks == 300) {
            EXPECT_EQ(blocks[255][1], 0x00);
            EXPECT_EQ(blocks[256][1], 0x01);
            // 0% after blocks 0..2 (unchanged), 1% after block 3.
            EXPECT_EQ(percents.front(), "1%");
            int previous = -1;
            for (const std::string& p : percents) {
                const int value = std::stoi(p);
                EXPECT_GT(value, previous);
                previous = value;
            }
            EXPECT_EQ(logic->State().progressRange, 300);
        }
        if (c.blocks == 1) {
            EXPECT_THAT(percents, ElementsAre("100%"));
        }
    }
    // A maximum beyond what one transport message carries: 4093 data bytes.
    bench.ecu->SetMaxBlockLength(0x8000);
    LoadImage(Pattern(5000));
    Start();
    ASSERT_EQ(LastLine(), "Download Success");
    EXPECT_EQ(FlashBlockLength, 4093u);
    ASSERT_EQ(Blocks().size(), 2u);
    EXPECT_EQ(Blocks()[0].size(), 4095u);
    EXPECT_EQ(bench.ecu->DownloadedImage(), FlashImage);

    EXPECT_EQ(tarvel::DownloadPercent(0, 1), 100);
    EXPECT_EQ(tarvel::DownloadPercent(1, 3), 50);
    EXPECT_EQ(tarvel::DownloadBlockCounter(255), 0x00);
}

struct RefusalRow {
    const char* name;
    std::function<void(sim::SimEcu&)> fault;
    ByteVector lastRequest; // the request that was refused: nothing after it
    std::string box;        // the last box
    bool rowBox = false;    // a language row: caption row 74, exclamation icon
};

TEST_F(DownloadSequenceTest, EveryRefusalEndsWithItsMessage)
{
    auto nrc = [](uint8_t sid, unsigned skip = 0) {
        return [sid, skip](sim::SimEcu& e) { e.SetNegativeResponse(sid, 0x22, 1, skip); };
    };
    auto routine = [](uint16_t id, sim::SimEcuAnswer answer) {
        return [id, answer](sim::SimEcu& e) {
            e.RegisterRoutine(id, [answer](uint8_t, const ByteVector&, sim::SimEcuContext&) { return answer; });
        };
    };
    auto refused = sim::SimEcuAnswer::Negative(0x22);
    auto status1 = sim::SimEcuAnswer::Positive({0x01});
    auto status0 = sim::SimEcuAnswer::Positive({0x00});
    const RefusalRow rows[] = {
        {"10 03", nrc(0x10), Bytes("10 03"), "Request Failed（10 03）"},
        {"0203 refused", routine(0x0203, refused), Bytes("31 01 02 03"), "Request Failed（31 01）"},
        {"0203 status", routine(0x0203, status1), Bytes("31 01 02 03"),
         "Programming condition check error, download failed"},
        {"85 02", nrc(0x85), Bytes("85 02"), "Request Failed（85 02）"},
        {"28 03 03", nrc(0x28), Bytes("28 03 03"), "Request Failed（28 03 03）"},
        {"10 02", nrc(0x10, 1), Bytes("10 02"), "Request Failed（10 02）"},
        {"27 09", nrc(0x27), Bytes("27 09"), "Request Failed（27 09）"},
        {"0204 refused", routine(0x0204, refused), Bytes("31 01 02 04 30 31 30 32"), LanguageText(469), true},
        {"0204 status", routine(0x0204, status0), Bytes("31 01 02 04 30 31 30 32"), LanguageText(467), true},
        {"0205 status", routine(0x0205, status0), Bytes("31 01 02 05 30 32 30 31"), LanguageText(468), true},
        {"0205 refused", routine(0x0205, refused), Bytes("31 01 02 05 30 32 30 31"),
         "Request Failed（31 01 Boot And Hardware Compatibility Check），download failed"},
        {"FF00 refused", routine(0xFF00, refused), Bytes("31 01 FF 00"), "Request Failed（31 01）"},
        {"FF00 status", routine(0xFF00, status1), Bytes("31 01 FF 00"), "Request Failed（31 01），download failed"},
        {"34 refused", nrc(0x34), Bytes("34 00 44"), "Conditions not correct"},
        {"34 block length 2", [](sim::SimEcu& e) { e.SetMaxBlockLength(2); }, Bytes("34 00 44"),
         "Request Failed（34），the ECU accepts no data blocks, download failed"},
        {"36", nrc(0x36), Bytes("36 01"), "Download error, Please try again"},
        {"37", nrc(0x37), Bytes("37"), "Request Failed（37），download failed"},
        {"0202 refused", routine(0x0202, refused), Bytes("31 01 02 02"), "Request Failed（31 01），download failed"},
        {"0202 status", routine(0x0202, status1), Bytes("31 01 02 02"), "Program is incomplete, download failed"},
        {"FF01 refused", routine(0xFF01, refused), Bytes("31 01 FF 01"), "Request Failed（31 01），Download Failed"},
        {"FF01 status", routine(0xFF01, status1), Bytes("31 01 FF 01"), "Incompatible programs, Download failed"},
        {"11 01", nrc(0x11), Bytes("11 01"), "Request Failed（11 01），Download Failed"},
    };
    for (const RefusalRow& row : rows) {
        SCOPED_TRACE(row.name);
        bench.ecu->ClearFaults();
        bench.ecu->SetMaxBlockLength(0x402);
        sim::InstallBootLoader(*bench.ecu);
        LoadImage(Pattern(40));
        row.fault(*bench.ecu);
        const auto& lines = logic->State().messages;
        const auto successes = std::count(lines.begin(), lines.end(), "Download Success");
        Start();

        const auto sent = Sent();
        ASSERT_FALSE(sent.empty());
        const ByteVector& last = sent.back();
        EXPECT_TRUE(last.size() >= row.lastRequest.size() &&
                    std::equal(row.lastRequest.begin(), row.lastRequest.end(), last.begin()))
            << Hex(last);
        ASSERT_GE(bench.prompter.Count(), 1u);
        const auto box = bench.prompter.Boxes().back();
        if (row.box == "Conditions not correct") {
            // The service call's own box is the only one.
            EXPECT_EQ(bench.prompter.Count(), 1u);
            EXPECT_EQ(box.caption, "UDS negative response");
        } else {
            EXPECT_EQ(box.text, row.box);
            EXPECT_EQ(box.caption, row.rowBox ? LanguageText(74) : std::string("Warning"));
            EXPECT_EQ(box.icon, row.rowBox ? tarvel::MsgIcon::Exclamation : tarvel::MsgIcon::None);
        }
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Download Success"), successes);
        EXPECT_TRUE(pageMessages.empty());
        ExpectIdleAgain();
    }
}

TEST_F(DownloadSequenceTest, MissingBootLoaderVersionPassesRefusedCompatibilityChecks)
{
    RequestPump pump(*bench.ecu);
    // The ECU refuses both checks; a file without versions goes on.
    pump.At(Bytes("27 0A"), [&] { bench.ecu->SetNegativeResponse(0x31, 0x31, 2); });
    LoadImage(Pattern(30), 0x00010000, {0, 0, 0, 0}, {0, 0, 0, 0});
    Start();
    EXPECT_EQ(LastLine(), "Download Success");
    EXPECT_EQ(bench.prompter.Count(), 1u);

    // Boot-loader version all 0 but a hardware version: both refusals pass too.
    RequestPump second(*bench.ecu);
    second.At(Bytes("27 0A"), [&] { bench.ecu->SetNegativeResponse(0x31, 0x31, 2); });
    LoadImage(Pattern(30), 0x00010000, {0, 0, 0, 0}, {0x30, 0x32, 0x30, 0x31});
    Start();
    EXPECT_EQ(LastLine(), "Download Success");

    // A boot loader that answers the check of a file without version refuses it.
    LoadImage(Pattern(30), 0x00010000, {0, 0, 0, 0}, {0x30, 0x32, 0x30, 0x31});
    Start();
    EXPECT_EQ(LastBox(), LanguageText(470));
    EXPECT_EQ(Sent().back(), Bytes("31 01 02 04 00 00 00 00"));
    ExpectIdleAgain();
}

TEST_F(DownloadSequenceTest, CancelDuringTheTransferEndsAfterTheBlocksAnswer)
{
    bench.ecu->SetMaxBlockLength(10);
    LoadImage(Pattern(80));
    RequestPump pump(*bench.ecu);
    size_t blocksAtCancel = 0;
    pump.At(Bytes("36 03"), [&] {
        // The sequence waits inside a block's exchange.
        ASSERT_TRUE(logic->SequenceRunning());
        blocksAtCancel = Blocks().size();
        const uint64_t received = bench.ecu->Stats().requests;
        logic->OnCancel();
        // The click sends nothing itself: no request inside the block's wait.
        EXPECT_EQ(bench.ecu->Stats().requests, received);
        EXPECT_FALSE(logic->State().cancelEnabled);
    });
    Start();
    ASSERT_TRUE(pump.Fired());
    const auto sent = Sent();
    ASSERT_GE(sent.size(), 2u);
    // The block being exchanged when Cancel came is finished, then 10 01.
    EXPECT_EQ(sent[sent.size() - 2][0], 0x36);
    EXPECT_LE(Blocks().size(), blocksAtCancel + 1);
    EXPECT_LT(Blocks().size(), 10u);
    EXPECT_EQ(sent.back(), Bytes("10 01"));
    EXPECT_EQ(bench.ecu->Session(), 0x01);
    EXPECT_EQ(LastLine(), "Warning! Download was aborted, The ECU will not work!!!");
    EXPECT_EQ(bench.prompter.Count(), 0u);
    EXPECT_EQ(DownloadCancelled, 1);
    EXPECT_EQ(logic->State().percentText, "0%");
    ExpectIdleAgain();
    EXPECT_TRUE(pageMessages.empty());
}

TEST_F(DownloadSequenceTest, ClosingTheProgramDuringADownloadAsksFirstAndLeavesNoBoxBehind)
{
    // Without a download the program closes unasked.
    EXPECT_TRUE(logic->MayClose());
    EXPECT_EQ(bench.prompter.Count(), 0u);

    bench.ecu->SetMaxBlockLength(10);
    LoadImage(Pattern(80));
    const ByteVector image = FlashImage;
    const auto expectQuestion = [this] {
        const auto boxes = bench.prompter.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, LanguageText(673));
        EXPECT_EQ(boxes[0].caption, LanguageText(12));
        EXPECT_EQ(boxes[0].buttons, tarvel::MsgButtons::YesNo);
        // Enter answers No: a key pressed by mistake does not end the download.
        EXPECT_EQ(boxes[0].defaultButton, tarvel::MsgDefault::No);
    };

    // No: the download goes on to its end.
    {
        RequestPump pump(*bench.ecu);
        pump.At(Bytes("36 03"), [&] {
            bench.prompter.QueueAnswer(tarvel::MsgAnswer::No);
            EXPECT_FALSE(logic->MayClose());
            expectQuestion();
            EXPECT_EQ(DownloadCancelled, 0);
        });
        Start();
        ASSERT_TRUE(pump.Fired());
        EXPECT_EQ(Blocks().size(), 10u);
        EXPECT_EQ(bench.ecu->DownloadedImage(), image);
        EXPECT_EQ(LastLine(), "Download Success");
        EXPECT_FALSE(logic->ClosingProgram());
    }

    // Yes: the window closes, its waits end early; the sequence sends
    // nothing more and shows nothing, and is not asked about again.
    const size_t messagesBefore = pageMessages.size();
    RequestPump pump(*bench.ecu);
    uint64_t requestsAtYes = 0;
    pump.At(Bytes("36 03"), [&] {
        bench.prompter.QueueAnswer(tarvel::MsgAnswer::Yes);
        EXPECT_TRUE(logic->MayClose());
        expectQuestion();
        requestsAtYes = bench.ecu->Stats().requests;
        pump.quit = true;
    });
    Start();
    ASSERT_TRUE(pump.Fired());
    EXPECT_EQ(bench.ecu->Stats().requests, requestsAtYes);
    const ByteVector last = Sent().back();
    EXPECT_EQ(ByteVector(last.begin(), last.begin() + 2), Bytes("36 03"));
    expectQuestion();
    EXPECT_TRUE(logic->ClosingProgram());
    EXPECT_TRUE(logic->MayClose());
    EXPECT_EQ(bench.prompter.Count(), 1u);
    ExpectIdleAgain();
    EXPECT_EQ(pageMessages.size(), messagesBefore); // no reload of the pages after it
}

TEST_F(DownloadSequenceTest, DisconnectionDuringTheTransferEndsAtOnce)
{
    bench.ecu->SetMaxBlockLength(10);
    LoadImage(Pattern(80));
    RequestPump pump(*bench.ecu);
    pump.At(Bytes("36 02"), [&] { bench.Disconnect(); });
    Start();
    ASSERT_TRUE(pump.Fired());
    const auto sent = Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(ByteVector(sent.back().begin(), sent.back().begin() + 2), Bytes("36 02"));
    EXPECT_EQ(LastBox(), "Download error, Please try again");
    EXPECT_EQ(logic->State().percentText, "0%");
    ExpectIdleAgain();
}

TEST_F(DownloadSequenceTest, StartOrOpenDuringEveryPhaseOnlyAddsALine)
{
    // Each fires while the sequence waits for the answer to that request or
    // a later one; the last ones while it waits for the restarted ECU.
    const ByteVector phases[] = {Bytes("10 03"), Bytes("27 0A"), Bytes("31 01 FF 00"), Bytes("36 02"),
                                 Bytes("37"), Bytes("31 01 02 02"), Bytes("31 01 FF 01"), Bytes("11 01")};
    bench.ecu->SetMaxBlockLength(10);
    bench.ecu->SetRestartTime(300);
    for (const ByteVector& phase : phases) {
        SCOPED_TRACE(Hex(phase));
        LoadImage(Pattern(30));
        const ByteVector image = FlashImage;
        RequestPump pump(*bench.ecu);
        size_t linesBefore = 0;
        pump.At(phase, [&] {
            linesBefore = logic->State().messages.size();
            EXPECT_EQ(logic->OnStartDownload(), StartDownloadOutcome::Running);
            bench.files.QueueAnswer(FixturePath("linear.H86"));
            logic->OnOpenFile();
            const auto& lines = logic->State().messages;
            ASSERT_EQ(lines.size(), linesBefore + 2);
            EXPECT_EQ(lines[linesBefore], "Program is downloading. Do not click the download button");
            EXPECT_EQ(lines[linesBefore + 1], "Program is downloading. Please stop and select  H86 file again");
        });
        const auto successes =
            std::count(logic->State().messages.begin(), logic->State().messages.end(), "Download Success");
        Start();
        std::string sentText;
        for (const auto& r : bench.Requests())
            sentText += Hex(r) + "\n";
        ASSERT_TRUE(pump.Fired()) << sentText;
        const auto& lines = logic->State().messages;
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Download Success"), successes + 1);
        EXPECT_EQ(bench.prompter.Boxes().back().text, "Download Success");
        EXPECT_EQ(FlashImage, image);
        EXPECT_EQ(bench.ecu->DownloadedImage(), image);
        EXPECT_EQ(Blocks().size(), 4u);
    }
}

TEST_F(DownloadSequenceTest, LongEraseWaitsButNotForever)
{
    LoadImage(Pattern(30));
    sim::BootLoaderSettings s;
    s.eraseMs = 10000;
    sim::InstallBootLoader(*bench.ecu, s);
    uint64_t before = bench.clock.NowMs();
    Start();
    EXPECT_EQ(LastLine(), "Download Success");
    EXPECT_GE(bench.clock.NowMs() - before, 10000u);

    s.eraseMs = 40000;
    sim::InstallBootLoader(*bench.ecu, s);
    before = bench.clock.NowMs();
    Start();
    EXPECT_EQ(LastBox(), "Request Failed（31 01）");
    const uint64_t waited = bench.clock.NowMs() - before;
    EXPECT_GE(waited, 30000u);
    EXPECT_LT(waited, 40000u);
    EXPECT_EQ(Sent().back()[0], 0x31);
    ExpectIdleAgain();
}

TEST_F(DownloadSequenceTest, EmptyImageIsRefusedBeforeAnythingIsSent)
{
    LoadImage({});
    Start();
    EXPECT_EQ(LastBox(), "The software file holds no data, download failed");
    EXPECT_TRUE(Sent().empty());
    ExpectIdleAgain();
}

// With the bus timing model every frame takes its bit time on the 500 kbit/s
// bus and reaches the other side only once it has passed: the download then
// lasts as long as a real bus needs, and with the ECU's largest blocks (block
// size 0, STmin 0) the bus, not the program's polling, sets the pace.
TEST_F(DownloadSequenceTest, LargeBlocksKeepTheBusBusy)
{
    auto bus = bench.world.Bus(1);
    ASSERT_EQ(bus->Bitrate(), 500000u);
    bus->SetTimingModel(true, &bench.clock);
    bench.ecu->SetFlowControl(0, 0);
    bench.ecu->SetMaxBlockLength(4095);
    LoadImage(Pattern(32 * 1024));
    bench.Advance(10);
    bus->SetRecording(true);
    const uint64_t start = bench.clock.NowUs();
    Start();
    bus->SetRecording(false);
    ASSERT_EQ(LastLine(), "Download Success");
    EXPECT_EQ(bench.ecu->DownloadedImage(), FlashImage);
    EXPECT_EQ(FlashBlockLength, 4093u);
    EXPECT_EQ(Blocks().size(), 9u);

    const auto frames = bus->Recorded();
    uint64_t end = 0;
    for (const sim::CanFrame& f : frames)
        if (f.id == tarvel::kUdsResponseCanId && f.data[0] == 0x02 && f.data[1] == 0x51) end = f.timeUs;
    ASSERT_GT(end, start);
    uint64_t busTime = 0;
    uint64_t previousEnd = 0;
    for (const sim::CanFrame& f : frames) {
        if (f.timeUs > end) break;
        const uint64_t t = sim::CanFrameTimeUs(f, 500000);
        EXPECT_GE(f.timeUs, previousEnd + t) << "frames never overlap on the bus";
        previousEnd = f.timeUs;
        busTime += t;
    }
    // 32 KiB in 7-byte consecutive frames of 250..320 us each.
    EXPECT_GT(end - start, 32u * 1024 / 7 * 250);
    EXPECT_GE(busTime * 100, (end - start) * 95) << busTime << " of " << (end - start) << " us";
}

// ---- The ECU's restart after the download ----

// What follows the reset: the time from the reset's answer to the pages'
// reload, and the requests after the reset.
struct AfterReset {
    uint64_t resetAnsweredMs = 0;
    std::vector<ByteVector> requests; // after 11 01
};

AfterReset RequestsAfterReset(const std::vector<ByteVector>& all, const std::vector<sim::CanFrame>& frames)
{
    AfterReset after;
    for (const sim::CanFrame& f : frames)
        if (f.id == tarvel::kUdsResponseCanId && f.data[0] == 0x02 && f.data[1] == 0x51 && f.data[2] == 0x01)
            after.resetAnsweredMs = f.timeUs / 1000;
    const auto reset = std::find(all.begin(), all.end(), Bytes("11 01"));
    if (reset != all.end())
        after.requests.assign(reset + 1, all.end());
    return after;
}

// Notes, at every pump between the ECU's reset and the pages' reload, the
// lowest TestRunning seen (the keep-alive's judge).
class RestartWatch : public tarvel::MessagePump {
public:
    RestartWatch(sim::SimEcu& ecu, const std::vector<std::pair<int, uint64_t>>& reloads)
        : ecu_(ecu), reloads_(reloads), resetsBefore_(ecu.Stats().resets)
    {
        tarvel::SetPump(this);
    }
    ~RestartWatch() override { tarvel::SetPump(nullptr); }
    void PumpPending() override
    {
        if (ecu_.Stats().resets == resetsBefore_ || !reloads_.empty())
            return;
        pumpedInRestart = true;
        lowestTestRunning = std::min(lowestTestRunning, tarvel::TestRunning.load());
    }
    bool pumpedInRestart = false;
    uint32_t lowestTestRunning = 99;

private:
    sim::SimEcu& ecu_;
    const std::vector<std::pair<int, uint64_t>>& reloads_;
    uint64_t resetsBefore_;
};

// An ECU that needs up to the whole allowance to start its new software: the
// program asks it every 100 ms, reloads the pages only once it answered, and
// neither the keep-alive nor a reload judges the link by its silence.
TEST_F(DownloadSequenceTest, TheRestartedEcuIsAskedUntilItAnswersAndOnlyThenThePagesReadIt)
{
    for (const uint32_t restartMs : {150u, 600u, 2000u, 4700u}) {
        SCOPED_TRACE(restartMs);
        bench.ecu->SetRestartTime(restartMs);
        bench.files.QueueAnswer(FixturePath("linear.H86"));
        logic->OnOpenFile();
        ASSERT_EQ(FileLoaded, 1);
        pageMessages.clear();
        // TestRunning and DownloadIdle as the pages are told to reload.
        uint32_t testRunningAtReload = 99;
        int idleAtReload = 99;
        struct Watch : tarvel::MessageTarget {
            std::function<void()> seen;
            bool HandleAppMessage(int) override { seen(); return true; }
        } watch;
        watch.seen = [&] {
            testRunningAtReload = tarvel::TestRunning.load();
            idleAtReload = DownloadIdle;
            pageMessages.emplace_back(WM_DEVICEINFO_RELOAD, bench.clock.NowMs());
        };
        tarvel::RegisterWindow(tarvel::WindowSlot::DeviceInfoPage, &watch);
        RestartWatch restartWatch(*bench.ecu, pageMessages);
        auto bus = bench.world.Bus(1);
        bus->SetRecording(true);
        Start();
        bus->SetRecording(false);
        tarvel::RegisterWindow(tarvel::WindowSlot::DeviceInfoPage, &deviceInfo);
        const AfterReset after = RequestsAfterReset(bench.Requests(), bus->Recorded());

        EXPECT_EQ(LastLine(), "Download Success");
        EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(tarvel_test::BoxIs("Download Success", "Tips")));
        EXPECT_EQ(EcuConnected.load(), 1);
        EXPECT_TRUE(bench.controller->KeepAliveTimer().IsRunning());
        ASSERT_EQ(pageMessages.size(), 2u);
        // Read once the ECU runs again, not later than one question after.
        EXPECT_GE(pageMessages[0].second + 5, after.resetAnsweredMs + restartMs);
        EXPECT_LE(pageMessages[0].second, after.resetAnsweredMs + restartMs + tarvel::kEcuRestartProbeMs + 20);
        // The keep-alive and the navigation are given back only once the ECU
        // answered: through the restart a test was running.
        EXPECT_TRUE(restartWatch.pumpedInRestart);
        EXPECT_EQ(restartWatch.lowestTestRunning, 1u) << "the keep-alive stays out until the ECU answered";
        EXPECT_EQ(testRunningAtReload, 0u);
        EXPECT_EQ(idleAtReload, 1);
        // Nothing but the questions went to the ECU meanwhile, about one every 100 ms.
        ASSERT_FALSE(after.requests.empty());
        for (const ByteVector& r : after.requests)
            EXPECT_EQ(r, Bytes("3E 00"));
        EXPECT_GE(after.requests.size(), restartMs / tarvel::kEcuRestartProbeMs);
        EXPECT_LE(after.requests.size(), restartMs / tarvel::kEcuRestartProbeMs + 2);
        ExpectIdleAgain();
    }
}

// A keep-alive tick that falls into the restart (the reset is answered, the
// ECU is silent) leaves the link alone; the same tick after the allowance,
// with nobody waiting for the ECU, judges it again.
TEST_F(DownloadSequenceTest, AKeepAliveTickDuringTheRestartLeavesTheLinkAlone)
{
    bench.ecu->SetRestartTime(2000);
    bench.ClearRequests();
    ASSERT_EQ(tarvel::UdsEcuReset(), 1);
    bench.controller->OnKeepAliveTick(); // the reset's instant
    bench.Advance(1000);
    bench.controller->OnKeepAliveTick(); // in the middle of the restart
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("11 01")));
    EXPECT_EQ(EcuConnected.load(), 1);
    EXPECT_EQ(bench.prompter.Count(), 0u);
    bench.Advance(tarvel::kEcuRestartAllowanceMs);
    bench.controller->OnKeepAliveTick();
    EXPECT_THAT(bench.Requests(), ElementsAre(Bytes("11 01"), Bytes("3E 00")));
    EXPECT_EQ(EcuConnected.load(), 1);
}

// An ECU that is still silent when the allowance is over: one box, the link
// is closed as a failed keep-alive closes it, no page reads the closed link,
// and nothing else follows however long the program waits.
TEST_F(DownloadSequenceTest, AnEcuSilentBeyondTheAllowanceGivesOneBoxAndClosesTheLink)
{
    for (int language = 0; language < 5; ++language) {
        SCOPED_TRACE(language);
        LanguageIndex = language;
        ASSERT_TRUE(LoadLanguageConfig());
        if (EcuConnected.load() != 1) {
            bench.ecu->SetRestartTime(0);
            ASSERT_TRUE(bench.Connect());
        }
        bench.ecu->SetRestartTime(tarvel::kEcuRestartAllowanceMs + 3000);
        bench.files.QueueAnswer(FixturePath("linear.H86"));
        logic->OnOpenFile();
        ASSERT_EQ(FileLoaded, 1);
        pageMessages.clear();
        auto bus = bench.world.Bus(1);
        bus->SetRecording(true);
        Start();
        bus->SetRecording(false);
        const AfterReset after = RequestsAfterReset(bench.Requests(), bus->Recorded());
        const uint64_t endedMs = bench.clock.NowMs();

        EXPECT_THAT(bench.prompter.Boxes(), ElementsAre(tarvel_test::BoxIs(LanguageText(682), LanguageText(74))));
        EXPECT_FALSE(LanguageText(682).empty());
        EXPECT_EQ(EcuConnected.load(), 0);
        EXPECT_EQ(ConnectCommandEnabled, 1);
        EXPECT_FALSE(bench.controller->KeepAliveTimer().IsRunning());
        EXPECT_TRUE(pageMessages.empty()) << "no page reads the closed link";
        for (const ByteVector& r : after.requests)
            EXPECT_EQ(r, Bytes("3E 00"));
        EXPECT_GE(after.requests.size(), tarvel::kEcuRestartAllowanceMs / tarvel::kEcuRestartProbeMs - 2);
        EXPECT_LE(after.requests.size(), tarvel::kEcuRestartAllowanceMs / tarvel::kEcuRestartProbeMs + 1);
        // Given up at the allowance (the closing of the adapter takes its 500 ms).
        EXPECT_LE(endedMs, after.resetAnsweredMs + tarvel::kEcuRestartAllowanceMs + tarvel::kEcuRestartProbeMs + 600);
        EXPECT_EQ(LastLine(), "Download Success");
        ExpectIdleAgain();

        // No chain of time-outs after it.
        const size_t requests = bench.Requests().size();
        bench.Advance(30 * 1000);
        EXPECT_EQ(bench.prompter.Count(), 1u);
        EXPECT_EQ(bench.Requests().size(), requests);
    }
}

// Reloads that reach the pages after the link was closed read nothing and
// show nothing: the ECU information and the lifting-axle configuration.
TEST_F(DownloadSequenceTest, ReloadsOverAClosedLinkReadNothingAndShowNothing)
{
    tarvel::PageLogic* information = bench.pages.Logic(tarvel::TabDeviceInfo);
    tarvel::PageLogic* lifting = bench.pages.Logic(tarvel::TabLiftingAxleCalibration);
    auto* deviceInfoLogic = dynamic_cast<DeviceInfoLogic*>(information);
    auto* liftingLogic = dynamic_cast<LiftingAxleCalibrationLogic*>(lifting);
    ASSERT_NE(deviceInfoLogic, nullptr);
    ASSERT_NE(liftingLogic, nullptr);
    bench.Disconnect();
    ASSERT_EQ(EcuConnected.load(), 0);
    bench.ClearRequests();
    bench.prompter.Clear();
    const uint64_t before = bench.clock.NowMs();
    deviceInfoLogic->OnDeviceInfoReload();
    liftingLogic->HandleMessage(WM_LIFTAXLE_RELOAD_CONFIG);
    EXPECT_EQ(bench.prompter.Count(), 0u);
    EXPECT_TRUE(bench.Requests().empty());
    EXPECT_LE(bench.clock.NowMs() - before, 10u) << "no wait for an answer that cannot come";
}

} // namespace
