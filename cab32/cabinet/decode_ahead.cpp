#include "decode_ahead.h"

#include <utility>

namespace cab32 {

DecodeAhead::DecodeAhead(FolderReader& reader, bool onThread) : reader_(reader) {
    // On one processor the two threads would only take turns.
    if (!onThread || std::thread::hardware_concurrency() < 2) return;
    buffer_.resize(kSlots * cab32::kFrameSize);
    thread_ = std::thread([this] { Decode(); });
}

DecodeAhead::~DecodeAhead() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(lock_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void DecodeAhead::Decode() {
    try {
        for (std::uint64_t index = 0;; ++index) {
            {
                std::unique_lock lock(lock_);
                if (index - released_ == kSlots) {
                    decoderWaits_ = true;
                    changed_.wait(lock, [&] { return stop_ || kSlots - (index - released_) >= kBatch; });
                    decoderWaits_ = false;
                }
                if (stop_) return;
            }
            const std::span<std::uint8_t> into(buffer_.data() + (index % kSlots) * cab32::kFrameSize,
                                               cab32::kFrameSize);
            const std::uint64_t start = reader_.Position();
            std::span<const std::uint8_t> frame;
            const FolderReader::Step step = reader_.NextInto(into, frame);
            std::lock_guard lock(lock_);
            if (step == FolderReader::Step::Frame) {
                slots_[index % kSlots] = {static_cast<std::uint32_t>(frame.size()), start};
                produced_ = index + 1;
            } else {
                ended_ = true;
                end_ = step;
            }
            if (callerWaits_ && (ended_ || produced_ - taken_ >= kBatch)) changed_.notify_all();
            if (ended_) return;
        }
    } catch (...) {
        std::lock_guard lock(lock_);
        error_ = std::current_exception();  // rethrown on the caller's thread by Next
        ended_ = true;
        end_ = FolderReader::Step::Bad;
        changed_.notify_all();
    }
}

FolderReader::Step DecodeAhead::Next(std::span<const std::uint8_t>& frame, std::uint64_t& frameStart) {
    if (!thread_.joinable()) {
        frameStart = reader_.Position();
        return reader_.Next(frame);
    }
    std::unique_lock lock(lock_);
    released_ = taken_;  // the frame handed out before is done with
    if (decoderWaits_ && kSlots - (taken_ - released_) >= kBatch) changed_.notify_all();
    if (produced_ == taken_ && !ended_) {
        callerWaits_ = true;
        changed_.wait(lock, [&] { return ended_ || produced_ - taken_ >= kBatch; });
        callerWaits_ = false;
    }
    if (produced_ == taken_) {
        if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
        return end_;
    }
    const Slot& slot = slots_[taken_ % kSlots];
    frame = std::span<const std::uint8_t>(buffer_.data() + (taken_ % kSlots) * cab32::kFrameSize,
                                          slot.size);
    frameStart = slot.start;
    ++taken_;
    return FolderReader::Step::Frame;
}

}  // namespace cab32
