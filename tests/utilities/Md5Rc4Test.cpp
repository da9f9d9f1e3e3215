#include "Md5.h"
#include "Rc4.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tarvel {
namespace {

struct Md5Case {
    const char* message;
    const char* digest;
};

// The test suite of RFC 1321, appendix A.5.
const Md5Case kRfc1321Suite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5Test, MatchesRfc1321Suite)
{
    for (const Md5Case& c : kRfc1321Suite)
        EXPECT_EQ(Md5::ToHex(Md5::Of(std::string(c.message))), c.digest) << '"' << c.message << '"';
}

TEST(Md5Test, PiecewiseUpdatesEqualOneUpdate)
{
    // Pieces that straddle the 64-byte block and the 56-byte padding limit.
    std::string message;
    for (int i = 0; i < 300; ++i)
        message += char('A' + i % 26);
    const Md5::Digest whole = Md5::Of(message);
    for (size_t piece : {1u, 7u, 55u, 56u, 63u, 64u, 65u, 128u}) {
        Md5 md5;
        for (size_t at = 0; at < message.size(); at += piece)
            md5.Update(message.data() + at, std::min(piece, message.size() - at));
        EXPECT_EQ(md5.Finish(), whole) << "piece " << piece;
    }
}

TEST(Md5Test, FinishStartsAFreshDigest)
{
    Md5 md5;
    md5.Update(std::string("abc"));
    EXPECT_EQ(Md5::ToHex(md5.Finish()), "900150983cd24fb0d6963f7d28e17f72");
    md5.Update(std::string("message digest"));
    EXPECT_EQ(Md5::ToHex(md5.Finish()), "f96b697d7cb7938d525a2f31aaf161d0");
}

TEST(Rc4Test, PublishedVectorsAndStreamContinuity)
{
    // Widely published RC4 vectors (key "Key"/"Wiki"/"Secret").
    struct Case {
        std::string key, plain;
        std::vector<uint8_t> cipher;
    };
    const Case cases[] = {
        {"Key", "Plaintext", {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}},
        {"Wiki", "pedia", {0x10, 0x21, 0xBF, 0x04, 0x20}},
        {"Secret", "Attack at dawn", {0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38, 0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> data(c.plain.begin(), c.plain.end());
        Rc4 whole(reinterpret_cast<const uint8_t*>(c.key.data()), c.key.size());
        whole.Process(data.data(), data.size());
        EXPECT_EQ(data, c.cipher) << c.key;

        // Byte by byte gives the same stream.
        std::vector<uint8_t> split(c.plain.begin(), c.plain.end());
        Rc4 pieces(reinterpret_cast<const uint8_t*>(c.key.data()), c.key.size());
        for (uint8_t& b : split)
            pieces.Process(&b, 1);
        EXPECT_EQ(split, c.cipher) << c.key;
    }
}

TEST(Rc4Test, RefusesKeysOutsideOneTo256Bytes)
{
    std::vector<uint8_t> key(257, 1);
    EXPECT_THROW(Rc4(key.data(), 0), std::invalid_argument);
    EXPECT_THROW(Rc4(key.data(), 257), std::invalid_argument);
    EXPECT_THROW(Rc4(nullptr, 16), std::invalid_argument);
    EXPECT_NO_THROW(Rc4(key.data(), 256));
}

} // namespace
} // namespace tarvel
