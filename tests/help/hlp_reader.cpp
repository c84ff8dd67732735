#include "hlp_reader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>

namespace hlpread {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr std::size_t kBlock = 4096;
constexpr std::size_t kBlockData = kBlock - 12;

void Need(bool condition, const std::string& what) {
    if (!condition) throw FormatError(what);
}

unsigned U8(const Bytes& b, std::size_t at) {
    Need(at < b.size(), "read past the end");
    return b[at];
}
unsigned U16(const Bytes& b, std::size_t at) { return U8(b, at) | (U8(b, at + 1) << 8); }
std::uint32_t U32(const Bytes& b, std::size_t at) { return U16(b, at) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16); }

std::string CString(const Bytes& b, std::size_t at) {
    std::string out;
    while (U8(b, at) != 0) out += static_cast<char>(b[at++]);
    return out;
}

Bytes Slice(const Bytes& b, std::size_t at, std::size_t size) {
    Need(at + size <= b.size(), "slice past the end");
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + size));
}

// A B+ tree over a byte vector; keys are compared by `compare(at)` which
// returns <0, 0, >0 like strcmp(entry key, wanted key).
struct BTree {
    const Bytes& data;
    std::size_t base;
    unsigned pageSize = 0, root = 0, levels = 0, pages = 0;
    std::uint32_t entries = 0;

    BTree(const Bytes& d, std::size_t b) : data(d), base(b) {
        Need(U16(data, base) == 0x293B, "bad B+ tree magic");
        pageSize = U16(data, base + 4);
        root = U16(data, base + 26);
        pages = U16(data, base + 30);
        levels = U16(data, base + 32);
        entries = U32(data, base + 34);
        Need(root < pages && levels >= 1, "bad B+ tree header");
    }
    [[nodiscard]] std::size_t Page(unsigned n) const {
        Need(n < pages, "B+ tree page out of range");
        return base + 38 + std::size_t{n} * pageSize;
    }
    // Descends the index pages; returns the leaf page for the key.
    unsigned LeafFor(const std::function<int(std::size_t)>& compare,
                     const std::function<std::size_t(std::size_t)>& keySize) const {
        unsigned page = root;
        for (unsigned level = 1; level < levels; ++level) {
            const auto at = Page(page);
            unsigned child = U16(data, at + 4);
            std::size_t p = at + 6;
            for (unsigned i = 0; i < U16(data, at + 2); ++i) {
                if (compare(p) > 0) break;
                child = U16(data, p + keySize(p));
                p += keySize(p) + 2;
            }
            page = child;
        }
        return page;
    }
    // Offsets of all leaf entries, following the leaf chain from the left.
    std::vector<std::size_t> Leaves(const std::function<std::size_t(std::size_t)>& leafSize) const {
        unsigned page = root;
        for (unsigned level = 1; level < levels; ++level) page = U16(data, Page(page) + 4);
        std::vector<std::size_t> out;
        while (page != 0xFFFF) {
            const auto at = Page(page);
            std::size_t p = at + 8;
            for (unsigned i = 0; i < U16(data, at + 2); ++i) {
                out.push_back(p);
                p += leafSize(p);
            }
            page = U16(data, at + 6);
        }
        Need(out.size() == entries, "B+ tree entry count differs from its header");
        return out;
    }
};

struct InternalFile {
    std::size_t start = 0;
    std::size_t size = 0;
};

InternalFile FindFile(const Bytes& raw, const std::string& name) {
    const BTree tree(raw, U32(raw, 4) + 9);
    auto nameSize = [&](std::size_t at) { return CString(raw, at).size() + 1; };
    const auto leaf = tree.Page(tree.LeafFor([&](std::size_t at) { return CString(raw, at).compare(name); }, nameSize));
    std::size_t p = leaf + 8;
    for (unsigned i = 0; i < U16(raw, leaf + 2); ++i) {
        if (CString(raw, p) == name) {
            const std::size_t header = U32(raw, p + nameSize(p));
            Need(U32(raw, header) >= U32(raw, header + 4) + 9, "internal file reserves too little");
            return {header + 9, U32(raw, header + 4)};
        }
        p += nameSize(p) + 4;
    }
    throw FormatError("no internal file " + name);
}

