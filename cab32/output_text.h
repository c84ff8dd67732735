// The text a command writes into the caller's output buffer: code page 932,
// CR LF line ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace cab32 {

// Keeps no more text than the caller's buffer takes: once a line would not
// fit, the later lines are counted and only the latest of them kept, as much
// as an eighth of the buffer takes (what ended a job and its verdict, which
// comes last). A job's memory does not grow with the number of lines it
// reports.
class OutputText {
public:
    // `bufferSize`: the caller's buffer, its final NUL included.
    explicit OutputText(std::size_t bufferSize);

    // Appends `text` and a CR LF.
    void Line(std::string_view text);

    // The text a buffer of the constructor's size receives, without the NUL.
    std::string Text() const;

    // Copies as much as fits into `buffer` of `size` bytes, always ending in a
    // NUL, never cutting a double-byte character in half. Text that does not
    // fit gives the first whole lines, a line saying how many lines were left
    // out, and the latest lines, the last one always. Nothing is written
    // when `buffer` is null or `size` is 0.
    void CopyTo(char* buffer, unsigned long size) const;

private:
    std::string Composed(std::size_t room) const;

    std::size_t capacity_;  // bytes of text the caller's buffer takes
    std::string kept_;      // the first lines, at most capacity_ bytes
    std::deque<std::string> latest_;  // the latest lines not in kept_, each with its CR LF
    std::size_t latestBytes_ = 0;
    std::uint64_t dropped_ = 0;  // lines between kept_ and latest_
    bool full_ = false;          // a line did not fit in kept_
};

}  // namespace cab32
