#include "job_command.h"

#include <gtest/gtest.h>

namespace {

using tarvik::BuildJobCommand;
using tarvik::JobRequest;

// The window's choices besides the operation and the paths.
enum Choice { kMultiVolume = 1, kNoDirectories = 2, kSelective = 4, kExists = 8, kMissing = 16 };

JobRequest Choose(JobRequest r, int choices) {
    r.multiVolume = (choices & kMultiVolume) != 0;
    r.noDirectoriesOnExtraction = (choices & kNoDirectories) != 0;
    r.selectiveExtraction = (choices & kSelective) != 0;
    if (choices & kExists) r.archiveExists = true;
    if (choices & kMissing) r.archiveExists = false;
    return r;
}

JobRequest Compress(const char* type, const char* sw, const char* archive, int choices = 0) {
    JobRequest r;
    r.operationSwitch = "-a";
    r.compressionType = type;
    r.compressionSwitch = sw;
    r.archivePath = archive;
    r.programFolder = "C:\\Tools\\Arc";
    return Choose(r, choices);
}

JobRequest Existing(const char* op, const char* archive, const char* folder = "", int choices = 0) {
    JobRequest r;
    r.operationSwitch = op;
    r.archivePath = archive;
    r.extractionFolder = folder;
    r.archiveExists = true;
    r.programFolder = "C:\\Tools\\Arc";
    return Choose(r, choices);
}

JobRequest InFolder(JobRequest r, const char* programFolder) {
    r.programFolder = programFolder;
    return r;
}

JobRequest WithSwitch(JobRequest r, const char* operationSwitch) {
    r.operationSwitch = operationSwitch;
    return r;
}

}  // namespace