Bytes ReadFile(const Bytes& raw, const std::string& name) {
    const auto file = FindFile(raw, name);
    return Slice(raw, file.start, file.size);
}

void ReadSystem(HelpFile& help) {
    const auto sys = ReadFile(help.raw, "|SYSTEM");
    Need(U16(sys, 0) == 0x036C && U16(sys, 4) == 1, "bad |SYSTEM header");
    help.minorVersion = U16(sys, 2);
    help.flags = U16(sys, 10);
    for (std::size_t at = 12; at + 4 <= sys.size();) {
        const unsigned type = U16(sys, at);
        const auto data = Slice(sys, at + 4, U16(sys, at + 2));
        if (type == 4) help.systemMacros.push_back(CString(data, 0));
        help.systemRecords.emplace(type, data);
        at += 4 + data.size();
    }
}

void ReadFonts(HelpFile& help) {
    const auto font = ReadFile(help.raw, "|FONT");
    const unsigned faces = U16(font, 0);
    help.fontFacesOffset = U16(font, 4);
    const unsigned length = (U16(font, 6) - help.fontFacesOffset) / (faces ? faces : 1);
    for (unsigned i = 0; i < faces; ++i) {
        const auto bytes = Slice(font, help.fontFacesOffset + i * length, length);
        help.faceNames.emplace_back(reinterpret_cast<const char*>(bytes.data()),
                                    strnlen(reinterpret_cast<const char*>(bytes.data()), length));
    }
}

// Paragraph info and formatting commands of a 0x20 record.
TextRecord ReadParagraph(const Bytes& data1, const Bytes& data2) {
    TextRecord record;
    std::size_t at = 0;
    record.topicSize = ReadPackedLong(data1, at);
    record.topicLength = ReadPackedUShort(data1, at);
    Need(record.topicSize.value == static_cast<long>(data1.size() - at), "TopicSize is not the size of the formatting");
    Need(record.topicLength.value == static_cast<long>(data2.size()), "TopicLength is not the text size");
    Need(U8(data1, at) == 0x00 && U8(data1, at + 1) == 0x80, "bad paragraph info start");
    const unsigned bits = U16(data1, at + 4);
    at += 6;
    if (bits & 0x0001) ReadPackedLong(data1, at);
    for (unsigned bit = 0x0002; bit <= 0x0040; bit <<= 1) {
        if (bits & bit) ReadPackedShort(data1, at);
    }
    Need((bits & 0x0300) == 0, "border or tab information not expected");
    std::size_t text = 0;
    for (;;) {
        const auto piece = CString(data2, text);
        record.text += piece;
        text += piece.size() + 1;
        const unsigned command = U8(data1, at++);
        if (command == 0xFF) break;
        if (command == 0x80) {
            record.fonts.push_back(U16(data1, at));
            at += 2;
        } else if (command == 0x81) {
            record.text += '\n';
        } else {
            Need(command == 0x82, "unexpected formatting command");
        }
    }
    Need(text == data2.size() && at == data1.size(), "paragraph texts and commands do not end together");
    return record;
}

// Removes the block headers and checks each against the records it precedes.
struct TopicStream {
    Bytes data;
    std::size_t blocks = 0;
    std::vector<std::uint32_t> lastLink, firstLink, lastHeader;

