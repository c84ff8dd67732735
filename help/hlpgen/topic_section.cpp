#include "topic_section.h"

namespace hlpgen {
namespace {

constexpr std::uint8_t kRecordTopicHeader = 0x02;
constexpr std::uint8_t kRecordText = 0x20;
constexpr std::uint32_t kTopicLinkHeaderSize = 21;
constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr unsigned kMaxTextLength = 0x7FFF;  // limit of the packed text length

struct Record {
    std::uint8_t type = kRecordText;
    Bytes data1;
    Bytes data2;
    int topicIndex = -1;     // header records: index of the topic, or -1 for the closing record
    std::uint32_t dataStart = 0;  // offset in the block data stream
    std::uint32_t position = 0;   // topic position (block * 0x4000 + 12 + offset)
    std::uint32_t offset = 0;     // topic offset (block * 0x8000 + characters before)

    [[nodiscard]] std::uint32_t Size() const {
        return kTopicLinkHeaderSize + static_cast<std::uint32_t>(data1.size() + data2.size());
    }
};

struct ParagraphStyle {
    unsigned font;
    unsigned emphasisFont;
    int spaceAbove;
    int spaceBelow;
    int leftIndent;
    int firstLineIndent;
};

// Metrics are in half points.
ParagraphStyle StyleOf(ParagraphKind kind) {
    switch (kind) {
        case ParagraphKind::Title: return {kFontTitle, kFontTitle, 0, 8, 0, 0};
        case ParagraphKind::Heading: return {kFontHeading, kFontHeading, 12, 2, 0, 0};
        case ParagraphKind::Item: return {kFontBody, kFontBodyBold, 3, 0, 24, -20};
        case ParagraphKind::SubItem: return {kFontBody, kFontBodyBold, 2, 0, 44, -20};
        case ParagraphKind::Code: return {kFontCode, kFontCodeBold, 4, 0, 24, 0};
        case ParagraphKind::Body: break;
    }
    return {kFontBody, kFontBodyBold, 6, 0, 0, 0};
}

// Paragraph info: the fixed bytes, the "what follows" bits and the values.
void WriteParagraphInfo(ByteWriter& info, const ParagraphStyle& style) {
    unsigned bits = 0;
    if (style.spaceAbove) bits |= 0x0002;
    if (style.spaceBelow) bits |= 0x0004;
    if (style.leftIndent) bits |= 0x0010;
    if (style.firstLineIndent) bits |= 0x0040;
    info.U8(0x00);
    info.U8(0x80);
    info.U16(0);  // id
    info.U16(bits);
    if (style.spaceAbove) info.PackedShort(style.spaceAbove);
    if (style.spaceBelow) info.PackedShort(style.spaceBelow);
    if (style.leftIndent) info.PackedShort(style.leftIndent);
    if (style.firstLineIndent) info.PackedShort(style.firstLineIndent);
}

// One paragraph as a text record: formatting commands in data1, the NUL
// separated texts between them in data2.
Record TextRecord(const Paragraph& paragraph) {
    const auto style = StyleOf(paragraph.kind);
    ByteWriter info;
    ByteWriter text;
    WriteParagraphInfo(info, style);
    for (std::size_t i = 0; i < paragraph.lines.size(); ++i) {
        if (i > 0) {
            text.U8(0);
            info.U8(0x81);  // line break
        }
        auto runs = paragraph.lines[i];
        const bool bulleted = paragraph.kind == ParagraphKind::Item || paragraph.kind == ParagraphKind::SubItem;
        if (i == 0 && bulleted) runs.insert(runs.begin(), {"\x81\x45", false});
        for (const auto& run : runs) {
            text.U8(0);
            info.U8(0x80);  // font change
            info.U16(run.emphasis ? style.emphasisFont : style.font);
            text.Append(run.text);
        }
    }
    text.U8(0);
    info.U8(0x82);  // end of paragraph
    text.U8(0);
    info.U8(0xFF);  // end of formatting
    if (text.Size() > kMaxTextLength) {
        throw SourceError(paragraph.sourceLine, "paragraph too long for the help file (over 32767 bytes)");
    }
    ByteWriter data1;
    data1.PackedLong(static_cast<long>(info.Size()));
    data1.PackedUShort(static_cast<unsigned>(text.Size()));
    data1.Append(info.Data());
    Record record;
    record.data1 = data1.Take();
    record.data2 = text.Take();
    return record;
}

Record HeaderRecord(const Topic* topic, int index) {
    Record record;
    record.type = kRecordTopicHeader;
    record.topicIndex = topic ? index : -1;
    record.data1.assign(28, 0);  // filled in once every record has its place
    if (topic) {
        ByteWriter text;
        text.Append(topic->title);
        const auto macro = TopicEntryMacro(*topic);
        if (!macro.empty()) {
            text.U8(0);
            text.Append(macro);
        }
        record.data2 = text.Take();
    }
    return record;
}

std::vector<Record> BuildRecords(const HelpDocument& document) {
    std::vector<Record> records;
    for (std::size_t i = 0; i < document.topics.size(); ++i) {
        const auto& topic = document.topics[i];
        records.push_back(HeaderRecord(&topic, static_cast<int>(i)));
        Paragraph title{ParagraphKind::Title, {{{topic.title, false}}}, topic.sourceLine};
        records.push_back(TextRecord(title));
        for (const auto& paragraph : topic.paragraphs) records.push_back(TextRecord(paragraph));
    }
    records.push_back(HeaderRecord(nullptr, -1));  // closing record without content
    return records;
}

// Gives every record its topic position and topic offset.
void Place(std::vector<Record>& records) {
    std::uint32_t dataStart = 0;
    std::uint32_t block = 0;
    std::uint32_t characters = 0;
    for (auto& record : records) {
        const std::uint32_t startBlock = dataStart / kTopicBlockDataSize;
        if (startBlock != block) {
            block = startBlock;
            characters = 0;
        }
        record.dataStart = dataStart;
        record.position = kTopicBlockHeaderSize + block * 0x4000 + dataStart % kTopicBlockDataSize;
        record.offset = block * 0x8000 + characters;
        if (record.type == kRecordText) characters += static_cast<std::uint32_t>(record.data2.size());
        dataStart += record.Size();
    }
}

void FillHeaders(std::vector<Record>& records, std::vector<std::uint32_t>& topicOffsets) {
    std::vector<std::size_t> headers;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].type == kRecordTopicHeader) headers.push_back(i);
    }
    for (std::size_t h = 0; h < headers.size(); ++h) {
        auto& record = records[headers[h]];
        const bool real = record.topicIndex >= 0;
        const bool hasPrevious = real && h > 0;
        const bool hasNext = real && h + 2 < headers.size();
        const std::size_t end = h + 1 < headers.size() ? headers[h + 1] : records.size();
        std::uint32_t blockSize = 0;
        for (auto i = headers[h] + 1; i < end; ++i) blockSize += records[i].Size();
        ByteWriter data1;
        data1.U32(blockSize);
        data1.U32(hasPrevious ? records[headers[h - 1]].offset : kNone);  // browse back
        data1.U32(hasNext ? records[headers[h + 1]].offset : kNone);      // browse forward
        data1.U32(static_cast<std::uint32_t>(h));                          // topic number
        data1.U32(kNone);                                                  // no non-scrolling region
        data1.U32(headers[h] + 1 < end ? records[headers[h] + 1].position : kNone);
        data1.U32(h + 1 < headers.size() ? records[headers[h + 1]].position : kNone);
        record.data1 = data1.Take();
        if (real) topicOffsets.push_back(record.offset);
    }
}

