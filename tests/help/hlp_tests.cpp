// Tests of the help generator, read back with the independent reader.
//   hlp_tests [GENERATED_HLP SOURCE_TXT]
// With the two paths it also checks the help file the build produced.
// Prints "N passed, N failed" and returns non-zero on any failure.
#include <algorithm>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

#include "byte_writer.h"
#include "cp932.h"
#include "help_file.h"
#include "hlp_reader.h"

namespace {

int g_passed = 0;
int g_failed = 0;
int g_failedChecks = 0;

void Check(bool ok, const std::string& what, int line) {
    if (ok) return;
    ++g_failedChecks;
    std::cerr << "  line " << line << ": check failed: " << what << '\n';
}
#define CHECK(condition) Check((condition), #condition, __LINE__)

std::string Sjis(const std::string& utf8) { return hlpgen::Utf8ToCp932(utf8).bytes; }

hlpread::HelpFile Compile(const std::string& source) {
    const auto result = hlpgen::CompileHelp(source);
    if (!result.ok) throw std::runtime_error("compile failed at line " + std::to_string(result.errorLine) + ": " + result.error);
    return hlpread::ReadHelpFile(result.file);
}

// Every topic id of the source reaches, through |CONTEXT, the topic with its title.
void CheckIdsLand(const hlpread::HelpFile& help, const std::vector<std::pair<std::string, std::string>>& idTitles) {
    for (const auto& [id, title] : idTitles) {
        const auto offset = hlpread::LookUpContext(help, id);
        const auto* topic = offset ? hlpread::TopicAtOffset(help, *offset) : nullptr;
        CHECK(topic != nullptr && topic->title == Sjis(title));
    }
}

void TextCrossingBlockBoundaries() {
    // Paragraph lengths shift by one byte per variant, so that records
    // start and end on every side of the 4 KB boundaries, headers included.
    int crossings = 0;
    for (int shift = 0; shift < 48; ++shift) {
        std::string source = ".topic first 1\n.title 最初\n\n";
        std::vector<std::pair<std::string, std::string>> idTitles{{"first", "最初"}};
        const std::string paragraph = "表示と能力のソ" + std::string(static_cast<std::size_t>(60 + shift), 'x');
        for (int t = 0; t < 6; ++t) {
            const std::string id = "t" + std::to_string(t);
            const std::string title = "トピック" + std::to_string(t);
            source += ".topic " + id + "\n.title " + title + "\n";
            for (int p = 0; p < 8; ++p) source += paragraph + "\n\n";
            idTitles.emplace_back(id, title);
        }
        const auto help = Compile(source);
        CheckIdsLand(help, idTitles);
        CHECK(help.contextMap.at(1) == help.topics.at(0).offset);
        for (const auto& topic : help.topics) {
            for (std::size_t i = 1; i < topic.paragraphs.size(); ++i) {
                const auto& record = topic.paragraphs[i];
                CHECK(record.text == Sjis(paragraph));
                if (record.streamStart / 4084 != (record.streamStart + record.size - 1) / 4084) ++crossings;
            }
        }
    }
    CHECK(crossings > 20);
}

void PackedIntegerForms() {
    struct Case { long value; bool longForm; int kind; };  // kind 0 ushort, 1 short, 2 long
    const Case cases[] = {{0x7F, false, 0},    {0x80, true, 0},    {0x7FFF, true, 0},  {-0x40, false, 1},
                          {0x3F, false, 1},    {-0x41, true, 1},   {0x40, true, 1},    {-0x4000, true, 1},
                          {0x3FFF, false, 2},  {0x4000, true, 2},  {-0x4000, false, 2}, {-0x4001, true, 2},
                          {0x1234567, true, 2}};
    for (const auto& c : cases) {
        hlpgen::ByteWriter writer;
        if (c.kind == 0) writer.PackedUShort(static_cast<unsigned>(c.value));
        if (c.kind == 1) writer.PackedShort(static_cast<int>(c.value));
        if (c.kind == 2) writer.PackedLong(c.value);
        std::size_t at = 0;
        const auto read = c.kind == 0 ? hlpread::ReadPackedUShort(writer.Data(), at)
                          : c.kind == 1 ? hlpread::ReadPackedShort(writer.Data(), at)
                                        : hlpread::ReadPackedLong(writer.Data(), at);
        CHECK(read.value == c.value && read.longForm == c.longForm && at == writer.Size());
    }
}

void LongParagraphsUseLongForms() {
    std::string manyRuns;
    std::string expected;
    for (int i = 0; i < 2800; ++i) {
        manyRuns += "{{表}}a";
        expected += "表a";
    }
    const auto help = Compile(".topic a 1\n.title 長い段落\n\n" + manyRuns + "\n\n.topic b 4\n.title 次\n\n短い\n");
    const auto& record = help.topics.at(0).paragraphs.at(1);
    CHECK(record.text == Sjis(expected));
    CHECK(record.topicSize.longForm && record.topicLength.longForm);
    CHECK(record.fonts.size() == 5600);
    CHECK(hlpread::TopicAtOffset(help, help.contextMap.at(4))->title == Sjis("次"));
    const auto& shortRecord = help.topics.at(1).paragraphs.at(1);
    CHECK(!shortRecord.topicSize.longForm && !shortRecord.topicLength.longForm);
}

void ManyTopicsNeedIndexPages() {
    std::string source;
    std::vector<std::pair<std::string, std::string>> idTitles;
    for (int t = 0; t < 700; ++t) {
        const std::string id = "topic_" + std::to_string(t);
        const std::string title = "項目" + std::to_string(t);
        source += ".topic " + id + " " + std::to_string(t + 1) + "\n.title " + title + "\n.keywords 語" +
                  std::to_string(t) + ";見出し" + std::to_string(t) + "\n本文\n\n";
        idTitles.emplace_back(id, title);
    }
    const auto help = Compile(source);
    CHECK(help.topics.size() == 700);
    CheckIdsLand(help, idTitles);
    CHECK(hlpread::TopicAtOffset(help, help.contextMap.at(700))->title == Sjis("項目699"));
    // 1400 index words: several leaf pages, in byte order, each on its topic.
    CHECK(help.keywords.size() == 1400);
    CHECK(std::is_sorted(help.keywords.begin(), help.keywords.end()));
    for (const auto& [word, offset] : help.keywords) {
        const auto* topic = hlpread::TopicAtOffset(help, offset);
        const auto number = word.substr(word.find_first_of("0123456789"));
        CHECK(topic != nullptr && topic->title == Sjis("項目") + number);
    }
}

void FaultsNameTheirLine() {
    struct Case { std::string source; int line; std::string words; };
    const Case cases[] = {
        {".topic a\n.title ok\n\nline three\ncafé au lait\n", 5, "U+00E9"},
        {".topic a\n.title 𠮷野家\n", 2, "U+20BB7"},
        {".topic a\n.title ok\n.button a 表示\n", 3, "表"},
        {".topic a\n.title ok\n.button nowhere 行き先\n", 3, "unknown topic"},
        {".topic a 1\n.title ok\n.topic b 1\n.title ok\n", 3, "used twice"},
        {".topic a\n.title ok\n\n" + std::string(33000, 'x') + "\n", 4, "too long"},
        {".topic a\n.title ok\n\n{{open\n\n", 4, "not closed"},
        {".topic a\n.title ok\n.keywords 圧縮\n.topic b\n.title ok\n.keywords 解凍;圧縮\n", 6, "two topics"},
    };
    for (const auto& c : cases) {
        const auto result = hlpgen::CompileHelp(c.source);
        CHECK(!result.ok && result.errorLine == c.line && result.error.find(c.words) != std::string::npos);
    }
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Checks of the help file the build placed beside the program.
void GeneratedHelpFile(const std::string& hlpPath, const std::string& sourcePath) {
    const auto raw = ReadText(hlpPath);
    const auto help = hlpread::ReadHelpFile(hlpread::Bytes(raw.begin(), raw.end()));
    CHECK(help.minorVersion == 33 && help.flags == 0);
    CHECK(help.systemRecords.at(11).at(0) == 0x80);
    CHECK(help.systemRecords.at(9).size() == 10 && help.systemRecords.at(9)[8] == 0x11 && help.systemRecords.at(9)[9] == 0x04);
    CHECK(help.fontFacesOffset == 8 && help.topicFileSize % 4096 == 0);
    CHECK(std::is_sorted(help.directoryNames.begin(), help.directoryNames.end()));
    const auto contents = hlpread::TopicAtOffset(help, help.contextMap.at(1));
    const auto intro = hlpread::TopicAtOffset(help, help.contextMap.at(4));
    CHECK(contents && contents->title == Sjis("Tarvik32 ヘルプ目次"));
    CHECK(intro && intro->title == Sjis("始めに"));
    const auto& contentsRecord = help.systemRecords.at(3);
    std::uint32_t contentsOffset = 0;
    for (std::size_t i = contentsRecord.size(); i-- > 0;) contentsOffset = contentsOffset << 8 | contentsRecord[i];
    CHECK(contentsRecord.size() == 4 && help.contextMap.at(1) == contentsOffset);
    const auto document = hlpgen::ParseHelpSource(ReadText(sourcePath));
    int buttons = 0;
    for (std::size_t i = 0; i < help.topics.size(); ++i) {
        const auto& topic = help.topics[i];
        CHECK(topic.title == document.topics.at(i).title && topic.paragraphs.at(0).text == topic.title);
        if (i + 1 < help.topics.size()) CHECK(topic.browseForward == help.topics[i + 1].offset);
        for (const auto& macro : topic.macros) {
            CHECK(std::count(macro.begin(), macro.end(), '"') / 2 < 32);  // the viewer's limit per macro
            for (std::size_t at = macro.find("JumpID(`',`"); at != std::string::npos; at = macro.find("JumpID(`',`", at + 1)) {
                const auto start = at + 11;
                const auto target = macro.substr(start, macro.find('\'', start) - start);
                // Wine's viewer needs a blank right after each jump (it frees the
                // clicked button while the jump's macro text is still being read).
                CHECK(macro.compare(start + target.size(), 3, "') ") == 0);
                const auto labelEnd = macro.rfind("\",\"JumpID", at);
                const auto label = macro.substr(macro.rfind('"', labelEnd - 1) + 1, labelEnd - macro.rfind('"', labelEnd - 1) - 1);
                CHECK(label.find('\\') == std::string::npos && label.find('`') == std::string::npos);
                const auto offset = hlpread::LookUpContext(help, target);
                CHECK(offset && hlpread::TopicAtOffset(help, *offset) != nullptr);
                ++buttons;
            }
        }
    }
    CHECK(buttons >= 10);
    std::size_t words = 0;
    for (const auto& topic : document.topics) {
        for (const auto& keyword : topic.keywords) {
            const auto found = std::find_if(help.keywords.begin(), help.keywords.end(),
                                            [&](const auto& entry) { return entry.first == keyword.text; });
            const auto* target = found == help.keywords.end() ? nullptr : hlpread::TopicAtOffset(help, found->second);
            CHECK(target != nullptr && target->title == topic.title);
            ++words;
        }
    }
    CHECK(words == help.keywords.size() && words >= 20);
}

void Run(const char* name, const std::function<void()>& test) {
    const int failedBefore = g_failedChecks;
    try {
        test();
    } catch (const std::exception& e) {
        ++g_failedChecks;
        std::cerr << "  exception: " << e.what() << '\n';
    }
    if (g_failedChecks == failedBefore) {
        ++g_passed;
        std::cout << "passed: " << name << '\n';
    } else {
        ++g_failed;
        std::cout << "FAILED: " << name << '\n';
    }
}

}  // namespace

int main(int argc, char** argv) {
    Run("text crossing block boundaries lands on its topics", TextCrossingBlockBoundaries);
    Run("packed integers switch forms at their limits", PackedIntegerForms);
    Run("long paragraphs use the long forms", LongParagraphsUseLongForms);
    Run("many topics need index pages", ManyTopicsNeedIndexPages);
    Run("faults name their source line", FaultsNameTheirLine);
    if (argc == 3) Run("generated Tarvik.hlp", [&] { GeneratedHelpFile(argv[1], argv[2]); });
    std::cout << g_passed << " passed, " << g_failed << " failed\n";
    return g_failed == 0 ? 0 : 1;
}
