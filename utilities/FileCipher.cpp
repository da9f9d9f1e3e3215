#include "FileCipher.h"

#include "Log.h"
#include "Md5.h"
#include "Rc4.h"

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>

namespace fs = std::filesystem;

namespace tarvel {

namespace {

// A name beside the destination for the file being written; unique within
// the process so two ciphers never share one.
fs::path PartialPath(const fs::path& destination)
{
    static std::atomic<unsigned> counter{0};
    fs::path partial = destination;
    partial += ".part" + std::to_string(counter.fetch_add(1));
    return partial;
}

void RemoveQuietly(const fs::path& path)
{
    std::error_code ignored;
    fs::remove(path, ignored);
}

} // namespace

std::vector<uint8_t> FileCipher::DeriveKey(const char* passPhrase)
{
    // A fresh hash for every key: a digest once finished cannot take more
    // data, and reusing it would make every operation after the first fail.
    Md5 hash;
    hash.Update(passPhrase, std::strlen(passPhrase));
    const Md5::Digest digest = hash.Finish();
    return std::vector<uint8_t>(digest.begin(), digest.end());
}

int FileCipher::EncryptFile(const std::string& sourcePath, const std::string& destinationPath,
                            const char* passPhrase)
{
    return Process(sourcePath, destinationPath, passPhrase);
}

int FileCipher::DecryptFile(const std::string& sourcePath, const std::string& destinationPath,
                            const char* passPhrase)
{
    // RC4 is its own inverse: the same key stream restores the plain text.
    return Process(sourcePath, destinationPath, passPhrase);
}

int FileCipher::Process(const std::string& sourcePath, const std::string& destinationPath, const char* passPhrase)
{
    source_ = sourcePath;
    destination_ = destinationPath;
    byteCount_ = 0;

    const fs::path source = fs::u8path(sourcePath);
    const fs::path destination = fs::u8path(destinationPath);

    std::ifstream in(source, std::ios::binary);
    std::error_code ec;
    if (sourcePath.empty() || !in || fs::is_directory(source, ec)) {
        TraceLog("open source file failed!");
        return 0;
    }
    if (passPhrase == nullptr) {
        TraceLog("CryptHashData() failed!");
        return 0;
    }
    const fs::path partial = PartialPath(destination);
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (destinationPath.empty() || !out) {
        TraceLog("open destination file failed!");
        return 0;
    }

    const std::vector<uint8_t> key = DeriveKey(passPhrase);
    Rc4 cipher(key.data(), key.size());

    std::vector<uint8_t> buffer;
    try {
        buffer.resize(kBufferSize);
    } catch (const std::bad_alloc&) {
        TraceLog("分配内存错误!");
        out.close();
        RemoveQuietly(partial);
        return 0;
    }

    auto fail = [&](const char* trace) {
        TraceLog(trace);
        out.close();
        RemoveQuietly(partial);
        return 0;
    };

    bool finalBlock = false;
    while (!finalBlock) {
        in.read(reinterpret_cast<char*>(buffer.data()), std::streamsize(kBlockSize));
        if (in.bad())
            return fail("读写源文件错误!");
        byteCount_ = size_t(in.gcount());
        // A short read means the end of the source; a full block may be the
        // last one too, which the next (empty) read finds out.
        finalBlock = byteCount_ < kBlockSize || in.peek() == std::char_traits<char>::eof();
        if (in.bad())
            return fail("读写源文件错误!");
        cipher.Process(buffer.data(), byteCount_);
        out.write(reinterpret_cast<const char*>(buffer.data()), std::streamsize(byteCount_));
        if (!out)
            return fail("write file error!");
    }
    in.close();
    out.close();
    if (!out)
        return fail("write file error!");

    fs::rename(partial, destination, ec);
    if (ec)
        return fail("write file error!");
    return 1;
}

} // namespace tarvel
