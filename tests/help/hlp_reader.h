// A reader of WinHelp files written for the tests, apart from the writer:
// it finds internal files through the directory B+ tree, walks the topic
// chain and recomputes every topic offset from the records it meets.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace hlpread {

using Bytes = std::vector<std::uint8_t>;

class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Packed integers as the format describes them; `longForm` tells which
// encoding was met.
struct Packed {
    long value = 0;
    bool longForm = false;
};
Packed ReadPackedUShort(const Bytes& data, std::size_t& at);
Packed ReadPackedShort(const Bytes& data, std::size_t& at);
Packed ReadPackedLong(const Bytes& data, std::size_t& at);

struct TextRecord {
    std::uint32_t position = 0;
    std::uint32_t streamStart = 0;  // offset in the topic data with block headers removed
    std::uint32_t size = 0;
    std::string text;               // all texts of the record, joined
    Packed topicSize;
    Packed topicLength;
    std::vector<unsigned> fonts;    // fonts switched to, in order
};

struct TopicRecord {
    std::string title;
    std::vector<std::string> macros;
    std::uint32_t position = 0;
    std::uint32_t offset = 0;       // recomputed while walking
    std::uint32_t browseBack = 0;
    std::uint32_t browseForward = 0;
    std::vector<TextRecord> paragraphs;
};

struct HelpFile {
    unsigned minorVersion = 0;
    unsigned flags = 0;
    std::map<unsigned, Bytes> systemRecords;   // first record of each type
    std::vector<std::string> systemMacros;
    unsigned fontFacesOffset = 0;
    std::vector<std::string> faceNames;
    std::size_t topicFileSize = 0;
    std::vector<TopicRecord> topics;           // closing record without title left out
    std::map<std::int32_t, std::uint32_t> contextMap;  // |CTXOMAP
    std::vector<std::string> directoryNames;   // in leaf order
    std::vector<std::pair<std::string, std::uint32_t>> keywords;  // index words in leaf order, topic offsets
    Bytes raw;
};

[[nodiscard]] HelpFile ReadHelpFile(Bytes bytes);

// Looks a topic id up in |CONTEXT through its B+ tree.
[[nodiscard]] std::optional<std::uint32_t> LookUpContext(const HelpFile& file, const std::string& topicId);

// The topic whose header has exactly this topic offset.
[[nodiscard]] const TopicRecord* TopicAtOffset(const HelpFile& file, std::uint32_t offset);

// The viewer's hash of a topic id.
[[nodiscard]] std::int32_t HashOfId(const std::string& topicId);

}  // namespace hlpread
