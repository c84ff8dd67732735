#include "mszip_encoder.h"

#include <zlib.h>

namespace tarvik::cabwriter {
namespace {

class MszipEncoder final : public FrameEncoder {
public:
    MszipEncoder() = default;
    MszipEncoder(const MszipEncoder&) = delete;
    MszipEncoder& operator=(const MszipEncoder&) = delete;
    ~MszipEncoder() override {
        if (started_) deflateEnd(&stream_);
    }

    [[nodiscard]] bool Start(int level) {
        // Raw deflate (negative window bits): MSZIP has no zlib header.
        started_ = deflateInit2(&stream_, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) == Z_OK;
        return started_;
    }

    bool Encode(std::span<const std::uint8_t> frame, Payloads& ready) override {
        std::vector<std::uint8_t>& out = ready.emplace_back();
        if (deflateReset(&stream_) != Z_OK) return false;
        if (!history_.empty() &&
            deflateSetDictionary(&stream_, history_.data(), static_cast<uInt>(history_.size())) != Z_OK)
            return false;
        out.resize(2 + deflateBound(&stream_, static_cast<uLong>(frame.size())));
        out[0] = 'C';
        out[1] = 'K';
        stream_.next_in = const_cast<Bytef*>(frame.data());
        stream_.avail_in = static_cast<uInt>(frame.size());
        stream_.next_out = out.data() + 2;
        stream_.avail_out = static_cast<uInt>(out.size() - 2);
        if (deflate(&stream_, Z_FINISH) != Z_STREAM_END) return false;
        out.resize(out.size() - stream_.avail_out);
        history_.assign(frame.begin(), frame.end());
        return true;
    }

private:
    z_stream stream_{};
    bool started_ = false;
    std::vector<std::uint8_t> history_;
};

}  // namespace

std::unique_ptr<FrameEncoder> MakeMszipEncoder(int level) {
    if (level < 1 || level > 9) return nullptr;
    auto encoder = std::make_unique<MszipEncoder>();
    if (!encoder->Start(level)) return nullptr;
    return encoder;
}

}  // namespace tarvik::cabwriter
