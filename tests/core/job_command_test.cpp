#include "job_command.h"

#include <gtest/gtest.h>

namespace {

using tarvik::BuildJobCommand;
using tarvik::JobRequest;

JobRequest Compress(const char* type, const char* sw, const char* archive) {
    JobRequest r;
    r.operationSwitch = "-a";
    r.compressionType = type;
    r.compressionSwitch = sw;
    r.archivePath = archive;
    r.programFolder = "C:\\Tools\\Arc";
    return r;
}

JobRequest Existing(const char* op, const char* archive, const char* folder = "") {
    JobRequest r;
    r.operationSwitch = op;
    r.archivePath = archive;
    r.extractionFolder = folder;
    r.archiveExists = true;
    r.programFolder = "C:\\Tools\\Arc";
    return r;
}

}  // namespace

TEST(BuildJobCommand, WorkedCompressCommands) {
    JobRequest lzx = Compress("LZX 21", "-ml21", "C:\\My Files\\backup.cab");
    lzx.multiVolume = true;
    EXPECT_EQ(BuildJobCommand(lzx), "-a -ml21 -v:1400 \"C:\\My Files\\backup.cab\" @C:\\Tools\\Arc\\Files.txt");
    EXPECT_EQ(BuildJobCommand(Compress("MSZIP", "-mz", "D:\\out\\a.cab")),
              "-a -mz D:\\out\\a.cab @C:\\Tools\\Arc\\Files.txt");
    EXPECT_EQ(BuildJobCommand(Compress("", "-ml15", "D:\\out\\a.cab")),
              "-a D:\\out\\a.cab @C:\\Tools\\Arc\\Files.txt");
}

TEST(BuildJobCommand, WorkedExtractCommands) {
    JobRequest noDirs = Existing("-x", "D:\\in\\a.cab", "D:\\Work Dir\\");
    noDirs.noDirectoriesOnExtraction = true;
    EXPECT_EQ(BuildJobCommand(noDirs), "-x -j D:\\in\\a.cab \"D:\\Work Dir\\\"");

    JobRequest selective = Existing("-x", "D:\\in\\a.cab", "D:\\out\\");
    selective.multiVolume = true;
    selective.selectiveExtraction = true;
    EXPECT_EQ(BuildJobCommand(selective), "-x -k D:\\in\\a.cab D:\\out\\ @C:\\Tools\\Arc\\Files.txt");

    JobRequest emptyFolder = Existing("-x", "D:\\in\\a.cab");
    emptyFolder.noDirectoriesOnExtraction = true;
    emptyFolder.multiVolume = true;
    EXPECT_EQ(BuildJobCommand(emptyFolder), "-x -j -k D:\\in\\a.cab ");
}

TEST(BuildJobCommand, WorkedSelfExtractListAndTestCommands) {
    // The folder of a self-extracting archive is quoted like any other path.
    EXPECT_EQ(BuildJobCommand(Existing("-f", "D:\\in\\a.cab", "D:\\Work Dir\\")),
              "-f D:\\in\\a.cab \"D:\\Work Dir\\\"");
    EXPECT_EQ(BuildJobCommand(Existing("-f", "D:\\in\\a.cab", "D:\\out\\")), "-f D:\\in\\a.cab D:\\out\\");
    EXPECT_EQ(BuildJobCommand(Existing("-l", "D:\\in dir\\a.cab")), "-l \"D:\\in dir\\a.cab\"");
    EXPECT_EQ(BuildJobCommand(Existing("-t", "D:\\in\\a.cab")), "-t D:\\in\\a.cab");
}

TEST(BuildJobCommand, NoJobWhenTheArchivePathDoesNotSuitTheOperation) {
    JobRequest existingCompress = Compress("MSZIP", "-mz", "D:\\out\\a.cab");
    existingCompress.archiveExists = true;
    EXPECT_EQ(BuildJobCommand(existingCompress), "");
    for (const char* op : {"-x", "-f", "-l", "-t"}) {
        JobRequest missing = Existing(op, "D:\\in\\a.cab");
        missing.archiveExists = false;
        EXPECT_EQ(BuildJobCommand(missing), "") << op;
    }
    EXPECT_EQ(BuildJobCommand(Existing("-z", "D:\\in\\a.cab")), "");
    EXPECT_EQ(BuildJobCommand(Existing("", "D:\\in\\a.cab")), "");
}

TEST(BuildJobCommand, UpperCaseSwitchesNameTheSameJobs) {
    EXPECT_EQ(BuildJobCommand(Existing("-T", "D:\\in\\a.cab")), "-T D:\\in\\a.cab");
    JobRequest upper = Compress("MSZIP", "-mz", "D:\\out\\a.cab");
    upper.operationSwitch = "-A";
    EXPECT_EQ(BuildJobCommand(upper), "-A -mz D:\\out\\a.cab @C:\\Tools\\Arc\\Files.txt");
}

TEST(BuildJobCommand, CompressionTokenFollowsTheTypeButCarriesTheSwitch) {
    // A type without a switch gives a lone blank: two blanks in a row.
    EXPECT_EQ(BuildJobCommand(Compress("MSZIP", "", "a.cab")), "-a  a.cab @C:\\Tools\\Arc\\Files.txt");
    // Multi-volume and no-directories belong to other kinds: not in List or Test.
    JobRequest list = Existing("-l", "a.cab");
    list.multiVolume = true;
    list.noDirectoriesOnExtraction = true;
    list.selectiveExtraction = true;
    EXPECT_EQ(BuildJobCommand(list), "-l a.cab");
    JobRequest compress = Compress("MSZIP", "-mz", "a.cab");
    compress.noDirectoriesOnExtraction = true;
    compress.selectiveExtraction = true;
    EXPECT_EQ(BuildJobCommand(compress), "-a -mz a.cab @C:\\Tools\\Arc\\Files.txt");
}

TEST(BuildJobCommand, OnlyTheAsciiBlankCausesQuoting) {
    EXPECT_EQ(BuildJobCommand(Existing("-t", "D:\\全角\x81\x40空白.cab")), "-t D:\\全角\x81\x40空白.cab");
    EXPECT_EQ(BuildJobCommand(Existing("-t", "D:\\a&b.cab")), "-t D:\\a&b.cab");
    EXPECT_EQ(BuildJobCommand(Existing("-t", "D:\\x\\a b.cab")), "-t \"D:\\x\\a b.cab\"");
    // A text that already carries quotes is wrapped again.
    EXPECT_EQ(BuildJobCommand(Existing("-t", "\"D:\\a b.cab\"")), "-t \"\"D:\\a b.cab\"\"");
}

TEST(BuildJobCommand, ResponseFileOfAProgramInADriveRoot) {
    JobRequest compress = Compress("MSZIP", "-mz", "a.cab");
    compress.programFolder = "C:\\";
    EXPECT_EQ(BuildJobCommand(compress), "-a -mz a.cab @C:\\Files.txt");
    JobRequest extract = Existing("-x", "a.cab", "D:\\o\\");
    extract.programFolder = "C:\\";
    extract.selectiveExtraction = true;
    EXPECT_EQ(BuildJobCommand(extract), "-x a.cab D:\\o\\ @C:\\\\Files.txt");
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
