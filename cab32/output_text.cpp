#include "output_text.h"

#include <cstring>

#include "sjis_path.h"

namespace cab32 {

namespace {

constexpr std::string_view kOmitted = "(中略)\r\n";

// The longest prefix of `text` of at most `limit` bytes that ends on a
// character boundary.
std::size_t WholeCharacters(std::string_view text, std::size_t limit) {
    std::size_t length = 0;
    while (length < text.size()) {
        const bool doubleByte = tarvik::IsSjisLeadByte(static_cast<unsigned char>(text[length])) &&
                                length + 1 < text.size();
        const std::size_t next = length + (doubleByte ? 2 : 1);
        if (next > limit) break;
        length = next;
    }
    return length;
}

// The last line with its CR LF (the verdict of a command).
std::string_view LastLine(std::string_view text) {
    if (text.size() < 2) return text;
    const std::size_t previous = text.rfind("\r\n", text.size() - 3);  // CR and LF are never trail bytes
    return previous == std::string_view::npos ? text : text.substr(previous + 2);
}

}  // namespace

void OutputText::Line(std::string_view text) {
    text_ += text;
    text_ += "\r\n";
}

void OutputText::CopyTo(char* buffer, unsigned long size) const {
    if (!buffer || size == 0) return;
    const std::size_t room = size - 1;
    std::string result;
    if (text_.size() <= room) {
        result = text_;
    } else {
        // Too long: keep the beginning and the final line, which says how
        // the command ended.
        const std::string_view last = LastLine(text_);
        if (last.size() + kOmitted.size() < room / 2) {
            result.assign(text_, 0, WholeCharacters(text_, room - last.size() - kOmitted.size()));
            result += kOmitted;
            result += last;
        } else {
            result.assign(text_, 0, WholeCharacters(text_, room));
        }
    }
    std::memcpy(buffer, result.data(), result.size());
    buffer[result.size()] = '\0';
}

}  // namespace cab32
