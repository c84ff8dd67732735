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
    full_ = true;
    latest_.emplace_back(text) += "\r\n";
    latestBytes_ += latest_.back().size();
    while (latest_.size() > 1 && latestBytes_ > capacity_ / 8) {
        latestBytes_ -= latest_.front().size();
        latest_.pop_front();
        ++dropped_;
    }
}

std::string OutputText::Text() const { return Composed(capacity_); }

void OutputText::CopyTo(char* buffer, unsigned long size) const {
    if (!buffer || size == 0) return;
    const std::string result = Composed(size - 1);
    std::memcpy(buffer, result.data(), result.size());
    buffer[result.size()] = '\0';
}

std::string OutputText::Composed(std::size_t room) const {
    if (!full_ && kept_.size() <= room) return kept_;
    std::string_view head = kept_;
    std::deque<std::string_view> tail(latest_.begin(), latest_.end());
    std::size_t tailBytes = latestBytes_;
    // Text that fits the buffer it was kept for, copied into a smaller one:
    // its latest lines as the kept text would have them.
    while (!full_ && !head.empty() && (tail.empty() || tailBytes + LastLine(head).size() <= room / 8)) {
        tail.push_front(LastLine(head));
        tailBytes += tail.front().size();
        head.remove_suffix(tail.front().size());
    }
    // Whole lines from the beginning and from the end, as many as leave room
    // for the line that counts the rest; the last line, which says how the
    // command ended, stays.
    std::uint64_t omitted = dropped_;
    for (;;) {
        const std::string omittedLine = OmittedLine(omitted);
        if (head.size() + omittedLine.size() + tailBytes <= room) {
            std::string result(head);
            if (omitted > 0) result += omittedLine;
            for (std::string_view line : tail) result += line;
            return result;
        }
        if (!head.empty()) {
            head.remove_suffix(LastLine(head).size());
        } else if (tail.size() > 1) {
            tailBytes -= tail.front().size();
            tail.pop_front();
        } else {
            // Not even that fits: as much of the beginning as the room takes.
            std::string all = kept_;
            if (full_) all += OmittedLine(dropped_);
            for (const std::string& line : latest_) all += line;
            return all.substr(0, WholeCharacters(all, room));
        }
        ++omitted;
    }
}

}  // namespace cab32
