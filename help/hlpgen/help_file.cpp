#include "help_file.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "btree.h"
#include "topic_section.h"

namespace hlpgen {
namespace {

constexpr std::uint32_t kFileMagic = 0x00035F3F;
constexpr unsigned kFileHeaderSize = 9;  // reserved size, used size, flags

struct FontDescriptor {
    unsigned attributes;  // 1 bold
    unsigned halfPoints;
    unsigned face;        // index into the face names
};

// Face 0 is proportional, face 1 fixed; Japanese systems map both names
// to their Gothic fonts.
constexpr const char* kFaceNames[] = {"MS PGothic", "MS Gothic"};
constexpr unsigned kFaceNameSize = 32;

constexpr FontDescriptor kFonts[] = {
    {0, 20, 0},  // kFontBody
    {1, 20, 0},  // kFontBodyBold
    {1, 28, 0},  // kFontTitle
    {1, 22, 0},  // kFontHeading
    {0, 20, 1},  // kFontCode
    {1, 20, 1},  // kFontCodeBold
};

void SystemRecord(ByteWriter& out, unsigned type, const Bytes& data) {
    out.U16(type);
    out.U16(static_cast<unsigned>(data.size()));
    out.Append(data);
}

Bytes TextZ(std::string_view text) {
    ByteWriter w;
    w.TextZ(text);
    return w.Take();
}

// Version 1.33 with plain 4 KB topic blocks, Japanese locale and Shift-JIS.
Bytes SystemFile(const HelpDocument& document, std::uint32_t contentsOffset) {
    ByteWriter out;
    out.U16(0x036C);  // magic
    out.U16(33);      // minor version
    out.U16(1);       // major version
    out.U32(0);       // generation date, left out so that builds are reproducible
    out.U16(0);       // flags: no compression, 4 KB topic blocks
    SystemRecord(out, 1, TextZ(document.fileTitle));
    ByteWriter contents;
    contents.U32(contentsOffset);
    SystemRecord(out, 3, contents.Data());
    // The viewer's own contents, index and back buttons jump too; they get the
    // same protection as the topics' buttons.
    SystemRecord(out, 4, TextZ("ChangeButtonBinding(\"BTN_CONTENTS\",\"" +
                               SafeButtonMacro("BTN_CONTENTS", "Contents()") +
                               "\");ChangeButtonBinding(\"BTN_BACK\",\"" + SafeButtonMacro("BTN_BACK", "Back()") +
                               "\");ChangeButtonBinding(\"BTN_INDEX\",\"" + SafeButtonMacro("BTN_INDEX", "Finder()") +
                               "\")"));
    SystemRecord(out, 9, Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0x11, 0x04});  // LCID 0x0411
    SystemRecord(out, 11, Bytes{0x80, 0x00});                         // SHIFTJIS_CHARSET
    return out.Take();
}

// The old font table layout (face names at offset 8) with 11-byte descriptors.
Bytes FontFile() {
    constexpr unsigned faceCount = std::size(kFaceNames);
    ByteWriter out;
    out.U16(faceCount);
    out.U16(static_cast<unsigned>(std::size(kFonts)));
    out.U16(8);
    out.U16(8 + faceCount * kFaceNameSize);
    for (const char* face : kFaceNames) {
        char name[kFaceNameSize] = {};
        std::memcpy(name, face, std::strlen(face));
        out.Append(std::string_view(name, sizeof name));
    }
    for (const auto& font : kFonts) {
        out.U8(font.attributes);
        out.U8(font.halfPoints);
        out.U8(0x03);  // swiss family
        out.U16(font.face);
        out.Zeros(6);  // black text, unused background colour
    }
    return out.Take();
}

// Topic id hashes, sorted as signed numbers, to topic offsets.
Bytes ContextFile(const HelpDocument& document, const std::vector<std::uint32_t>& offsets) {
    std::vector<std::pair<std::int32_t, std::uint32_t>> pairs;
    for (std::size_t i = 0; i < document.topics.size(); ++i) {
        pairs.emplace_back(ContextHash(document.topics[i].id), offsets[i]);
    }
    std::sort(pairs.begin(), pairs.end());
    std::vector<BTreeEntry> entries;
    for (const auto& [hash, offset] : pairs) {
        ByteWriter key;
        key.U32(static_cast<std::uint32_t>(hash));
        ByteWriter leaf;
        leaf.U32(static_cast<std::uint32_t>(hash));
        leaf.U32(offset);
        entries.push_back({key.Take(), leaf.Take()});
    }
    return BuildBTree({0x0002, 0x0800, "L4"}, entries);
}

// Context numbers (HELP_CONTEXT) to topic offsets.
Bytes ContextMapFile(const HelpDocument& document, const std::vector<std::uint32_t>& offsets) {
    ByteWriter out;
    std::vector<std::pair<std::int32_t, std::uint32_t>> pairs;
    for (std::size_t i = 0; i < document.topics.size(); ++i) {
        if (document.topics[i].context) pairs.emplace_back(*document.topics[i].context, offsets[i]);
    }
    std::sort(pairs.begin(), pairs.end());
    out.U16(static_cast<unsigned>(pairs.size()));
    for (const auto& [number, offset] : pairs) {
        out.U32(static_cast<std::uint32_t>(number));
        out.U32(offset);
    }
    return out.Take();
}

// Topic offsets to titles, for the viewer's search list.
Bytes TitleFile(const HelpDocument& document, const std::vector<std::uint32_t>& offsets) {
    std::vector<BTreeEntry> entries;
    for (std::size_t i = 0; i < document.topics.size(); ++i) {
        ByteWriter key;
        key.U32(offsets[i]);
        ByteWriter leaf;
        leaf.U32(offsets[i]);
        leaf.TextZ(document.topics[i].title);
        entries.push_back({key.Take(), leaf.Take()});
    }
    return BuildBTree({0x0002, 0x0800, "Lz"}, entries);
}

// The viewer's index: sorted words (|KWBTREE), the topic offset of each
// (|KWDATA) and the first word of each leaf page (|KWMAP).
void AddKeywordFiles(const HelpDocument& document, const std::vector<std::uint32_t>& offsets,
                     std::map<std::string, Bytes>& files) {
    std::vector<std::pair<std::string, std::uint32_t>> words;
    for (std::size_t i = 0; i < document.topics.size(); ++i) {
        for (const auto& keyword : document.topics[i].keywords) words.emplace_back(keyword.text, offsets[i]);
    }
    if (words.empty()) return;
    std::sort(words.begin(), words.end());  // byte order, as strcmp
    ByteWriter data;
    std::vector<BTreeEntry> entries;
    for (const auto& [word, offset] : words) {
        ByteWriter key;
        key.TextZ(word);
        ByteWriter leaf;
        leaf.TextZ(word);
        leaf.U16(1);  // one topic
        leaf.U32(static_cast<std::uint32_t>(data.Size()));
        data.U32(offset);
        entries.push_back({key.Take(), leaf.Take()});
    }
    std::vector<std::size_t> leafStarts;
    files["|KWBTREE"] = BuildBTree({0x0002, 0x0800, "F24"}, entries, &leafStarts);
    files["|KWDATA"] = data.Take();
    ByteWriter map;
    map.U16(static_cast<unsigned>(leafStarts.size()));
    for (std::size_t page = 0; page < leafStarts.size(); ++page) {
        map.U32(static_cast<std::uint32_t>(leafStarts[page]));
        map.U16(static_cast<unsigned>(page));
    }
    files["|KWMAP"] = map.Take();
}

// Lays the internal files out after the 16-byte header, the directory last.
Bytes Assemble(const std::map<std::string, Bytes>& files) {
    std::uint32_t offset = 16;
    std::vector<BTreeEntry> entries;
    for (const auto& [name, data] : files) {  // std::map keeps strcmp order
        ByteWriter key;
        key.TextZ(name);
        ByteWriter leaf;
        leaf.TextZ(name);
        leaf.U32(offset);
        entries.push_back({key.Take(), leaf.Take()});
        offset += kFileHeaderSize + static_cast<std::uint32_t>(data.size());
    }
    const auto directory = BuildBTree({0x0402, 0x0400, "z4"}, entries);
    const std::uint32_t directoryStart = offset;
    const std::uint32_t total = directoryStart + kFileHeaderSize + static_cast<std::uint32_t>(directory.size());

    ByteWriter out;
    out.U32(kFileMagic);
    out.U32(directoryStart);
    out.U32(0xFFFFFFFF);  // no free list
    out.U32(total);
    auto writeFile = [&out](const Bytes& data) {
        out.U32(kFileHeaderSize + static_cast<std::uint32_t>(data.size()));  // reserved
        out.U32(static_cast<std::uint32_t>(data.size()));                    // used
        out.U8(0);
        out.Append(data);
    };
    for (const auto& [name, data] : files) writeFile(data);
    writeFile(directory);
    return out.Take();
}

}  // namespace