// Writes the records into blocks, each headed by the positions of the last
// record before it, its first record and the last topic header before it.
Bytes WriteBlocks(const std::vector<Record>& records) {
    ByteWriter stream;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto& record = records[i];
        stream.U32(record.Size());
        stream.U32(static_cast<std::uint32_t>(record.data2.size()));
        stream.U32(i > 0 ? records[i - 1].position : kNone);
        stream.U32(i + 1 < records.size() ? records[i + 1].position : kNone);
        stream.U32(kTopicLinkHeaderSize + static_cast<std::uint32_t>(record.data1.size()));
        stream.U8(record.type);
        stream.Append(record.data1);
        stream.Append(record.data2);
    }
    const auto& data = stream.Data();
    const std::size_t blocks = data.empty() ? 1 : (data.size() + kTopicBlockDataSize - 1) / kTopicBlockDataSize;
    ByteWriter out;
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::uint32_t begin = static_cast<std::uint32_t>(b) * kTopicBlockDataSize;
        std::uint32_t lastLink = kNone, firstLink = kNone, lastHeader = kNone;
        for (const auto& record : records) {
            if (record.dataStart < begin) {
                lastLink = record.position;
                if (record.type == kRecordTopicHeader) lastHeader = record.position;
            } else if (record.dataStart < begin + kTopicBlockDataSize && firstLink == kNone) {
                firstLink = record.position;
            }
        }
        out.U32(lastLink);
        out.U32(firstLink);
        out.U32(lastHeader);
        const auto end = std::min<std::size_t>(data.size(), begin + kTopicBlockDataSize);
        out.Append(Bytes(data.begin() + begin, data.begin() + static_cast<std::ptrdiff_t>(end)));
    }
    out.Zeros(blocks * kTopicBlockSize - out.Size());  // the viewer reads whole blocks
    return out.Take();
}

}  // namespace

std::string SafeButtonMacro(const std::string& buttonId, const std::string& jump) {
    return "ChangeButtonBinding(`" + buttonId + "',`" + jump + " ');" + jump + " ";
}

std::string TopicEntryMacro(const Topic& topic) {
    std::string macro;
    for (const auto& button : topic.buttons) {
        if (!macro.empty()) macro += ';';
        const auto id = "btn_" + button.target;
        macro += "CreateButton(\"" + id + "\",\"" + button.label + "\",\"" +
                 SafeButtonMacro(id, "JumpID(`',`" + button.target + "')") + "\")";
    }
    return macro;
}

TopicSection BuildTopicSection(const HelpDocument& document) {
    auto records = BuildRecords(document);
    Place(records);
    TopicSection section;
    FillHeaders(records, section.topicOffsets);
    section.data = WriteBlocks(records);
    return section;
}

}  // namespace hlpgen
