#include "output_text.h"

#include <cstring>

#include "sjis_path.h"

namespace cab32 {

void OutputText::Line(std::string_view text) {
    text_ += text;
    text_ += "\r\n";
}

void OutputText::CopyTo(char* buffer, unsigned long size) const {
    if (!buffer || size == 0) return;
    std::size_t length = 0;
    // Walk whole characters so that a cut never splits a double-byte one.
    while (length < text_.size()) {
        const bool doubleByte = tarvik::IsSjisLeadByte(static_cast<unsigned char>(text_[length])) &&
                                length + 1 < text_.size();
        const std::size_t next = length + (doubleByte ? 2 : 1);
        if (next > size - 1) break;
        length = next;
    }
    std::memcpy(buffer, text_.data(), length);
    buffer[length] = '\0';
}

}  // namespace cab32
