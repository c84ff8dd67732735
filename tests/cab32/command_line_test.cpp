#include <gtest/gtest.h>

#include "command_line.h"
#include "list_file.h"

namespace cab32 {
namespace {

std::vector<std::string> Texts(std::string_view line) {
    std::vector<std::string> texts;
    for (const CommandToken& token : SplitCommandLine(line)) texts.push_back(token.text);
    return texts;
}

TEST(SplitCommandLine, BlanksSeparateAndQuotesGroupWithBackslashLiteral) {
    EXPECT_EQ(Texts("-x -j D:\\in\\a.cab \"D:\\Work Dir\\\""),
              (std::vector<std::string>{"-x", "-j", "D:\\in\\a.cab", "D:\\Work Dir\\"}));
    EXPECT_EQ(Texts("  a\t\tb  "), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Texts("pre\"mid dle\"post"), (std::vector<std::string>{"premid dlepost"}));
    EXPECT_EQ(Texts("\"\""), (std::vector<std::string>{""}));
    EXPECT_TRUE(Texts("").empty());
}

TEST(SplitCommandLine, ShiftJisTrailByteBackslashStaysInName) {
    // "ソ" is 83 5C: the 5C must neither end a quote nor split anything.
    const auto tokens = Texts("-l \"C:\\\x83\x5C dir\\\x95\x5C.cab\"");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1], "C:\\\x83\x5C dir\\\x95\x5C.cab");
}

TEST(ParseCommand, CompressCommandOfTheProgram) {
    const ParsedCommand parsed = ParseCommand("-a -ml21 -v:1400 \"C:\\My Files\\backup.cab\" @C:\\Tools\\Arc\\Files.txt");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.command.operation, Operation::Add);
    EXPECT_EQ(parsed.command.compression, Compression::Lzx);
    EXPECT_EQ(parsed.command.lzxLevel, 21);
    EXPECT_EQ(parsed.command.volumeKb, 1400u);
    EXPECT_EQ(parsed.command.archive, "C:\\My Files\\backup.cab");
    EXPECT_EQ(parsed.command.listFiles, std::vector<std::string>{"C:\\Tools\\Arc\\Files.txt"});
}

TEST(ParseCommand, ExtractWithFolderSwitchesAndEmptyFolder) {
    ParsedCommand parsed = ParseCommand("-x -j -k D:\\in\\a.cab ");
    ASSERT_TRUE(parsed.ok);
    EXPECT_TRUE(parsed.command.dropFolders);
    EXPECT_TRUE(parsed.command.followVolumes);
    EXPECT_EQ(parsed.command.folder, "");

    parsed = ParseCommand("-X D:\\in\\a.cab \"D:\\Work Dir\\\" @C:\\\\Files.txt");
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.command.operation, Operation::Extract);
    EXPECT_EQ(parsed.command.folder, "D:\\Work Dir\\");
    EXPECT_EQ(parsed.command.listFiles, std::vector<std::string>{"C:\\\\Files.txt"});
}

TEST(ParseCommand, ListFileNameMayStandInQuotes) {
    ParsedCommand parsed = ParseCommand("-a a.cab @\"C:\\Tar vik \x83\x5C\x95\x5C\\Files.txt\"");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.command.listFiles, std::vector<std::string>{"C:\\Tar vik \x83\x5C\x95\x5C\\Files.txt"});
    EXPECT_TRUE(parsed.command.names.empty());
    // Wholly in quotes, it is a name.
    parsed = ParseCommand("-a a.cab \"@b.txt\"");
    EXPECT_TRUE(parsed.command.listFiles.empty());
    EXPECT_EQ(parsed.command.names, std::vector<std::string>{"@b.txt"});
}

TEST(ParseCommand, CompressionSwitches) {
    EXPECT_EQ(ParseCommand("-a -mz a.cab").command.compression, Compression::Mszip);
    EXPECT_EQ(ParseCommand("-a -ms a.cab").command.compression, Compression::None);
    EXPECT_FALSE(ParseCommand("-a a.cab").command.compression.has_value());
    EXPECT_EQ(ParseCommand("-a -ml15 a.cab").command.lzxLevel, 15);
}

TEST(ParseCommand, RefusesWhatItCannotDo) {
    EXPECT_FALSE(ParseCommand("-a -ml14 a.cab").ok);
    EXPECT_FALSE(ParseCommand("-a -ml22 a.cab").ok);
    EXPECT_FALSE(ParseCommand("-a -v:0 a.cab").ok);
    EXPECT_FALSE(ParseCommand("-a -v:abc a.cab").ok);
    EXPECT_FALSE(ParseCommand("-q a.cab").ok);
    EXPECT_FALSE(ParseCommand("-a -x a.cab").ok);
    EXPECT_FALSE(ParseCommand("a.cab").ok);
    EXPECT_FALSE(ParseCommand("-l").ok);
    EXPECT_FALSE(ParseCommand("").ok);
    // A quoted "-x" is a name, not a switch.
    EXPECT_EQ(ParseCommand("-l \"-x\"").command.archive, "-x");
}

TEST(ParseListText, CrLfAndLfLinesQuotedNamesAndEmptyLines) {
    EXPECT_EQ(ParseListText("readme.txt\r\n\"sub dir\\b.txt\"\r\n\r\nc.dat\nlast"),
              (std::vector<std::string>{"readme.txt", "sub dir\\b.txt", "c.dat", "last"}));
    EXPECT_EQ(ParseListText("  spaced.txt  \r\n"), std::vector<std::string>{"spaced.txt"});
    EXPECT_TRUE(ParseListText("").empty());
    EXPECT_TRUE(ParseListText("\r\n\r\n").empty());
}

TEST(ParseListText, ShiftJisNamesKeepTheirBytes) {
    const std::string name = "\x83\x5C\x83\x74\x83\x67\\\x95\x5C.txt";
    EXPECT_EQ(ParseListText(name + "\r\n\"" + name + " 2\"\r\n"),
              (std::vector<std::string>{name, name + " 2"}));
}

}  // namespace
}  // namespace cab32
