// Tests of WriteCabinet's contract that the command-line round trips do not
// reach: cancelling, what a failed job leaves behind, and the same bytes
// whatever the number of threads.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "cabinet_writer.h"
#include "temp_folder.h"

namespace {

using namespace cab32;

class WriteCabinetTest : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        folder_ = std::string(base) + "cabwriter_test_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
        source_ = folder_ + "\\data.bin";
        std::ofstream out(source_, std::ios::binary);
        for (unsigned i = 0; i < 300000; ++i) out.put(static_cast<char>((i * 7919u) >> 5));
    }
    void TearDown() override {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do DeleteFileA((folder_ + "\\" + found.cFileName).c_str());
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(folder_.c_str());
    }
    bool Exists(const std::string& name) const {
        return GetFileAttributesA((folder_ + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    WriterOptions VolumeOptions(std::uint32_t size) const {
        WriterOptions options;
        options.compression = Compression::None;
        options.volumeSizeBytes = size;
        const std::string folder = folder_;
        options.volumePath = [folder](int n) { return folder + "\\v" + std::to_string(n) + ".cab"; };
        return options;
    }

    WriterInputFile Source(std::string storedName) const {
        WriterInputFile file;
        file.sourcePath = std::wstring(source_.begin(), source_.end());  // an ASCII temporary path
        file.displayPath = source_;
        file.storedName = std::move(storedName);
        return file;
    }

    std::string folder_;
    std::string source_;
};

TEST_F(WriteCabinetTest, CancellingMidwayRemovesTheVolumesAlreadyWritten) {
    WriterOptions options = VolumeOptions(50000);
    int calls = 0;
    options.progress = [&](std::uint64_t, std::uint64_t) { return ++calls < 5; };
    const WriteResult result = WriteCabinet({Source("data.bin")}, options);
    EXPECT_EQ(result.error, WriteError::Cancelled);
    EXPECT_TRUE(result.cabinets.empty());
    EXPECT_FALSE(Exists("v1.cab"));
    EXPECT_FALSE(Exists("v2.cab"));
}

TEST_F(WriteCabinetTest, ReportsEveryVolumeInOrderWithTheirTotalSize) {
    std::uint64_t lastDone = 0, total = 0;
    WriterOptions options = VolumeOptions(100000);
    options.progress = [&](std::uint64_t done, std::uint64_t all) {
        EXPECT_GE(done, lastDone);
        lastDone = done;
        total = all;
        return true;
    };
    const WriteResult result = WriteCabinet({Source("data.bin")}, options);
    ASSERT_EQ(result.error, WriteError::None);
    ASSERT_EQ(result.cabinets.size(), 4u);
    std::uint64_t bytes = 0;
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(result.cabinets[n - 1], folder_ + "\\v" + std::to_string(n) + ".cab");
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(GetFileAttributesExA(result.cabinets[n - 1].c_str(), GetFileExInfoStandard, &data));
        bytes += data.nFileSizeLow;
    }
    EXPECT_EQ(result.cabinetBytes, bytes);
    EXPECT_EQ(lastDone, 300000u);
    EXPECT_EQ(total, 300000u);
}

TEST_F(WriteCabinetTest, AVolumeNameThatExistsStopsTheSetAndKeepsThatFile) {
    std::ofstream(folder_ + "\\v2.cab") << "someone else's";
    const WriteResult result = WriteCabinet({Source("data.bin")}, VolumeOptions(100000));
    EXPECT_EQ(result.error, WriteError::OutputExists);
    EXPECT_EQ(result.failedPath, folder_ + "\\v2.cab");
    EXPECT_FALSE(Exists("v1.cab"));
    std::ifstream kept(folder_ + "\\v2.cab");
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "someone else's");
}

TEST_F(WriteCabinetTest, StoresDateTimeAndAttributesAndTheUtf8FlagOnlyWhereTheNameIsUtf8) {
    WriterOptions options;
    options.compression = Compression::Mszip;
    options.cabinetPath = folder_ + "\\one.cab";
    // 0x80 in the attributes tells readers the name is UTF-8: it comes from
    // nameIsUtf8 alone, never from the file's own attributes.
    WriterInputFile ansi = Source("dir\\data.bin");
    ansi.dosDate = 0x5A21;
    ansi.dosTime = 0x6B3F;
    ansi.attributes = 0x80 | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY;
    WriterInputFile utf8 = Source("Caf\xC3\xA9.bin");
    utf8.nameIsUtf8 = true;
    const WriteResult result = WriteCabinet({ansi, utf8}, options);
    ASSERT_EQ(result.error, WriteError::None);
    std::ifstream in(options.cabinetPath, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t entry = static_cast<unsigned char>(bytes[16]) | (static_cast<unsigned char>(bytes[17]) << 8);
    auto le16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8));
    };
    EXPECT_EQ(le16(entry + 10), 0x5A21u);  // date
    EXPECT_EQ(le16(entry + 12), 0x6B3Fu);  // time
    EXPECT_EQ(le16(entry + 14), 0x21u);    // archive and read-only only
    EXPECT_EQ(bytes.substr(entry + 16, 13), std::string("dir\\data.bin") + '\0');
    const std::size_t second = entry + 16 + 13;
    EXPECT_EQ(le16(second + 14), 0x80u);
    EXPECT_EQ(bytes.substr(second + 16, 10), std::string("Caf\xC3\xA9.bin") + '\0');
}

// Threads of this process, as the system lists them.
int ThreadsOfThisProcess() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

// Files in a folder whose names start as the writer's scratch files do.
std::vector<std::string> ScratchFilesIn(const std::string& folder) {
    std::vector<std::string> found;
    for (const std::string& name : testing_support::FilesUnder(folder))
        if (name.rfind("cab", 0) == 0 && name.find('\\') == std::string::npos) found.push_back(name);
    return found;
}

