// ECU software files: Intel-HEX text with two comment lines that carry the
// boot-loader and hardware versions the ECU checks before it is flashed.
//
//   ;BL=0102                 boot-loader version: the codes of the first four
//   ;HW=0201                 characters ("0102" gives 30 31 30 32), missing
//                            characters count as 0
//   :020000040001F9          extended linear address (upper 16 address bits)
//   :10000000....            data records
//   :00000001FF              end of file
//
// Every record is verified (hex digits, byte count, checksum) and a bad one
// refuses the whole file: a corrupt image must never reach the brake ECU.
// Addresses are honoured: each 02 (segment) or 04 (linear) record sets the
// base for the data records after it and every data byte lands at its own
// address. The image runs from the lowest to the highest address written;
// gaps read 0xFF (erased flash), overlapping records refuse the file. Reading
// stops at the end-of-file record; 03 and 05 records are ignored.
//
// Reading fills a SoftwareImage and touches no program-wide state; only
// CommitSoftwareImage() publishes a good image to the download globals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvel {

enum class SoftwareFileFault {
    None,
    NotARecord,   // a line that is neither a record, a version line nor empty
    BadRecord,    // see RecordFault
    ZeroVersion,  // a version value of four 0 bytes
    Overlap,      // two data records write the same address
    EmptyImage,   // no data byte in the file
    TooLarge,     // the image would span more than kMaxSoftwareImageSpan bytes
};

enum class RecordFault {
    None,
    HexDigit,      // a character after ':' that is not a hex digit, or an odd digit count
    ByteCount,     // the byte count does not match the record's length
    Checksum,      // the bytes of the record do not sum to 0
    RecordType,    // a record type other than 00 to 05
    AddressRecord, // a 02 or 04 record that does not carry exactly two bytes
    AddressRange,  // data beyond the 32-bit address space
};

// Lowest to highest address of one image; the ECU's flash is far smaller.
constexpr uint32_t kMaxSoftwareImageSpan = 64u * 1024u * 1024u;

struct SoftwareImage {
    uint32_t startAddress = 0;
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> bootLoaderVersion; // always 4 bytes after a good read
    std::vector<uint8_t> hardwareVersion;   // always 4 bytes after a good read
};

struct SoftwareFileResult {
    SoftwareFileFault fault = SoftwareFileFault::None;
    RecordFault recordFault = RecordFault::None;
    size_t line = 0; // 1-based line of the fault; 0 when no single line is at fault
    SoftwareImage image;

    bool Ok() const { return fault == SoftwareFileFault::None; }
};

// Reads a whole file's text. Lines end with LF; a CR and blanks at the end of
// a line and a UTF-8 byte-order mark at the start of the text are dropped.
// Empty lines are allowed anywhere. A file without version lines carries the
// versions 00 00 00 00 (the ECU then skips its compatibility checks). As the
// ECU's tools write them, version lines stand before the first address record:
// that record presets both versions to 00 00 00 00, so a version line after it
// still begins with four 0 bytes and is refused.
SoftwareFileResult ReadSoftwareFileText(std::string_view text);

// One line for the download page's message list saying why a file was refused.
std::string DescribeSoftwareFileFault(const SoftwareFileResult& result);

// The text after the last '.' of a path (empty when there is none).
std::string SoftwareFileExtension(const std::string& path);
// "H86", "hex" and "HEX" exactly.
bool IsSoftwareFileExtension(const std::string& extension);
// The path up to and including its last '\' or '/'; empty when it has none.
std::string SoftwareFileFolder(const std::string& path);

// Publishes a good image: FlashStartAddress, FlashImageLength,
// FlashAddressBytes, FlashLengthBytes (both most significant byte first),
// FlashImage, FlashBootLoaderVersion, FlashHardwareVersion, and FileLoaded = 1.
void CommitSoftwareImage(const SoftwareImage& image);

} // namespace tarvel
