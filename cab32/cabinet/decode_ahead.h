// Decodes a folder's frames on a thread of its own, a few frames ahead of
// the caller, who meanwhile writes the frames before them out: decoding and
// writing use two processors instead of taking turns on one.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "folder_reader.h"

namespace cab32 {

class DecodeAhead {
public:
    // Starts decoding the reader's current part (StartPart first) on a
    // thread of its own, or (`onThread` false) leaves it to Next. The
    // reader and its source belong to the decoding thread until this ends.
    DecodeAhead(FolderReader& reader, bool onThread);
    // Stops the decoding thread, whatever it was doing, and waits for it.
    ~DecodeAhead();
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // The folder's next frame, valid until the next call, with where it
    // starts in the folder's bytes; or how the part ended. Rethrows an
    // exception the decoding thread met (out of memory).
    [[nodiscard]] FolderReader::Step Next(std::span<const std::uint8_t>& frame, std::uint64_t& frameStart);

private:
    void Decode();

    static constexpr std::size_t kSlots = 32;
    // The threads wake each other for this many frames at a time, not for
    // every frame: a wake-up costs more than a frame.
    static constexpr std::size_t kBatch = 8;

    FolderReader& reader_;
    std::vector<std::uint8_t> buffer_;  // kSlots frames
    struct Slot {
        std::uint32_t size = 0;
        std::uint64_t start = 0;
    };
    Slot slots_[kSlots];
    std::mutex lock_;
    std::condition_variable changed_;
    std::uint64_t produced_ = 0;  // frames decoded
    std::uint64_t released_ = 0;  // frames the caller is done with
    std::uint64_t taken_ = 0;     // frames handed to the caller
    bool ended_ = false;          // the part ended after the frames produced
    FolderReader::Step end_ = FolderReader::Step::PartEnded;
    bool stop_ = false;
    bool callerWaits_ = false;
    bool decoderWaits_ = false;
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace cab32