// Points this process's temporary folder (TMP) at `folder` while it lives,
// so that scratch files of test programs running beside it do not count.
class PrivateTempFolder {
public:
    explicit PrivateTempFolder(const std::string& folder) {
        const DWORD length = GetEnvironmentVariableA("TMP", saved_, sizeof saved_);
        hadValue_ = length > 0 && length < sizeof saved_;
        CreateDirectoryA(folder.c_str(), nullptr);
        SetEnvironmentVariableA("TMP", folder.c_str());
    }
    ~PrivateTempFolder() { SetEnvironmentVariableA("TMP", hadValue_ ? saved_ : nullptr); }
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

private:
    char saved_[MAX_PATH] = {};
    bool hadValue_ = false;
};

// The thread count once threads that were joined have also left the
// system's list (a loaded machine may list them a moment longer); gives up
// after a few seconds, so a thread left running still shows.
int ThreadsOnceSettled(int expected) {
    int count = ThreadsOfThisProcess();
    for (int tries = 0; tries < 50 && count > expected; ++tries) {
        Sleep(100);
        count = ThreadsOfThisProcess();
    }
    return count;
}

// Several stretches of every kind for the largest window (2 MB each):
// text with words from a small vocabulary, random bytes, and a far repeat.
class ParallelWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 random(22);
        std::string text;
        while (text.size() < 3500000) {
            for (unsigned range : {100000u, 3000u, 40u}) text.append(std::to_string(random() % range)).append(" w");
            text.back() = '\n';
        }
        std::string noise(1000000, '\0');
        for (char& c : noise) c = static_cast<char>(random());
        sources_ = {folder_.File("text.txt", text), folder_.File("noise.bin", noise),
                    folder_.File("again.txt", text.substr(100000, 1200000))};
    }

    std::vector<WriterInputFile> Files() const {
        std::vector<WriterInputFile> files;
        for (const std::string& path : sources_) {
            WriterInputFile file;
            file.sourcePath = std::wstring(path.begin(), path.end());
            file.displayPath = path;
            file.storedName = path.substr(path.rfind('\\') + 1);
            files.push_back(file);
        }
        return files;
    }

    WriterOptions Options(Compression compression, int windowBits, std::uint32_t volumeBytes,
                          const std::string& folder) const {
        WriterOptions options;
        options.compression = compression;
        options.lzxWindowBits = windowBits;
        options.volumeSizeBytes = volumeBytes;
        options.cabinetPath = folder + "\\one.cab";
        options.volumePath = [folder](int n) { return folder + "\\v" + std::to_string(n) + ".cab"; };
        return options;
    }

    testing_support::TempFolder folder_;
    std::vector<std::string> sources_;
};

struct ThreadCase {
    Compression compression;
    int windowBits;
    std::uint32_t volumeBytes;
};

TEST_F(ParallelWriteTest, GivesTheSameBytesWhateverTheNumberOfThreads) {
    const ThreadCase cases[] = {{Compression::None, 21, 0},       {Compression::Mszip, 21, 0},
                                {Compression::Lzx, 15, 0},        {Compression::Lzx, 21, 0},
                                {Compression::Lzx, 21, 700000},   {Compression::Mszip, 21, 300000}};
    for (std::size_t index = 0; index < std::size(cases); ++index) {
        const ThreadCase& c = cases[index];
        const std::string label = "case " + std::to_string(index);
        std::vector<std::string> first;
        for (int threads : {1, 2, 3}) {
            const std::string out = folder_.Child(label + " threads " + std::to_string(threads));
            CreateDirectoryA(out.c_str(), nullptr);
            WriterOptions options = Options(c.compression, c.windowBits, c.volumeBytes, out);
            options.threads = threads;
            const WriteResult result = WriteCabinet(Files(), options);
            ASSERT_EQ(result.error, WriteError::None) << label;
            std::vector<std::string> cabinets;
            for (const std::string& path : result.cabinets) cabinets.push_back(testing_support::ReadFile(path));
            if (threads == 1) {
                first = cabinets;
                EXPECT_EQ(first.size() > 1, c.volumeBytes != 0) << label;
            } else {
                EXPECT_TRUE(cabinets == first) << label << " with " << threads << " threads";
            }
        }
    }
}

struct CancelCase {
    Compression compression;
    std::uint32_t volumeBytes;
    int threads;
};

// However the job is stopped, no cabinet, scratch file or thread stays.
TEST_F(ParallelWriteTest, CancellingLeavesNoCabinetScratchFileOrThread) {
    const std::string scratchFolder = folder_.Child("scratch");
    const PrivateTempFolder privateTemp(scratchFolder);
    const int threadsBefore = ThreadsOfThisProcess();
    for (const CancelCase& c : {CancelCase{Compression::Lzx, 0, 3}, CancelCase{Compression::Mszip, 500000, 3},
                                CancelCase{Compression::Lzx, 0, 1}}) {
        WriterOptions options = Options(c.compression, 21, c.volumeBytes, folder_.path());
        options.threads = c.threads;
        int calls = 0;
        options.progress = [&](std::uint64_t, std::uint64_t) { return ++calls < 40; };
        const WriteResult result = WriteCabinet(Files(), options);
        EXPECT_EQ(result.error, WriteError::Cancelled);
        EXPECT_TRUE(result.cabinets.empty());
        EXPECT_EQ(folder_.Files(), (std::vector<std::string>{"again.txt", "noise.bin", "text.txt"}));
        EXPECT_TRUE(ScratchFilesIn(scratchFolder).empty());
        EXPECT_EQ(ThreadsOnceSettled(threadsBefore), threadsBefore);
    }
}

}  // namespace
