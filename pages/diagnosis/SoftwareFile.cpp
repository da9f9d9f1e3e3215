#include "SoftwareFile.h"

#include "DiagnosisGlobals.h"

#include <algorithm>
#include <cstdio>

namespace tarvel {
namespace {

constexpr std::string_view kBootLoaderPrefix = ";BL=";
constexpr std::string_view kHardwarePrefix = ";HW=";
// The first address record of a file (02 or 04, both two bytes at 0000).
constexpr std::string_view kFirstAddressRecord = ":020000";

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::string_view TrimLineEnd(std::string_view line)
{
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == '\r' || line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
    return line.substr(0, end);
}

// Four bytes from the codes of the first four characters; missing ones are 0.
void AppendVersion(std::vector<uint8_t>& version, std::string_view text)
{
    for (size_t i = 0; i < 4; ++i) version.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

bool FirstFourZero(const std::vector<uint8_t>& version)
{
    return version.size() >= 4 && version[0] == 0 && version[1] == 0 && version[2] == 0 && version[3] == 0;
}

// One data record's bytes: where they go and where they stand in the buffer.
struct Piece {
    uint64_t address;
    size_t offset;
    size_t length;
    size_t line;
};

class Reader {
public:
    SoftwareFileResult Read(std::string_view text)
    {
        if (StartsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
        size_t lineNo = 0;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t lf = text.find('\n', pos);
            if (lf == std::string_view::npos) lf = text.size();
            std::string_view line = TrimLineEnd(text.substr(pos, lf - pos));
            pos = lf + 1;
            ++lineNo;
            bool endOfFile = false;
            if (!Line(line, lineNo, endOfFile)) return std::move(result_);
            if (endOfFile) break;
        }
        return Finish();
    }

private:
    bool Fail(SoftwareFileFault fault, size_t line, RecordFault recordFault = RecordFault::None)
    {
        result_.fault = fault;
        result_.recordFault = recordFault;
        result_.line = line;
        return false;
    }

    bool Line(std::string_view line, size_t lineNo, bool& endOfFile)
    {
        if (StartsWith(line, kFirstAddressRecord)) {
            if (!sawAddressRecord_) {
                sawAddressRecord_ = true;
                if (bootLoader_.empty()) bootLoader_.assign(4, 0);
                if (hardware_.empty()) hardware_.assign(4, 0);
            }
        } else if (!line.empty() && line[0] != ':') {
            std::vector<uint8_t>* version = nullptr;
            if (StartsWith(line, kBootLoaderPrefix))
                version = &bootLoader_;
            else if (StartsWith(line, kHardwarePrefix))
                version = &hardware_;
            else
                return Fail(SoftwareFileFault::NotARecord, lineNo);
            AppendVersion(*version, line.substr(4));
            if (FirstFourZero(*version)) return Fail(SoftwareFileFault::ZeroVersion, lineNo);
            return true;
        }
        if (line.empty()) return true;
        return Record(line, lineNo, endOfFile);
    }

    bool Record(std::string_view line, size_t lineNo, bool& endOfFile)
    {
        // ':' count(1) address(2) type(1) data(count) checksum(1), as hex pairs.
        const size_t digits = line.size() - 1;
        if (digits % 2 != 0) return Fail(SoftwareFileFault::BadRecord, lineNo, RecordFault::HexDigit);
        const size_t bytes = digits / 2;
        record_.resize(bytes);
        for (size_t i = 0; i < bytes; ++i) {
            const int hi = HexValue(line[1 + 2 * i]);
            const int lo = HexValue(line[2 + 2 * i]);
            if (hi < 0 || lo < 0) return Fail(SoftwareFileFault::BadRecord, lineNo, RecordFault::HexDigit);
            record_[i] = static_cast<uint8_t>(hi << 4 | lo);
        }
        if (bytes < 5 || bytes != 5u + record_[0]) return Fail(SoftwareFileFault::BadRecord, lineNo, RecordFault::ByteCount);
        uint8_t sum = 0;
        for (uint8_t b : record_) sum = static_cast<uint8_t>(sum + b);
        if (sum != 0) return Fail(SoftwareFileFault::BadRecord, lineNo, RecordFault::Checksum);

        const size_t count = record_[0];
        const uint32_t offset = static_cast<uint32_t>(record_[1]) << 8 | record_[2];
        const uint8_t* data = record_.data() + 4;
        switch (record_[3]) {
        case 0x00:
            return Data(offset, data, count, lineNo);
        case 0x01:
            endOfFile = true;
            return true;
        case 0x02:
        case 0x04: {
            if (count != 2) return Fail(SoftwareFileFault::BadRecord, lineNo, RecordFault::AddressRecord);
            const uint32_t value = static_cast<uint32_t>(data[0]) << 8 | data[1];
            segmented_ = record_[3] == 0x02;
            base_ = segmented_ ? value << 4 : value << 16;
            return true;
        }
        case 0x03:
        case 0x05:
            return true;
        default:
            return Fail(SoftwareFileFault::BadRecord, lineNo, RecordFault::RecordType);
        }
    }

    bool Data(uint32_t offset, const uint8_t* data, size_t count, size_t lineNo)
    {
        if (count == 0) return true;
        if (segmented_ && offset + count > 0x10000) {
            // The offset wraps within the segment.
            const size_t first = 0x10000 - offset;
            Add(static_cast<uint64_t>(base_) + offset, data, first, lineNo);
            Add(base_, data + first, count - first, lineNo);
            return true;
        }
        const uint64_t address = static_cast<uint64_t>(base_) + offset;
        if (address + count > 0x100000000ull)
            return Fail(SoftwareFileFault::BadRecord, lineNo, RecordFault::AddressRange);
        Add(address, data, count, lineNo);
        return true;
    }

    void Add(uint64_t address, const uint8_t* data, size_t count, size_t lineNo)
    {
        pieces_.push_back(Piece{address, buffer_.size(), count, lineNo});
        buffer_.insert(buffer_.end(), data, data + count);
    }

    SoftwareFileResult Finish()
    {
        if (pieces_.empty()) {
            Fail(SoftwareFileFault::EmptyImage, 0);
            return std::move(result_);
        }
        auto byAddress = [](const Piece& a, const Piece& b) { return a.address < b.address; };
        if (!std::is_sorted(pieces_.begin(), pieces_.end(), byAddress))
            std::stable_sort(pieces_.begin(), pieces_.end(), byAddress);
        const uint64_t start = pieces_.front().address;
        uint64_t end = start;
        size_t endLine = 0;
        for (const Piece& p : pieces_) {
            if (p.address < end) {
                Fail(SoftwareFileFault::Overlap, std::max(p.line, endLine));
                return std::move(result_);
            }
            end = p.address + p.length;
            endLine = p.line;
        }
        if (end - start > kMaxSoftwareImageSpan) {
            Fail(SoftwareFileFault::TooLarge, 0);
            return std::move(result_);
        }
        SoftwareImage& image = result_.image;
        image.startAddress = static_cast<uint32_t>(start);
        image.bytes.assign(static_cast<size_t>(end - start), 0xFF);
        for (const Piece& p : pieces_)
            std::copy_n(buffer_.begin() + static_cast<std::ptrdiff_t>(p.offset), p.length,
                        image.bytes.begin() + static_cast<std::ptrdiff_t>(p.address - start));
        if (bootLoader_.empty()) bootLoader_.assign(4, 0);
        if (hardware_.empty()) hardware_.assign(4, 0);
        image.bootLoaderVersion.assign(bootLoader_.begin(), bootLoader_.begin() + 4);
        image.hardwareVersion.assign(hardware_.begin(), hardware_.begin() + 4);
        return std::move(result_);
    }

    SoftwareFileResult result_;
    bool sawAddressRecord_ = false;
    std::vector<uint8_t> bootLoader_;
    std::vector<uint8_t> hardware_;
    bool segmented_ = false;
    uint32_t base_ = 0;
    std::vector<uint8_t> record_;
    std::vector<uint8_t> buffer_;
    std::vector<Piece> pieces_;
};

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    out = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
           static_cast<uint8_t>(value)};
}

} // namespace