// Each request against the command it makes; "" where the archive path does
// not suit the operation and no job is run.
TEST(BuildJobCommand, CommandsOfTheWindowsRequests) {
    struct Case {
        const char* label;
        JobRequest request;
        const char* command;
    };
    const Case cases[] = {
        {"compress LZX 21 in volumes", Compress("LZX 21", "-ml21", "C:\\My Files\\backup.cab", kMultiVolume),
         "-a -ml21 -v:1400 \"C:\\My Files\\backup.cab\" @C:\\Tools\\Arc\\Files.txt"},
        {"compress MSZIP", Compress("MSZIP", "-mz", "D:\\out\\a.cab"), "-a -mz D:\\out\\a.cab @C:\\Tools\\Arc\\Files.txt"},
        {"compress without a type", Compress("", "-ml15", "D:\\out\\a.cab"), "-a D:\\out\\a.cab @C:\\Tools\\Arc\\Files.txt"},
        // A type without a switch gives a lone blank: two blanks in a row.
        {"type without a switch", Compress("MSZIP", "", "a.cab"), "-a  a.cab @C:\\Tools\\Arc\\Files.txt"},
        // Multi-volume and no-directories belong to other kinds: not in List or Test.
        {"compress ignores extraction choices", Compress("MSZIP", "-mz", "a.cab", kNoDirectories | kSelective),
         "-a -mz a.cab @C:\\Tools\\Arc\\Files.txt"},
        {"list ignores every choice", Existing("-l", "a.cab", "", kMultiVolume | kNoDirectories | kSelective), "-l a.cab"},
        {"extract without folders", Existing("-x", "D:\\in\\a.cab", "D:\\Work Dir\\", kNoDirectories),
         "-x -j D:\\in\\a.cab \"D:\\Work Dir\\\""},
        {"extract ticked members of volumes", Existing("-x", "D:\\in\\a.cab", "D:\\out\\", kMultiVolume | kSelective),
         "-x -k D:\\in\\a.cab D:\\out\\ @C:\\Tools\\Arc\\Files.txt"},
        {"extract into no folder", Existing("-x", "D:\\in\\a.cab", "", kNoDirectories | kMultiVolume), "-x -j -k D:\\in\\a.cab "},
        // The folder of a self-extracting archive is quoted like any other path.
        {"self-extractor, folder with a blank", Existing("-f", "D:\\in\\a.cab", "D:\\Work Dir\\"),
         "-f D:\\in\\a.cab \"D:\\Work Dir\\\""},
        {"self-extractor", Existing("-f", "D:\\in\\a.cab", "D:\\out\\"), "-f D:\\in\\a.cab D:\\out\\"},
        {"list, path with a blank", Existing("-l", "D:\\in dir\\a.cab"), "-l \"D:\\in dir\\a.cab\""},
        {"test", Existing("-t", "D:\\in\\a.cab"), "-t D:\\in\\a.cab"},
        {"compress onto an existing archive", Compress("MSZIP", "-mz", "D:\\out\\a.cab", kExists), ""},
        {"extract a missing archive", Existing("-x", "D:\\in\\a.cab", "", kMissing), ""},
        {"self-extractor of a missing archive", Existing("-f", "D:\\in\\a.cab", "", kMissing), ""},
        {"list a missing archive", Existing("-l", "D:\\in\\a.cab", "", kMissing), ""},
        {"test a missing archive", Existing("-t", "D:\\in\\a.cab", "", kMissing), ""},
        {"unknown switch", Existing("-z", "D:\\in\\a.cab"), ""},
        {"no switch", Existing("", "D:\\in\\a.cab"), ""},
        // Upper-case switches name the same jobs.
        {"upper-case test", Existing("-T", "D:\\in\\a.cab"), "-T D:\\in\\a.cab"},
        {"upper-case compress", WithSwitch(Compress("MSZIP", "-mz", "D:\\out\\a.cab"), "-A"),
         "-A -mz D:\\out\\a.cab @C:\\Tools\\Arc\\Files.txt"},
        // Only the ASCII blank causes quoting; a text already quoted is wrapped again.
        {"full-width blank", Existing("-t", "D:\\全角\x81\x40空白.cab"), "-t D:\\全角\x81\x40空白.cab"},
        {"ampersand", Existing("-t", "D:\\a&b.cab"), "-t D:\\a&b.cab"},
        {"ASCII blank", Existing("-t", "D:\\x\\a b.cab"), "-t \"D:\\x\\a b.cab\""},
        {"already quoted", Existing("-t", "\"D:\\a b.cab\""), "-t \"\"D:\\a b.cab\"\""},
        // The response file of a program in a drive root.
        {"compress, program in a root", InFolder(Compress("MSZIP", "-mz", "a.cab"), "C:\\"), "-a -mz a.cab @C:\\Files.txt"},
        {"extract, program in a root", InFolder(Existing("-x", "a.cab", "D:\\o\\", kSelective), "C:\\"),
         "-x a.cab D:\\o\\ @C:\\\\Files.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildJobCommand(c.request), c.command) << c.label;
}

TEST(BuildJobCommand, ResponseFileOfAProgramInAFolderWithABlank) {
    struct Case {
        const char* folder;
        const char* shortForm;  // as the file system gives it
        const char* named;      // the response file as the command names it
    };
    const Case cases[] = {
        // Without a blank the long path stays, whatever short form there is.
        {"C:\\Tools\\Archivers", "C:\\Tools\\ARCHIV~1", "C:\\Tools\\Archivers\\Files.txt"},
        {"C:\\Program Files\\Tar vik", "C:\\PROGRA~1\\TARVIK~1", "C:\\PROGRA~1\\TARVIK~1\\Files.txt"},
        {"C:\\Program Files\\Tar vik", "", "\"C:\\Program Files\\Tar vik\\Files.txt\""},
        // Short names switched off: the file system gives the long path back.
        {"C:\\Program Files\\Tar vik", "C:\\Program Files\\Tar vik", "\"C:\\Program Files\\Tar vik\\Files.txt\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + " / " + c.shortForm);
        JobRequest compress = Compress("MSZIP", "-mz", "a.cab");
        compress.programFolder = c.folder;
        compress.programFolderShort = c.shortForm;
        EXPECT_EQ(BuildJobCommand(compress), std::string("-a -mz a.cab @") + c.named);
        JobRequest extract = Existing("-x", "a.cab", "D:\\o\\");
        extract.programFolder = c.folder;
        extract.programFolderShort = c.shortForm;
        extract.selectiveExtraction = true;
        EXPECT_EQ(BuildJobCommand(extract), std::string("-x a.cab D:\\o\\ @") + c.named);
    }
}

TEST(CheckedMembers, KeepsCheckedEntriesInListOrder) {
    const std::vector<tarvik::CheckedEntry> entries = {
        {"readme.txt", true}, {"c.dat", false}, {"sub dir\\b.txt", true}};
    EXPECT_EQ(tarvik::CheckedMembers(entries), (std::vector<std::string>{"readme.txt", "sub dir\\b.txt"}));
    EXPECT_TRUE(tarvik::CheckedMembers({{"a", false}}).empty());
}
