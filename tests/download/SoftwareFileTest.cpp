// The ECU software file reader: a table of small files, the extension table,
// what a good read publishes, and files written by objcopy and srec_cat.
#include "DiagnosisGlobals.h"
#include "SoftwareFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using tarvel::RecordFault;
using tarvel::SoftwareFileFault;
using Bytes = std::vector<uint8_t>;

namespace {

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Fixture(const std::string& name)
{
    return ReadText(fs::path(TARVEL_DOWNLOAD_FIXTURES) / name);
}

Bytes Range(uint8_t first, size_t n)
{
    Bytes b;
    for (size_t i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(first + i));
    return b;
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Bytes kZero{0, 0, 0, 0};

struct Case {
    const char* file;
    SoftwareFileFault fault;
    RecordFault recordFault;
    size_t line;
    uint32_t start;
    Bytes image;
    Bytes bootLoader;
    Bytes hardware;
};

std::ostream& operator<<(std::ostream& os, const Case& c) { return os << c.file; }

class SoftwareFileTable : public testing::TestWithParam<Case> {};

TEST_P(SoftwareFileTable, ReadsOrRefusesTheFile)
{
    const Case& c = GetParam();
    const auto r = tarvel::ReadSoftwareFileText(Fixture(c.file));
    EXPECT_EQ(r.fault, c.fault);
    EXPECT_EQ(r.recordFault, c.recordFault);
    EXPECT_EQ(r.line, c.line);
    if (c.fault != SoftwareFileFault::None) {
        EXPECT_FALSE(r.Ok());
        EXPECT_TRUE(r.image.bytes.empty());
        EXPECT_FALSE(tarvel::DescribeSoftwareFileFault(r).empty());
        return;
    }
    ASSERT_TRUE(r.Ok()) << tarvel::DescribeSoftwareFileFault(r);
    EXPECT_EQ(r.image.startAddress, c.start);
    EXPECT_EQ(r.image.bytes, c.image);
    EXPECT_EQ(r.image.bootLoaderVersion, c.bootLoader);
    EXPECT_EQ(r.image.hardwareVersion, c.hardware);
}

const Bytes kD16 = Range(0x10, 16);
const Bytes kD8 = Range(0xA0, 8);

INSTANTIATE_TEST_SUITE_P(
    Files, SoftwareFileTable,
    testing::Values(
        // 04 + two contiguous data records, both version lines.
        Case{"linear.H86", SoftwareFileFault::None, RecordFault::None, 0, 0x00010000, Join({kD16, kD8}),
             {0x30, 0x31, 0x30, 0x32}, {0x30, 0x32, 0x30, 0x31}},
        // Only 02 addressing: segment 0x1234 * 16 + offset 0x10; no version lines.
        Case{"segment.hex", SoftwareFileFault::None, RecordFault::None, 0, 0x00012350, kD8, kZero, kZero},
        // "01" pads with 0 bytes.
        Case{"short_version.HEX", SoftwareFileFault::None, RecordFault::None, 0, 0, kD8, {0x30, 0x31, 0, 0},
             {0x41, 0x42, 0x43, 0x44}},
        // An empty version value is four 0 bytes: refused.
        Case{"empty_version.hex", SoftwareFileFault::ZeroVersion, RecordFault::None, 1, 0, {}, {}, {}},
        // A version line after the first address record follows the preset 00 00 00 00.
        Case{"late_version.hex", SoftwareFileFault::ZeroVersion, RecordFault::None, 2, 0, {}, {}, {}},
        // No address record: the image starts at the data's own address; empty lines are allowed.
        Case{"no_address.hex", SoftwareFileFault::None, RecordFault::None, 0, 0x100, kD8, kZero, kZero},
        Case{"stray_text.hex", SoftwareFileFault::NotARecord, RecordFault::None, 4, 0, {}, {}, {}},
        Case{"bad_checksum.hex", SoftwareFileFault::BadRecord, RecordFault::Checksum, 3, 0, {}, {}, {}},
        Case{"bad_count.hex", SoftwareFileFault::BadRecord, RecordFault::ByteCount, 3, 0, {}, {}, {}},
        Case{"non_hex.hex", SoftwareFileFault::BadRecord, RecordFault::HexDigit, 3, 0, {}, {}, {}},
        Case{"unknown_type.hex", SoftwareFileFault::BadRecord, RecordFault::RecordType, 3, 0, {}, {}, {}},
        Case{"overlap.hex", SoftwareFileFault::Overlap, RecordFault::None, 3, 0, {}, {}, {}},
        Case{"no_data.hex", SoftwareFileFault::EmptyImage, RecordFault::None, 0, 0, {}, {}, {}},
        // 4 bytes at 0x20000, 4 at 0x20008: the hole reads 0xFF.
        Case{"gap.hex", SoftwareFileFault::None, RecordFault::None, 0, 0x00020000,
             Join({Range(0xA0, 4), Bytes(4, 0xFF), Range(0xA4, 4)}), kZero, kZero},
        // 0xFFF0 in the first 64 KiB, then a second 04 record: one contiguous image.
        Case{"boundary.hex", SoftwareFileFault::None, RecordFault::None, 0, 0x0000FFF0, Join({kD16, kD8}), kZero,
             kZero},
        // 03 and 05 are ignored; nothing after the end-of-file record is read.
        Case{"after_end.hex", SoftwareFileFault::None, RecordFault::None, 0, 0, kD8, kZero, kZero},
        // Records out of address order land at their addresses (16 bytes at 0 after 8 at 0x10).
        Case{"out_of_order.hex", SoftwareFileFault::None, RecordFault::None, 0, 0, Join({kD16, kD8}), kZero,
             kZero}));

TEST(SoftwareFile, CrLfTrailingBlanksAndLowerCaseDigitsReadLikeThePlainFile)
{
    const auto plain = tarvel::ReadSoftwareFileText(Fixture("linear.H86"));
    const auto crlf = tarvel::ReadSoftwareFileText(Fixture("linear_crlf.H86"));
    ASSERT_TRUE(plain.Ok());
    ASSERT_TRUE(crlf.Ok()) << tarvel::DescribeSoftwareFileFault(crlf);
    EXPECT_EQ(crlf.image.startAddress, plain.image.startAddress);
    EXPECT_EQ(crlf.image.bytes, plain.image.bytes);
    EXPECT_EQ(crlf.image.bootLoaderVersion, plain.image.bootLoaderVersion);
    EXPECT_EQ(crlf.image.hardwareVersion, plain.image.hardwareVersion);
}

TEST(SoftwareFile, RecordEdgeCases)
{
    struct Row {
        const char* text;
        SoftwareFileFault fault;
        RecordFault recordFault;
    };
    const Row rows[] = {
        {":\n", SoftwareFileFault::BadRecord, RecordFault::ByteCount},
        {":00000001F\n", SoftwareFileFault::BadRecord, RecordFault::HexDigit},
        {":0100000001\n", SoftwareFileFault::BadRecord, RecordFault::ByteCount},
        // A 04 record with one byte only.
        {":0100000401FA\n", SoftwareFileFault::BadRecord, RecordFault::AddressRecord},
        // FFFF:FFF8 + 16 bytes runs past 4 GiB.
        {":02000004FFFFFC\n:10FFF800000102030405060708090A0B0C0D0E0F81\n", SoftwareFileFault::BadRecord,
         RecordFault::AddressRange},
        // Comment lines other than the two version lines are not allowed.
        {"; built 2026-01-01\n", SoftwareFileFault::NotARecord, RecordFault::None},
        // A blank before the colon makes a line that is not a record.
        {" :00000001FF\n", SoftwareFileFault::NotARecord, RecordFault::None},
        // A span beyond the limit is refused before anything is allocated.
        {":020000040000FA\n:0100000000FF\n:020000040800F2\n:0100000000FF\n", SoftwareFileFault::TooLarge,
         RecordFault::None},
    };
    for (const Row& row : rows) {
        const auto r = tarvel::ReadSoftwareFileText(row.text);
        EXPECT_EQ(r.fault, row.fault) << row.text;
        EXPECT_EQ(r.recordFault, row.recordFault) << row.text;
    }
}

TEST(SoftwareFile, SegmentOffsetsWrapWithinTheirSegment)
{
    // Segment 0x1000, 4 bytes at offset 0xFFFE: two land at 0x1FFFE, two at 0x10000.
    const auto r = tarvel::ReadSoftwareFileText(":020000021000EC\n:04FFFE0001020304F5\n:00000001FF\n");
    ASSERT_TRUE(r.Ok()) << tarvel::DescribeSoftwareFileFault(r);
    EXPECT_EQ(r.image.startAddress, 0x10000u);
    ASSERT_EQ(r.image.bytes.size(), 0x10000u);
    EXPECT_EQ(r.image.bytes[0], 3);
    EXPECT_EQ(r.image.bytes[1], 4);
    EXPECT_EQ(r.image.bytes[2], 0xFF);
    EXPECT_EQ(r.image.bytes[0xFFFE], 1);
    EXPECT_EQ(r.image.bytes[0xFFFF], 2);
}

TEST(SoftwareFile, FaultTextNamesTheLine)
{
    const auto r = tarvel::ReadSoftwareFileText(Fixture("bad_checksum.hex"));
    EXPECT_EQ(tarvel::DescribeSoftwareFileFault(r), "Line 3 has a wrong checksum, file not loaded");
}

TEST(SoftwareFile, ExtensionTable)
{
    struct Row {
        const char* path;
        const char* extension;
        bool accepted;
    };
    const Row rows[] = {
        {"/fw/brake.H86", "H86", true},   {"/fw/brake.hex", "hex", true},  {"/fw/brake.HEX", "HEX", true},
        {"/fw/brake.h86", "h86", false},  {"/fw/brake.Hex", "Hex", false}, {"/fw/brake.bin", "bin", false},
        {"/fw/brake", "", false},         {"/fw.v2/brake", "v2/brake", false},
        {"C:\\fw\\brake.H86", "H86", true}, {"/fw/brake.H86.bak", "bak", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(tarvel::SoftwareFileExtension(row.path), row.extension) << row.path;
        EXPECT_EQ(tarvel::IsSoftwareFileExtension(tarvel::SoftwareFileExtension(row.path)), row.accepted) << row.path;
    }
    EXPECT_EQ(tarvel::SoftwareFileFolder("/fw/new/brake.H86"), "/fw/new/");
    EXPECT_EQ(tarvel::SoftwareFileFolder("C:\\fw\\brake.H86"), "C:\\fw\\");
    EXPECT_EQ(tarvel::SoftwareFileFolder("brake.H86"), "");
}

TEST(SoftwareFile, ReadingPublishesNothingAndCommitFillsEveryGlobal)
{
    ResetDiagnosisGlobals();
    const auto r = tarvel::ReadSoftwareFileText(Fixture("boundary.hex"));
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(FileLoaded, 0);
    EXPECT_TRUE(FlashImage.empty());
    EXPECT_TRUE(FlashBootLoaderVersion.empty());

    tarvel::CommitSoftwareImage(r.image);
    EXPECT_EQ(FileLoaded, 1);
    EXPECT_EQ(FlashStartAddress, 0x0000FFF0u);
    EXPECT_EQ(FlashImageLength, 24u);
    EXPECT_EQ(FlashAddressBytes, (Bytes{0x00, 0x00, 0xFF, 0xF0}));
    EXPECT_EQ(FlashLengthBytes, (Bytes{0x00, 0x00, 0x00, 0x18}));
    EXPECT_EQ(FlashImage, r.image.bytes);
    EXPECT_EQ(FlashBootLoaderVersion, kZero);
    EXPECT_EQ(FlashHardwareVersion, kZero);

    ResetDiagnosisGlobals();
    EXPECT_EQ(FileLoaded, 0);
    EXPECT_EQ(FlashStartAddress, 0u);
    EXPECT_EQ(FlashAddressBytes, kZero);
    EXPECT_TRUE(FlashImage.empty());
    EXPECT_TRUE(FlashHardwareVersion.empty());
}

// ---- Files written by independent tools ----

class TempDir {
public:
    TempDir()
    {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("tarvel-hex-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

bool RunTool(const std::string& command)
{
    const int rc = std::system((command + " 2>/dev/null").c_str());
    EXPECT_EQ(rc, 0) << command;
    return rc == 0;
}

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

std::string Hex(uint32_t v)
{
    std::ostringstream os;
    os << "0x" << std::hex << v;
    return os.str();
}

void WriteRandom(const fs::path& path, size_t size, std::mt19937& rng)
{
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(rng() & 0xFF);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// What objcopy makes of an Intel-HEX file as a flat binary: lowest to highest
// address with 0xFF in the gaps.
Bytes ObjcopyImage(const fs::path& hex, const fs::path& bin)
{
    if (!RunTool(std::string(TARVEL_OBJCOPY) + " -I ihex -O binary --gap-fill 0xff " + Quote(hex) + " " + Quote(bin)))
        return {};
    const std::string text = ReadText(bin);
    return Bytes(text.begin(), text.end());
}

void ExpectSameAsObjcopy(const fs::path& hex, const fs::path& bin, uint32_t start, const std::string& what)
{
    const auto r = tarvel::ReadSoftwareFileText(ReadText(hex));
    ASSERT_TRUE(r.Ok()) << what << ": " << tarvel::DescribeSoftwareFileFault(r);
    EXPECT_EQ(r.image.startAddress, start) << what;
    const Bytes expected = ObjcopyImage(hex, bin);
    ASSERT_FALSE(expected.empty()) << what;
    EXPECT_EQ(r.image.bytes.size(), expected.size()) << what;
    EXPECT_TRUE(r.image.bytes == expected) << what;
    EXPECT_EQ(r.image.bootLoaderVersion, kZero) << what;
}

TEST(SoftwareFileIndependent, ContiguousFilesFromObjcopy)
{
    if (std::string(TARVEL_OBJCOPY).empty()) GTEST_SKIP() << "objcopy not installed (scripts/install-deps.sh)";
    TempDir dir;
    std::mt19937 rng(20261210);
    // Start addresses below 1 MiB give 02 records, above 04 records; sizes
    // cross one or more 64 KiB boundaries.
    const uint32_t starts[] = {0x0, 0x1FFF0, 0x8FF00, 0x00010000, 0x00FFFFF0, 0x08003C00, 0x7FFFFF01};
    for (uint32_t start : starts) {
        const size_t size = 1 + rng() % 150000;
        WriteRandom(dir / "in.bin", size, rng);
        ASSERT_TRUE(RunTool(std::string(TARVEL_OBJCOPY) + " -I binary -O ihex --change-addresses=" + Hex(start) + " " +
                        Quote(dir / "in.bin") + " " + Quote(dir / "in.hex")));
        const std::string what = "start " + Hex(start) + " size " + std::to_string(size);
        ExpectSameAsObjcopy(dir / "in.hex", dir / "back.bin", start, what);
        const std::string original = ReadText(dir / "in.bin");
        const auto r = tarvel::ReadSoftwareFileText(ReadText(dir / "in.hex"));
        EXPECT_TRUE(r.image.bytes == Bytes(original.begin(), original.end())) << what;
    }
}

TEST(SoftwareFileIndependent, FilesWithGapsFromSrecCat)
{
    if (std::string(TARVEL_SREC_CAT).empty() || std::string(TARVEL_OBJCOPY).empty())
        GTEST_SKIP() << "srec_cat or objcopy not installed (scripts/install-deps.sh)";
    TempDir dir;
    std::mt19937 rng(4711);
    for (int round = 0; round < 6; ++round) {
        // Three blocks with random gaps between them, in linear (04) and
        // segmented (02) form, records of 16 or 32 bytes.
        uint32_t address = round < 3 ? 0x00400000u + (rng() % 0x30000) : rng() % 0x40000;
        const uint32_t start = address;
        std::string command = TARVEL_SREC_CAT;
        for (int block = 0; block < 3; ++block) {
            const size_t size = 1 + rng() % 20000;
            const std::string name = "b" + std::to_string(block) + ".bin";
            WriteRandom(dir / name, size, rng);
            command += " " + Quote(dir / name) + " -binary -offset " + Hex(address);
            address += static_cast<uint32_t>(size) + 1 + rng() % 70000;
        }
        command += " -o " + Quote(dir / "gaps.hex") + " -intel --address-length=" + (round < 3 ? "4" : "3") +
                   " --output-block-size=" + (round % 2 ? "32" : "16");
        ASSERT_TRUE(RunTool(command));
        ExpectSameAsObjcopy(dir / "gaps.hex", dir / "gaps.bin", start, "round " + std::to_string(round));
    }
}

TEST(SoftwareFileIndependent, OverlappingBlocksAreRefused)
{
    if (std::string(TARVEL_SREC_CAT).empty()) GTEST_SKIP() << "srec_cat not installed (scripts/install-deps.sh)";
    TempDir dir;
    std::mt19937 rng(99);
    WriteRandom(dir / "a.bin", 512, rng);
    WriteRandom(dir / "b.bin", 512, rng);
    // Two files joined by hand: the second writes over the end of the first.
    ASSERT_TRUE(RunTool(std::string(TARVEL_SREC_CAT) + " " + Quote(dir / "a.bin") + " -binary -offset 0x10000 -o " +
                    Quote(dir / "a.hex") + " -intel"));
    ASSERT_TRUE(RunTool(std::string(TARVEL_SREC_CAT) + " " + Quote(dir / "b.bin") + " -binary -offset 0x10100 -o " +
                    Quote(dir / "b.hex") + " -intel"));
    std::string a = ReadText(dir / "a.hex");
    a = a.substr(0, a.find(":00000001FF"));
    const auto r = tarvel::ReadSoftwareFileText(a + ReadText(dir / "b.hex"));
    EXPECT_EQ(r.fault, SoftwareFileFault::Overlap);
}

} // namespace
