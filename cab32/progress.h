// How long-running work reports how far it has come.
#pragma once

#include <cstdint>
#include <string_view>

namespace cab32 {

class Progress {
public:
    virtual ~Progress() = default;
    // `member` is being worked on; `done` of `total` bytes are finished.
    virtual void Update(std::string_view member, std::uint64_t done, std::uint64_t total) = 0;
};

class NoProgress final : public Progress {
public:
    void Update(std::string_view, std::uint64_t, std::uint64_t) override {}
};

}  // namespace cab32
