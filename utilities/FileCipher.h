// Encrypts or decrypts one file into another with a pass phrase: the MD5 of
// the pass phrase is the RC4 key (128 bits, the whole digest), and the file is
// run through the key stream in blocks of 1000 bytes. RC4 is symmetric, so
// decrypting is the same transformation; the two calls differ only in their
// traces. Failures are reported as debug traces and answer 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvel {

class FileCipher {
public:
    static constexpr size_t kBlockSize = 1000;
    // A block cipher may need up to one block of padding; RC4 never does, but
    // the buffer keeps the room so another algorithm can be swapped in.
    static constexpr size_t kBufferSize = kBlockSize + 8;

    FileCipher() = default;

    // Each answers 1 on success and 0 on failure. The source is only read;
    // the result is written beside the destination and moved onto it once
    // complete, so a failed run never leaves a half-written destination and
    // never damages the source, even when both name the same file.
    int EncryptFile(const std::string& sourcePath, const std::string& destinationPath, const char* passPhrase);
    int DecryptFile(const std::string& sourcePath, const std::string& destinationPath, const char* passPhrase);

    // The 128-bit RC4 key derived from a pass phrase (its MD5 digest).
    static std::vector<uint8_t> DeriveKey(const char* passPhrase);

private:
    int Process(const std::string& sourcePath, const std::string& destinationPath, const char* passPhrase);

    std::string source_;
    std::string destination_;
    size_t byteCount_ = 0;
};

} // namespace tarvel
