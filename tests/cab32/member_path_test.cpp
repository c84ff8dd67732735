#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "member_path.h"
#include "output_text.h"
#include "source_files.h"

namespace cab32 {
namespace {

TEST(StoredNameFor, DropsDriveServerAndLeadingSeparatorsButNoTrailByte) {
    EXPECT_EQ(StoredNameFor("C:\\A\\x.txt"), "A\\x.txt");
    EXPECT_EQ(StoredNameFor("x.txt"), "x.txt");
    EXPECT_EQ(StoredNameFor("sub\\x.txt"), "sub\\x.txt");
    EXPECT_EQ(StoredNameFor("\\\\server\\share\\d\\x.txt"), "d\\x.txt");
    EXPECT_EQ(StoredNameFor("\\top\\x.txt"), "top\\x.txt");
    EXPECT_EQ(StoredNameFor("C:x.txt"), "x.txt");
    EXPECT_EQ(StoredNameFor("..\\..\\a\\.\\b.txt"), "a\\b.txt");
    EXPECT_EQ(StoredNameFor("a/b.txt"), "a\\b.txt");
    // "ソ\表.txt" (83 5C, 95 5C) under C:\: only the real separators count.
    EXPECT_EQ(StoredNameFor("C:\\\x83\x5C\\\x95\x5C.txt"), "\x83\x5C\\\x95\x5C.txt");
    // A drive-like lead byte pair is not a drive.
    EXPECT_EQ(StoredNameFor("\x83:.txt"), "\x83:.txt");
}

TEST(StoredNameOnDisk, TakesTheListedPartsAsTheDiskSpellsThem) {
    struct Case {
        const char* listed;
        const wchar_t* fullLongPath;
        const wchar_t* stored;
    };
    const Case cases[] = {
        {"C:\\A\\x.txt", L"C:\\A\\x.txt", L"A\\x.txt"},
        {"x.txt", L"C:\\cur\\x.txt", L"x.txt"},
        {"C:\\PROGRA~1\\CAFE~1.TXT", L"C:\\Program Files\\Caf\u00E9.txt", L"Program Files\\Caf\u00E9.txt"},
        {"dir1", L"C:\\cur\\dir1", L"dir1"},
        {"\\\\srv\\share\\d\\x", L"\\\\srv\\share\\d\\x", L"d\\x"},
        {"C:\\", L"C:\\", L""},
        // "." and ".." steps: the listed spelling is kept.
        {"..\\t2\\x.txt", L"C:\\w\\t2\\x.txt", L"t2\\x.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(StoredNameOnDisk(c.listed, c.fullLongPath), c.stored) << c.listed;
}

TEST(IsSafeMemberName, RefusesNamesThatLeaveTheFolder) {
    for (const char* name : {"..\\x.txt", "a\\..\\..\\x.txt", "\\x.txt", "/x.txt", "C:\\x.txt", "C:x.txt", "a/../x",
                             "...\\x", ". .\\x", "", "\\", "a\\.. \\x"}) {
        EXPECT_FALSE(IsSafeMemberName(name)) << name;
    }
    for (const char* name : {"x.txt", "a\\b\\c.txt", "..x.txt", "a..b\\c", "sub dir\\b c.txt", "\x83\x5C\\\x95\x5C",
                             "a/b.txt"}) {
        EXPECT_TRUE(IsSafeMemberName(name)) << name;
    }
    // 0x3A cannot be a trail byte, but 0x5C can; "ソ" alone is a safe name.
    EXPECT_TRUE(IsSafeMemberName("\x83\x5C"));
    EXPECT_FALSE(IsSafeMemberName("\x83\x5C:x"));
}

TEST(JoinPath, OneSeparatorBetween) {
    EXPECT_EQ(JoinPath("C:\\out", "a.txt"), "C:\\out\\a.txt");
    EXPECT_EQ(JoinPath("C:\\out\\", "a.txt"), "C:\\out\\a.txt");
    EXPECT_EQ(JoinPath("C:", "a.txt"), "C:a.txt");
    EXPECT_EQ(JoinPath("", "a.txt"), "a.txt");
    // A folder ending in "ソ" (83 5C) still needs its separator.
    EXPECT_EQ(JoinPath("C:\\\x83\x5C", "a.txt"), "C:\\\x83\x5C\\a.txt");
}

TEST(VolumeFileName, TwoDigitsBeforeTheExtension) {
    EXPECT_EQ(VolumeFileName("D:\\out\\a.cab", 1), "D:\\out\\a01.cab");
    EXPECT_EQ(VolumeFileName("D:\\out\\a.cab", 12), "D:\\out\\a12.cab");
    EXPECT_EQ(VolumeFileName("D:\\x.y\\name", 2), "D:\\x.y\\name02");
    EXPECT_EQ(VolumeFileName("D:\\\x95\x5C.cab", 1), "D:\\\x95\x5C" "01.cab");
}

TEST(MatchesWildcard, StarsQuestionMarksAndCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"*.*", "noextension", true},
             {"*", "a\\b.txt", true},
             {"*.TXT", "a\\b.txt", true},
             {"*.txt", "a\\b.bin", false},
             {"?.bin", "\x95\x5C.bin", true},  // one double-byte character
             {"??.bin", "\x95\x5C.bin", false},
             {"a*c", "abbbc", true},
             {"a*c", "abbbd", false},
             {"*ab", "aab", true},  // the star must give back what it took
             {"a*b*c", "abcbc", true},
             {"**", "", true},
             {"*?", "", false},
             {"", "", true},
             {"", "a", false},
             {"a?c", "ac", false},
             // The "\" of "表" (95 5C) is a trail byte, no separator.
             {"*\\x.txt", "\x95\x5Cx.txt", false},
             {"*\\x.txt", "\x95\x5C\\x.txt", true},
             {"*\x95\x5C*", "a\x95\x5C" "b", true},
         }) {
        EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
    }
}

TEST(MatchesWildcard, ManyStarsAgainstLongNamesStayLinear) {
    // Backtracking star by star would take minutes for each of these names.
    const std::string a255(255, 'a');
    EXPECT_FALSE(MatchesWildcard("*a*a*a*a*b", a255));
    EXPECT_TRUE(MatchesWildcard("*a*a*a*a*b", a255.substr(1) + "b"));
    EXPECT_FALSE(MatchesWildcard("*?*?*?*?*?*?*?*?*?*.txt", a255));
    EXPECT_FALSE(MatchesWildcard("*A*A*A*A*\x95\x5C", std::string(253, 'a') + "\x95\x5D"));
}

TEST(OutputText, CopyAlwaysEndsInNulAndNeverSplitsACharacter) {
    OutputText text(64000);
    text.Line("ab\x83\x5C");  // "ab" + "ソ" + CR LF: 6 bytes
    char buffer[8];
    std::memset(buffer, 'X', sizeof buffer);
    text.CopyTo(buffer, 7);
    EXPECT_STREQ(buffer, "ab\x83\x5C\r\n");
    EXPECT_EQ(buffer[7], 'X');
    text.CopyTo(buffer, 4);  // "ab" + lead byte would not leave room for the trail byte
    EXPECT_STREQ(buffer, "ab");
    text.CopyTo(buffer, 1);
    EXPECT_STREQ(buffer, "");
    text.CopyTo(nullptr, 10);  // nothing to write into: no crash
}

// Shown member lines plus the count in the line that says how many were left
// out: every member is accounted for.
int AccountedMembers(const std::string& text) {
    int shown = 0;
    for (std::size_t at = text.find("解凍: member"); at != std::string::npos; at = text.find("解凍: member", at + 1))
        ++shown;
    const std::size_t count = text.find("(出力が長すぎるため ");
    return count == std::string::npos ? shown : shown + std::atoi(text.c_str() + count + std::strlen("(出力が長すぎるため "));
}

TEST(OutputText, TooLongKeepsWholeFirstAndLatestLinesAndCountsTheRest) {
    // Kept to the buffer from the start, or cut only when copied.
    for (const std::size_t kept : {std::size_t{400}, std::size_t{64000}}) {
        OutputText text(kept);
        for (int i = 0; i < 1000; ++i) text.Line("解凍: member " + std::to_string(i));
        text.Line("done");
        char buffer[400];
        text.CopyTo(buffer, sizeof buffer);
        const std::string copied = buffer;
        EXPECT_TRUE(copied.starts_with("解凍: member 0\r\n")) << copied;
        EXPECT_NE(copied.find("行を省略しました)\r\n"), std::string::npos) << copied;
        EXPECT_TRUE(copied.ends_with("解凍: member 999\r\ndone\r\n")) << copied;
        EXPECT_EQ(AccountedMembers(copied), 1000) << copied;
        if (kept == 400) {
            EXPECT_EQ(text.Text(), copied);
        }
    }
}

}  // namespace
}  // namespace cab32
