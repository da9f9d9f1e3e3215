// One channel's receive ring: a single-producer single-consumer queue of
// 2048 slots between the device's receive thread (the only writer of the
// write position) and the API caller (the only writer of the read position).
// The producer stores the entry before it publishes the new write position
// (release), and the consumer reads the entry only after it has seen that
// position (acquire); likewise the other way round for the read position, so
// a slot is never reused while its entry is being copied out.
//
// A full ring refuses the new frame: unread frames are never overwritten.
// One slot stays empty so that full and empty differ, which caps the count
// at 2047.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace dravix {

struct RingEntry {
    uint32_t word = 0;
    uint8_t info = 0;
    std::array<uint8_t, 8> data{};
    uint64_t timeUs = 0;
};

class FrameRing {
public:
    static constexpr uint32_t kSize = 2048;

    // Producer side. False when the ring is full (the frame is dropped).
    bool Push(const RingEntry& entry)
    {
        const uint32_t w = write_.load(std::memory_order_relaxed);
        const uint32_t next = (w + 1) % kSize;
        if (next == read_.load(std::memory_order_acquire))
            return false;
        entries_[w] = entry;
        write_.store(next, std::memory_order_release);
        return true;
    }

    // Consumer side. False when empty.
    bool Pop(RingEntry& out)
    {
        const uint32_t r = read_.load(std::memory_order_relaxed);
        if (r == write_.load(std::memory_order_acquire))
            return false;
        out = entries_[r];
        read_.store((r + 1) % kSize, std::memory_order_release);
        return true;
    }

    // Frames waiting, 0..kSize-1. Safe from either side.
    uint32_t Count() const
    {
        const uint32_t w = write_.load(std::memory_order_acquire);
        const uint32_t r = read_.load(std::memory_order_acquire);
        return (w + kSize - r) % kSize;
    }

    // Consumer side: drops everything waiting without touching the
    // producer's position, so it is safe while the producer runs.
    void Discard() { read_.store(write_.load(std::memory_order_acquire), std::memory_order_release); }

    // Both positions to 0. Only while no producer runs.
    void Reset()
    {
        write_.store(0, std::memory_order_release);
        read_.store(0, std::memory_order_release);
    }

private:
    std::array<RingEntry, kSize> entries_{};
    std::atomic<uint32_t> write_{0};
    std::atomic<uint32_t> read_{0};
};

} // namespace dravix
