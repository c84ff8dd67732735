// The library's own cabinet writer: the files in order in one folder
// (stored, MSZIP or LZX with a window of 2^15 to 2^21 bytes), in one
// cabinet or in volumes. A new folder starts only where the format needs
// one: after a file continued into the next volume, or when a folder would
// pass 65535 data blocks. The data is compressed on worker threads, in
// stretches cut at fixed points of each folder, so the cabinet's bytes are
// the same whatever the number of threads; reading, placing the blocks
// into cabinets and the progress calls stay on the calling thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frame_encoder.h"

namespace cab32 {

struct WriterInputFile {
    std::wstring sourcePath;  // the file's exact path, read with the Win32 wide functions
    std::string displayPath;  // the same in code page 932, for messages
    std::string storedName;   // stored as given (code page 932, or UTF-8), at most 255 bytes
    bool nameIsUtf8 = false;  // flags the stored name as UTF-8 in its file entry
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes = 0;  // read-only, hidden, system, archive; 0x80 is cleared
};

struct WriterOptions {
    Compression compression = Compression::Mszip;
    int lzxWindowBits = 21;  // 15..21
    int mszipLevel = kDefaultMszipLevel;  // deflate level 1..9
    // 0: a single cabinet at cabinetPath. Otherwise volumes of at most this
    // many bytes at volumePath(1), volumePath(2), ...
    std::uint32_t volumeSizeBytes = 0;
    std::string cabinetPath;
    std::function<std::string(int volumeNumber)> volumePath;
    // The set ID is not chosen: it is derived from the sources and these
    // settings, so the same input gives the same bytes.
    // Compressing threads. 0: the number in the environment variable
    // CAB32_THREADS when it is set, else one per processor. Never more than
    // the memory cap allows (one job stays under 512 MB, also on i686).
    int threads = 0;
    // Called on the calling thread after each 32 KB of input placed and at
    // least every 50 ms while the workers compress (`doneBytes` never goes
    // down, and may repeat); returning false cancels the job.
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
    SourceTooLarge,    // a file larger than one folder holds (65535 x 32 KB)
    SourceChanged,     // a file's size changed while it was read
    InputTooLarge,     // a single cabinet would pass 4 GB
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

// Writes the cabinet or volume set. On failure (an exception included)
// every cabinet file it made is deleted again, and no thread is left.
WriteResult WriteCabinet(const std::vector<WriterInputFile>& files, const WriterOptions& options);

// The threads WriteCabinet compresses on for these options.
int WriterThreads(const WriterOptions& options);

}  // namespace cab32
