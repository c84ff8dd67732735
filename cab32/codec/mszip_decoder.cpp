#include "mszip_decoder.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace cab32 {
namespace {

constexpr std::size_t kHistorySize = 32768;

class MszipDecoder final : public FrameDecoder {
public:
    MszipDecoder() = default;
    MszipDecoder(const MszipDecoder&) = delete;
    MszipDecoder& operator=(const MszipDecoder&) = delete;
    ~MszipDecoder() override {
        if (started_) inflateEnd(&stream_);
    }

    [[nodiscard]] bool Start() {
        started_ = inflateInit2(&stream_, -15) == Z_OK;  // raw deflate: no zlib header
        return started_;
    }

    bool Decode(std::span<const std::uint8_t> payload, std::span<std::uint8_t> output) override {
        if (output.empty() || output.size() > kFrameSize) return false;
        if (payload.size() < 2 || payload[0] != 'C' || payload[1] != 'K') return false;
        if (inflateReset(&stream_) != Z_OK) return false;
        if (historySize_ != 0 &&
            inflateSetDictionary(&stream_, history_ + kHistorySize - historySize_, static_cast<uInt>(historySize_)) != Z_OK)
            return false;
        stream_.next_in = const_cast<Bytef*>(payload.data() + 2);
        stream_.avail_in = static_cast<uInt>(payload.size() - 2);
        stream_.next_out = output.data();
        stream_.avail_out = static_cast<uInt>(output.size());
        // The stream must end exactly where the block's bytes do.
        if (inflate(&stream_, Z_FINISH) != Z_STREAM_END || stream_.avail_out != 0) return false;
        Remember(output);
        return true;
    }

private:
    // Keeps the last 32 KB of output, the next block's dictionary.
    void Remember(std::span<const std::uint8_t> output) {
        if (output.size() >= kHistorySize) {
            std::memcpy(history_, output.data() + output.size() - kHistorySize, kHistorySize);
            historySize_ = kHistorySize;
            return;
        }
        std::memmove(history_, history_ + output.size(), kHistorySize - output.size());
        std::memcpy(history_ + kHistorySize - output.size(), output.data(), output.size());
        historySize_ = std::min(kHistorySize, historySize_ + output.size());
    }

    z_stream stream_{};
    bool started_ = false;
    std::uint8_t history_[kHistorySize] = {};  // the newest byte last
    std::size_t historySize_ = 0;
};

}  // namespace

std::unique_ptr<FrameDecoder> MakeMszipDecoder() {
    auto decoder = std::make_unique<MszipDecoder>();
    if (!decoder->Start()) return nullptr;
    return decoder;
}

}  // namespace cab32