    explicit TopicStream(const Bytes& topic) {
        Need(!topic.empty() && topic.size() % kBlock == 0, "|TOPIC is not made of whole 4 KB blocks");
        blocks = topic.size() / kBlock;
        for (std::size_t b = 0; b < blocks; ++b) {
            lastLink.push_back(U32(topic, b * kBlock));
            firstLink.push_back(U32(topic, b * kBlock + 4));
            lastHeader.push_back(U32(topic, b * kBlock + 8));
            data.insert(data.end(), topic.begin() + static_cast<std::ptrdiff_t>(b * kBlock + 12),
                        topic.begin() + static_cast<std::ptrdiff_t>((b + 1) * kBlock));
        }
    }
    [[nodiscard]] std::size_t ToStream(std::uint32_t position) const {
        Need(position >= 12, "topic position below the block header");
        const std::size_t block = (position - 12) >> 14, offset = (position - 12) & 0x3FFF;
        Need(block < blocks && offset < kBlockData, "topic position outside the blocks");
        return block * kBlockData + offset;
    }
};

// A topic header: browse offsets in data1, the title and macros in data2.
TopicRecord ReadTopicHeader(const Bytes& data1, const Bytes& data2, std::uint32_t position, std::uint32_t offset) {
    TopicRecord topic;
    topic.position = position;
    topic.offset = offset;
    topic.browseBack = U32(data1, 4);
    topic.browseForward = U32(data1, 8);
    for (std::size_t at = 0; at < data2.size();) {
        const auto end = std::find(data2.begin() + static_cast<std::ptrdiff_t>(at), data2.end(), 0);
        std::string piece(data2.begin() + static_cast<std::ptrdiff_t>(at), end);
        if (at == 0) topic.title = piece; else topic.macros.push_back(piece);
        at += piece.size() + 1;
    }
    return topic;
}

// Follows the records from the first to the closing one, recomputing each
// topic offset: block number * 0x8000 plus the text lengths before it in
// its block.
void WalkTopics(HelpFile& help) {
    const auto topicFile = ReadFile(help.raw, "|TOPIC");
    help.topicFileSize = topicFile.size();
    const TopicStream stream(topicFile);
    std::uint32_t position = 12, previous = kNone, lastHeader = kNone, characters = 0;
    std::size_t block = 0;
    std::vector<bool> blockSeen(stream.blocks, false);
    for (;;) {
        const auto s = stream.ToStream(position);
        const auto& d = stream.data;
        const std::uint32_t size = U32(d, s), len2 = U32(d, s + 4), next = U32(d, s + 12), len1 = U32(d, s + 16);
        Need(U32(d, s + 8) == previous, "PrevBlock does not name the previous record");
        Need(len1 >= 21 && size == len1 + len2, "record sizes disagree (compressed text?)");
        if (s / kBlockData != block) characters = 0;
        block = s / kBlockData;
        if (!blockSeen[block]) {
            blockSeen[block] = true;
            Need(stream.firstLink[block] == position && stream.lastLink[block] == previous &&
                     stream.lastHeader[block] == lastHeader, "block header does not match its records");
        }
        const auto data1 = Slice(d, s + 21, len1 - 21), data2 = Slice(d, s + len1, len2);
        const std::uint32_t offset = static_cast<std::uint32_t>(block) * 0x8000 + characters;
        if (U8(d, s + 20) == 0x02) {
            lastHeader = position;
            if (next == kNone) {
                Need(len2 == 0, "closing record carries text");
                break;
            }
            help.topics.push_back(ReadTopicHeader(data1, data2, position, offset));
        } else {
            Need(U8(d, s + 20) == 0x20 && !help.topics.empty(), "unexpected record type");
            auto paragraph = ReadParagraph(data1, data2);
            paragraph.position = position;
            paragraph.streamStart = static_cast<std::uint32_t>(s);
            paragraph.size = size;
            characters += static_cast<std::uint32_t>(paragraph.topicLength.value);
            help.topics.back().paragraphs.push_back(std::move(paragraph));
        }
        Need(next != kNone, "topic chain ends without a closing record");
        previous = position;
        position = next;
    }
}

void ReadContextMap(HelpFile& help) {
    const auto map = ReadFile(help.raw, "|CTXOMAP");
    for (unsigned i = 0; i < U16(map, 0); ++i) {
        help.contextMap[static_cast<std::int32_t>(U32(map, 2 + i * 8))] = U32(map, 6 + i * 8);
    }
}

