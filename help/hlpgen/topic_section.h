// The |TOPIC internal file: every topic as a header record followed by
// its paragraph records, laid out in 4 KB blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "byte_writer.h"
#include "help_document.h"

namespace hlpgen {

// Plain (uncompressed) topic blocks: 4096 bytes, of which 12 are the
// block header. A topic position counts each block as 0x4000, a topic
// offset as 0x8000.
inline constexpr std::uint32_t kTopicBlockSize = 4096;
inline constexpr std::uint32_t kTopicBlockHeaderSize = 12;
inline constexpr std::uint32_t kTopicBlockDataSize = kTopicBlockSize - kTopicBlockHeaderSize;

// Font numbers of the |FONT table the paragraphs refer to.
enum FontNumber : unsigned {
    kFontBody = 0,
    kFontBodyBold = 1,
    kFontTitle = 2,
    kFontHeading = 3,
    kFontCode = 4,
    kFontCodeBold = 5,
};

struct TopicSection {
    Bytes data;                              // the |TOPIC file's content
    std::vector<std::uint32_t> topicOffsets;  // topic offset of each document topic
};

// Throws SourceError when a paragraph is too long for the format.
[[nodiscard]] TopicSection BuildTopicSection(const HelpDocument& document);

// Blanks after every jump a button makes. Wine's viewer frees the clicked
// button while its macro still runs (the new topic replaces the buttons),
// and its macro scanner has already read one character past the jump: a
// blank there is skipped harmlessly when the new topic's macros are
// scanned, where the end of the text would end them before they start.
// The long tail keeps the rest of the freed text from being reused before
// the scanner reaches its end.
[[nodiscard]] inline std::string JumpPadding() { return std::string(4000, ' '); }

// The macro a topic runs when it opens: one viewer button per TopicButton,
// in source order.
[[nodiscard]] std::string TopicEntryMacro(const Topic& topic);

}  // namespace hlpgen
