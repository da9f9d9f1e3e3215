// A program download as the download page runs it (sessions, unlock,
// checks, erase, TransferData blocks, checksum, reset), measured in the
// simulated time of the bus it goes over: from Start Download to the end of
// the ECU's answer to the reset, with the bus time of every frame exchanged
// meanwhile. For the program's composition (ProgramComposition.h) or any
// bench whose buses run the timing model.
#pragma once

#include "CanBitTiming.h"
#include "CanIdentifiers.h"
#include "DownloadPageLogic.h"
#include "Prompter.h"
#include "SoftwareFile.h"
#include "VirtualClock.h"
#include "VirtualCanBus.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvel_test {

struct DownloadFigures {
    bool ok = false;
    std::string error = "the download did not succeed";
    uint64_t durationUs = 0;  // Start Download to the end of the reset's answer
    uint64_t busTimeUs = 0;   // bit time of every frame on the bus meanwhile
    uint64_t frames = 0;
};

// An image of `bytes` pseudo-random bytes at 0x00010000 with the boot-loader
// and hardware versions the simulated boot loader accepts.
inline tarvel::SoftwareImage DownloadImage(size_t bytes)
{
    tarvel::SoftwareImage image;
    image.startAddress = 0x00010000;
    image.bytes.resize(bytes);
    uint32_t x = 0x12345678;
    for (auto& b : image.bytes) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    image.bootLoaderVersion = {0x30, 0x31, 0x30, 0x32};
    image.hardwareVersion = {0x30, 0x32, 0x30, 0x31};
    return image;
}

// Downloads `image` through the download page's logic over `bus` (the bus
// the link is connected on) and measures it.
inline DownloadFigures TimedDownload(const tarvel::PageContext& context, tarvel::VirtualClock& clock,
                                     const std::shared_ptr<sim::CanBus>& bus, const tarvel::SoftwareImage& image,
                                     const tarvel::RecordingPrompter& prompter,
                                     const std::vector<uint8_t>* received = nullptr)
{
    DownloadFigures figures;
    tarvel::CommitSoftwareImage(image);
    DownloadPageLogic page(context);
    // Let the connection's own traffic leave the bus first.
    clock.Advance(10000);
    const size_t before = bus->Recorded().size();
    bus->SetRecording(true);
    const uint64_t start = clock.NowUs();
    page.OnStartDownload();
    bus->SetRecording(false);
    if (page.State().messages.empty() || page.State().messages.back() != "Download Success" ||
        (received && *received != image.bytes)) {
        const auto boxes = prompter.Boxes();
        figures.error = boxes.empty() ? "no success" : boxes.back().text;
        return figures;
    }
    auto frames = bus->Recorded();
    frames.erase(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(before));
    uint64_t end = 0;
    for (const sim::CanFrame& f : frames)
        if (f.id == tarvel::kUdsResponseCanId && f.data[0] == 0x02 && f.data[1] == 0x51 && f.data[2] == 0x01)
            end = f.timeUs;
    if (end <= start) {
        figures.error = "no answer to the reset";
        return figures;
    }
    for (const sim::CanFrame& f : frames) {
        if (f.timeUs > end)
            break;
        figures.busTimeUs += sim::CanFrameTimeUs(f, bus->Bitrate());
        ++figures.frames;
    }
    figures.durationUs = end - start;
    figures.ok = true;
    return figures;
}

} // namespace tarvel_test
