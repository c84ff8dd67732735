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

// The macro a button runs: it opens `jump`, made safe for Wine's viewer.
// That viewer frees the clicked button while its macro still runs (the new
// topic replaces all buttons). Rebinding the button to the same jump first
// takes the running copy out of the button list, so it outlives the jump.
// Its scanner has also read one character past the jump: a blank there is
// skipped by the new topic's macros, where the end of the text would stop
// them before they start.
[[nodiscard]] std::string SafeButtonMacro(const std::string& buttonId, const std::string& jump);

// The macro a topic runs when it opens: one viewer button per TopicButton,
// in source order.
[[nodiscard]] std::string TopicEntryMacro(const Topic& topic);

}  // namespace hlpgen
