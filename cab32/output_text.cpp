#include "output_text.h"

#include <cstring>

#include "sjis_path.h"

namespace cab32 {

namespace {

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

// The last line with its CR LF.
std::string_view LastLine(std::string_view text) {
    if (text.size() < 2) return text;
    const std::size_t previous = text.rfind("\r\n", text.size() - 3);  // CR and LF are never trail bytes
    return previous == std::string_view::npos ? text : text.substr(previous + 2);
}

std::string OmittedLine(std::uint64_t lines) {
    return "(出力が長すぎるため " + std::to_string(lines) + " 行を省略しました)\r\n";
}

}  // namespace

OutputText::OutputText(std::size_t bufferSize) : capacity_(bufferSize > 0 ? bufferSize - 1 : 0) {}

void OutputText::Line(std::string_view text) {
    if (!full_ && kept_.size() + text.size() + 2 <= capacity_) {
        kept_ += text;
        kept_ += "\r\n";
        return;
    }
    if (full_) ++dropped_;  // the line kept as the latest until now
    full_ = true;
    latest_.assign(text);
    latest_ += "\r\n";
}

std::string OutputText::Text() const { return Composed(capacity_); }

void OutputText::CopyTo(char* buffer, unsigned long size) const {
    if (!buffer || size == 0) return;
    const std::string result = Composed(size - 1);
    std::memcpy(buffer, result.data(), result.size());
    buffer[result.size()] = '\0';
}

std::string OutputText::Composed(std::size_t room) const {
    std::string_view head = kept_;
    std::string_view last = latest_;
    std::uint64_t omitted = dropped_;
    if (!full_) {
        if (kept_.size() <= room) return kept_;
        last = LastLine(head);
        head.remove_suffix(last.size());
    }
    // Whole lines from the beginning, as many as leave room for the line
    // that counts the rest and for the last line, which says how the
    // command ended.
    for (;;) {
        const std::string omittedLine = OmittedLine(omitted);
        if (head.size() + omittedLine.size() + last.size() <= room) {
            return std::string(head) + omittedLine + std::string(last);
        }
        if (head.empty()) {
            // Not even that fits: as much of the beginning as the room takes.
            const std::string all = full_ ? kept_ + OmittedLine(dropped_) + latest_ : kept_;
            return all.substr(0, WholeCharacters(all, room));
        }
        head.remove_suffix(LastLine(head).size());
        ++omitted;
    }
}

}  // namespace cab32
