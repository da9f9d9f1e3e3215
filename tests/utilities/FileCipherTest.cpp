#include "FileCipher.h"
#include "Log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace tarvel {
namespace {

using Bytes = std::vector<uint8_t>;

class FileCipherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("tarvel_cipher_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        SetTraceSink([this](const std::string& line) { traces_.push_back(line); });
    }
    void TearDown() override
    {
        SetTraceSink({});
        fs::remove_all(dir_);
    }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    void Write(const std::string& name, const Bytes& data) const
    {
        std::ofstream out(dir_ / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    }
    Bytes Read(const std::string& name) const
    {
        std::ifstream in(dir_ / name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static Bytes Pattern(size_t size)
    {
        Bytes data(size);
        for (size_t i = 0; i < size; ++i)
            data[i] = uint8_t(i * 31 + 7);
        return data;
    }

    fs::path dir_;
    std::vector<std::string> traces_;
};

// The expected bytes below were computed outside this code base with a short
// python3 script: hashlib.md5(b"pass").digest() as the key of a hand-written
// RC4 (the published "Key"/"Plaintext" vector checked first).
TEST_F(FileCipherTest, KnownAnswerForPassPhrasePass)
{
    EXPECT_EQ(FileCipher::DeriveKey("pass"), (Bytes{0x1a, 0x1d, 0xc9, 0x1c, 0x90, 0x73, 0x25, 0xc6, 0x92, 0x71, 0xdd,
                                                   0xf0, 0xc9, 0x44, 0xbc, 0x72}));

    const std::string text = "Trailer brake ECU report";
    Write("plain.txt", Bytes(text.begin(), text.end()));
    FileCipher cipher;
    ASSERT_EQ(cipher.EncryptFile(PathOf("plain.txt"), PathOf("plain.enc"), "pass"), 1);
    EXPECT_EQ(Read("plain.enc"), (Bytes{0x8F, 0x79, 0xED, 0x91, 0xF6, 0x41, 0x61, 0x50, 0x72, 0x01, 0x53, 0xBE,
                                        0xC7, 0xA9, 0x8C, 0x68, 0xFC, 0x66, 0x86, 0xE7, 0xDC, 0x91, 0x8F, 0x77}));

    // Across the 1000-byte blocks the key stream runs on; it does not restart.
    Write("pattern.bin", Pattern(2500));
    ASSERT_EQ(cipher.EncryptFile(PathOf("pattern.bin"), PathOf("pattern.enc"), "pass"), 1);
    const Bytes encrypted = Read("pattern.enc");
    ASSERT_EQ(encrypted.size(), 2500u);
    EXPECT_EQ(Bytes(encrypted.begin() + 995, encrypted.begin() + 1005),
              (Bytes{0xCB, 0x54, 0xB9, 0x6A, 0x0C, 0x01, 0x81, 0xA8, 0x4C, 0x9C}));
    EXPECT_EQ(Bytes(encrypted.begin() + 2490, encrypted.end()),
              (Bytes{0x67, 0x40, 0xFA, 0x2B, 0x58, 0xEE, 0xA4, 0x9E, 0xD6, 0xE9}));
}

TEST_F(FileCipherTest, RoundTripAroundTheBlockSize)
{
    // One object for everything: each operation takes a fresh key.
    FileCipher cipher;
    for (size_t size : {0u, 999u, 1000u, 1001u, 2500u}) {
        SCOPED_TRACE(size);
        const Bytes plain = Pattern(size);
        Write("in.bin", plain);
        ASSERT_EQ(cipher.EncryptFile(PathOf("in.bin"), PathOf("enc.bin"), "Tarvel 2026"), 1);
        const Bytes encrypted = Read("enc.bin");
        ASSERT_EQ(encrypted.size(), size);
        if (size > 0) {
            EXPECT_NE(encrypted, plain);
        }
        ASSERT_EQ(cipher.DecryptFile(PathOf("enc.bin"), PathOf("out.bin"), "Tarvel 2026"), 1);
        EXPECT_EQ(Read("out.bin"), plain);
        // A wrong pass phrase does not restore the text.
        ASSERT_EQ(cipher.DecryptFile(PathOf("enc.bin"), PathOf("wrong.bin"), "Tarvel 2025"), 1);
        if (size > 0) {
            EXPECT_NE(Read("wrong.bin"), plain);
        }
    }
    EXPECT_EQ(Entries(), (std::vector<std::string>{"enc.bin", "in.bin", "out.bin", "wrong.bin"}));
    EXPECT_TRUE(traces_.empty());
}

TEST_F(FileCipherTest, MissingSourceFailsAndCreatesNothing)
{
    FileCipher cipher;
    EXPECT_EQ(cipher.EncryptFile(PathOf("absent.bin"), PathOf("out.bin"), "pass"), 0);
    EXPECT_EQ(cipher.DecryptFile(PathOf("absent.bin"), PathOf("out.bin"), "pass"), 0);
    EXPECT_EQ(cipher.EncryptFile(dir_.string(), PathOf("out.bin"), "pass"), 0); // a folder is no file
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(traces_, std::vector<std::string>(3, "open source file failed!"));
}

TEST_F(FileCipherTest, FailedDestinationKeepsSourceAndLeavesNoPartialFile)
{
    const Bytes plain = Pattern(1500);
    Write("source.bin", plain);
    FileCipher cipher;

    // Destination in a folder that does not exist.
    EXPECT_EQ(cipher.EncryptFile(PathOf("source.bin"), PathOf("no/such/dir/out.bin"), "pass"), 0);
    ASSERT_EQ(traces_.size(), 1u);
    EXPECT_EQ(traces_[0], "open destination file failed!");

    // Destination is a non-empty folder: the result is complete but cannot
    // take the destination's place.
    fs::create_directories(dir_ / "taken" / "inner");
    EXPECT_EQ(cipher.EncryptFile(PathOf("source.bin"), PathOf("taken"), "pass"), 0);
    ASSERT_EQ(traces_.size(), 2u);
    EXPECT_EQ(traces_[1], "write file error!");

    EXPECT_EQ(Read("source.bin"), plain);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"source.bin", "taken"}));
}

TEST_F(FileCipherTest, SourceAndDestinationMayBeTheSameFile)
{
    const Bytes plain = Pattern(2100);
    Write("doc.bin", plain);
    FileCipher cipher;
    ASSERT_EQ(cipher.EncryptFile(PathOf("doc.bin"), PathOf("doc.bin"), "pass"), 1);
    EXPECT_EQ(Read("doc.bin").size(), plain.size());
    EXPECT_NE(Read("doc.bin"), plain);
    ASSERT_EQ(cipher.DecryptFile(PathOf("doc.bin"), PathOf("doc.bin"), "pass"), 1);
    EXPECT_EQ(Read("doc.bin"), plain);
    EXPECT_EQ(Entries(), std::vector<std::string>{"doc.bin"});
}

TEST_F(FileCipherTest, NullPassPhraseFailsBeforeWriting)
{
    Write("source.bin", Pattern(10));
    FileCipher cipher;
    EXPECT_EQ(cipher.EncryptFile(PathOf("source.bin"), PathOf("out.bin"), nullptr), 0);
    EXPECT_EQ(Entries(), std::vector<std::string>{"source.bin"});
    EXPECT_EQ(traces_, std::vector<std::string>{"CryptHashData() failed!"});
}

} // namespace
} // namespace tarvel
