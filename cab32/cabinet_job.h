// Creates a new cabinet (or a set of volumes) with the library's own writer:
// real LZX at every window size, MSZIP with history carried across blocks,
// or stored data.
#pragma once

#include <string>
#include <vector>

#include "format.h"
#include "output_text.h"
#include "progress.h"
#include "source_files.h"

namespace cab32 {

struct WriteRequest {
    std::string cabinetPath;  // full path; with volumes, the set's base name
    Compression compression = Compression::Mszip;  // None, Mszip or Lzx
    int lzxWindowBits = 21;         // 15..21, for LZX
    unsigned long volumeBytes = 0;  // 0: one cabinet
    std::vector<SourceFile> files;
};

// Writes the cabinet. Never replaces an existing file: a cabinet or volume
// that exists already fails the job, and every volume written by a failed
// job is deleted again. Returns a ResultCode; the output names each stored
// member and the cabinets written.
int WriteCabinet(const WriteRequest& request, Progress& progress, OutputText& output);

}  // namespace cab32
