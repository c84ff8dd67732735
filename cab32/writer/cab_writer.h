// The library's own cabinet writer: one folder holding every file, stored,
// MSZIP or LZX (window 2^15 to 2^21), in one cabinet or in volumes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frame_encoder.h"

namespace tarvik::cabwriter {

struct WriterInputFile {
    std::string sourcePath;  // read with the Win32 "A" functions
    std::string storedName;  // stored as given (code page 932), at most 255 bytes
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes = 0;  // read-only, hidden, system, archive; 0x80 is cleared
};

struct WriterOptions {
    Compression compression = Compression::Mszip;
    int lzxWindowBits = 21;  // 15..21
    int mszipLevel = 6;      // deflate level 1..9
    // 0: a single cabinet at cabinetPath. Otherwise volumes of at most this
    // many bytes at volumePath(1), volumePath(2), ...
    std::uint32_t volumeSizeBytes = 0;
    std::string cabinetPath;
    std::function<std::string(int volumeNumber)> volumePath;
    std::uint16_t setId = 0;
    // Called after each 32 KB of input; returning false cancels the job.
    std::function<bool(std::uint64_t doneBytes, std::uint64_t totalBytes)> progress;
};

enum class WriteError {
    None,
    NoOutputName,
    TooManyFiles,      // more than 65535
    EmptyName,
    NameTooLong,       // more than 255 bytes
    BadSettings,       // window bits or deflate level out of range
    SourceUnreadable,  // failedPath names the file
    SourceTooLarge,    // a file of 4 GB or more
    SourceChanged,     // a file's size changed while it was read
    InputTooLarge,     // more data than one folder holds (65535 blocks of 32 KB)
    ScratchFailed,     // the temporary file could not be made or used
    CompressorFailed,
    OutputExists,      // failedPath names the file; nothing is replaced
    OutputFailed,      // failedPath names the file
    VolumeTooSmall,    // the volume size cannot hold a header and some data
    Cancelled,
};

struct WriteResult {
    WriteError error = WriteError::None;
    std::string failedPath;
    std::vector<std::string> cabinets;  // the files written, in order
    std::uint64_t cabinetBytes = 0;     // their total size
};

// Writes the cabinet or volume set. On failure every cabinet file it made
// is deleted again.
WriteResult WriteCabinet(const std::vector<WriterInputFile>& files, const WriterOptions& options);

}  // namespace tarvik::cabwriter
