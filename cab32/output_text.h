// The text a command writes into the caller's output buffer: code page 932,
// CR LF line ends.
#pragma once

#include <string>
#include <string_view>

namespace cab32 {

class OutputText {
public:
    // Appends `text` and a CR LF.
    void Line(std::string_view text);
    const std::string& Text() const { return text_; }

    // Copies as much as fits into `buffer` of `size` bytes, always ending in a
    // NUL, never cutting a double-byte character in half. Nothing is written
    // when `buffer` is null or `size` is 0.
    void CopyTo(char* buffer, unsigned long size) const;

private:
    std::string text_;
};

}  // namespace cab32