SoftwareFileResult ReadSoftwareFileText(std::string_view text)
{
    return Reader().Read(text);
}

std::string DescribeSoftwareFileFault(const SoftwareFileResult& result)
{
    const char* what = "";
    switch (result.fault) {
    case SoftwareFileFault::None: return {};
    case SoftwareFileFault::NotARecord: what = "is not a record"; break;
    case SoftwareFileFault::ZeroVersion: what = "carries a version of four 0 bytes"; break;
    case SoftwareFileFault::Overlap: what = "overlaps data of another record"; break;
    case SoftwareFileFault::EmptyImage: return "The file holds no data, file not loaded";
    case SoftwareFileFault::TooLarge: return "The file's data spans more than 64 MiB, file not loaded";
    case SoftwareFileFault::BadRecord:
        switch (result.recordFault) {
        case RecordFault::HexDigit: what = "has a character that is not a hex digit"; break;
        case RecordFault::ByteCount: what = "has a wrong byte count"; break;
        case RecordFault::Checksum: what = "has a wrong checksum"; break;
        case RecordFault::RecordType: what = "has an unknown record type"; break;
        case RecordFault::AddressRecord: what = "is an address record without two bytes"; break;
        case RecordFault::AddressRange: what = "has data beyond the 32-bit address range"; break;
        case RecordFault::None: what = "is a bad record"; break;
        }
        break;
    }
    char text[160];
    std::snprintf(text, sizeof text, "Line %zu %s, file not loaded", result.line, what);
    return text;
}

std::string SoftwareFileExtension(const std::string& path)
{
    const size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

bool IsSoftwareFileExtension(const std::string& extension)
{
    return extension == "H86" || extension == "hex" || extension == "HEX";
}

std::string SoftwareFileFolder(const std::string& path)
{
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

void CommitSoftwareImage(const SoftwareImage& image)
{
    FlashStartAddress = image.startAddress;
    FlashImageLength = static_cast<uint32_t>(image.bytes.size());
    PutBigEndian(FlashAddressBytes, FlashStartAddress);
    PutBigEndian(FlashLengthBytes, FlashImageLength);
    FlashImage = image.bytes;
    FlashBootLoaderVersion = image.bootLoaderVersion;
    FlashHardwareVersion = image.hardwareVersion;
    FileLoaded = 1;
}

} // namespace tarvel