Bytes BuildHelpFile(const HelpDocument& document) {
    const auto topics = BuildTopicSection(document);
    std::uint32_t contentsOffset = 0;
    for (std::size_t i = 0; i < document.topics.size(); ++i) {
        if (document.topics[i].id == document.contentsId) contentsOffset = topics.topicOffsets[i];
    }
    std::map<std::string, Bytes> files;
    files["|SYSTEM"] = SystemFile(document, contentsOffset);
    files["|FONT"] = FontFile();
    files["|TOPIC"] = topics.data;
    files["|CONTEXT"] = ContextFile(document, topics.topicOffsets);
    files["|CTXOMAP"] = ContextMapFile(document, topics.topicOffsets);
    files["|TTLBTREE"] = TitleFile(document, topics.topicOffsets);
    AddKeywordFiles(document, topics.topicOffsets, files);
    return Assemble(files);
}

CompileResult CompileHelp(std::string_view utf8Source) {
    CompileResult result;
    try {
        result.file = BuildHelpFile(ParseHelpSource(utf8Source));
        result.ok = true;
    } catch (const SourceError& e) {
        result.errorLine = e.Line();
        result.error = e.what();
    } catch (const std::exception& e) {
        result.error = e.what();
    }
    return result;
}

}  // namespace hlpgen
