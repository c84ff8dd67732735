// Extracts and tests cabinets (and sets of volumes) with the library's own
// decoders; opens cabinets and reports why one cannot be read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cab_format.h"
#include "output_text.h"
#include "progress.h"
#include "win_handles.h"

namespace cab32 {

struct ReadRequest {
    std::string cabinetPath;   // full path
    std::int64_t base = 0;     // where the cabinet starts inside that file
    bool testOnly = false;     // decompress and verify, write nothing
    std::string folder;        // target folder, with or without a final "\"
    bool dropFolders = false;  // -j: every member straight into the folder
    bool followVolumes = false;  // -k: go on through the continuation cabinets
    std::vector<std::string> wanted;  // names to extract; empty = all
};

// Checks the cabinet's tables, then extracts (or tests) its members. A member
// whose name would leave the folder is refused; a member is first written to
// a temporary file beside its target and only renamed when it came out whole,
// so a failure leaves no partial file. Returns a ResultCode.
int ReadCabinet(const ReadRequest& request, Progress& progress, OutputText& output);

// A member name as code page 932 text (converted when stored as UTF-8).
std::string MemberNameAsAnsi(const CabMember& member);

// A cabinet inside a file, read through Win32.
class FileCabSource final : public CabSource {
public:
    FileCabSource(const std::string& path, std::int64_t base);
    bool IsOpen() const { return static_cast<bool>(file_); }
    std::int64_t Size() const override;
    bool Read(std::int64_t offset, void* buffer, std::uint32_t count) const override;
    // The file's volume serial number and index on it (the same file under
    // any of its names); empty when the file system cannot tell.
    std::string Identity() const;

private:
    UniqueHandle file_;
    std::int64_t base_ = 0;
};

// Which table faults a caller accepts from OpenCabinet.
enum class DirectoryCheck {
    Strict,               // every folder must be decodable
    AllowUnknownFolders,  // members of undecodable folders are refused one by one later
};

// Opens the cabinet at `path` (starting `base` bytes into the file) and reads
// its tables with every data block header. On failure the output names the
// fault and the path, and the answer is a ResultCode (kArchiveNotFound,
// kNotCabinet); kOk leaves the tables in `directory`.
int OpenCabinet(const FileCabSource& source, const std::string& path, DirectoryCheck check, CabDirectory& directory,
                OutputText& output);

// Creates every folder on the way to `path` (its last part is a file name).
bool CreateFoldersFor(const std::string& path);

// The Japanese text for a table fault.
std::string DescribeFault(CabFault fault);

}  // namespace cab32