// Index words: each leaf names its count of topics and where their offsets
// start in |KWDATA.
void ReadKeywords(HelpFile& help) {
    if (std::find(help.directoryNames.begin(), help.directoryNames.end(), "|KWBTREE") == help.directoryNames.end()) {
        return;
    }
    const auto tree = ReadFile(help.raw, "|KWBTREE");
    const auto data = ReadFile(help.raw, "|KWDATA");
    const BTree btree(tree, 0);
    for (const auto at : btree.Leaves([&](std::size_t p) { return CString(tree, p).size() + 7; })) {
        const auto word = CString(tree, at);
        Need(U16(tree, at + word.size() + 1) == 1, "index word with more than one topic");
        help.keywords.emplace_back(word, U32(data, U32(tree, at + word.size() + 3)));
    }
}

}  // namespace

Packed ReadPackedUShort(const Bytes& data, std::size_t& at) {
    if (U8(data, at) & 1) {
        at += 2;
        return {static_cast<long>(U16(data, at - 2) >> 1), true};
    }
    return {static_cast<long>(U8(data, at++) >> 1), false};
}

Packed ReadPackedShort(const Bytes& data, std::size_t& at) {
    auto packed = ReadPackedUShort(data, at);
    packed.value -= packed.longForm ? 0x4000 : 0x40;
    return packed;
}

Packed ReadPackedLong(const Bytes& data, std::size_t& at) {
    if (U16(data, at) & 1) {
        at += 4;
        return {static_cast<long>(U32(data, at - 4) >> 1) - 0x40000000L, true};
    }
    at += 2;
    return {static_cast<long>(U16(data, at - 2) >> 1) - 0x4000, false};
}

std::int32_t HashOfId(const std::string& topicId) {
    // Character values 1 to 42; '!' marks values no id character has.
    static const std::string order = "1234567890!._!!!ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::uint32_t hash = 0;
    for (const char c : topicId) {
        const auto found = order.find(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        hash = hash * 43 + (found == std::string::npos ? 0 : static_cast<std::uint32_t>(found) + 1);
    }
    return static_cast<std::int32_t>(hash);
}

HelpFile ReadHelpFile(Bytes bytes) {
    HelpFile help;
    help.raw = std::move(bytes);
    Need(U32(help.raw, 0) == 0x00035F3F, "not a help file");
    Need(U32(help.raw, 12) == help.raw.size(), "file size in the header is wrong");
    const BTree directory(help.raw, U32(help.raw, 4) + 9);
    for (const auto at : directory.Leaves([&](std::size_t p) { return CString(help.raw, p).size() + 5; })) {
        help.directoryNames.push_back(CString(help.raw, at));
    }
    ReadSystem(help);
    ReadFonts(help);
    WalkTopics(help);
    ReadContextMap(help);
    ReadKeywords(help);
    return help;
}

std::optional<std::uint32_t> LookUpContext(const HelpFile& file, const std::string& topicId) {
    const auto context = ReadFile(file.raw, "|CONTEXT");
    const BTree tree(context, 0);
    const std::int32_t hash = HashOfId(topicId);
    auto compare = [&](std::size_t at) {
        const auto key = static_cast<std::int32_t>(U32(context, at));
        return key < hash ? -1 : key > hash ? 1 : 0;
    };
    const auto leaf = tree.Page(tree.LeafFor(compare, [](std::size_t) { return std::size_t{4}; }));
    for (unsigned i = 0; i < U16(context, leaf + 2); ++i) {
        if (compare(leaf + 8 + i * 8) == 0) return U32(context, leaf + 12 + i * 8);
    }
    return std::nullopt;
}

const TopicRecord* TopicAtOffset(const HelpFile& file, std::uint32_t offset) {
    for (const auto& topic : file.topics) {
        if (topic.offset == offset) return &topic;
    }
    return nullptr;
}

}  // namespace hlpread
