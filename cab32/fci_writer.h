// Creates a new cabinet (or a set of volumes) with Windows' FCI.
#pragma once

#include <windows.h>

#include <fci.h>

#include <string>
#include <vector>

#include "output_text.h"
#include "progress.h"

namespace cab32 {

struct FileToStore {
    std::string sourcePath;  // full path of the file on disk
    std::string storedName;  // name inside the cabinet
};

struct WriteRequest {
    std::string cabinetPath;       // full path; with volumes, the set's base name
    TCOMP compression = tcompTYPE_MSZIP;
    unsigned long volumeBytes = 0;  // 0: one cabinet
    std::vector<FileToStore> files;
};

// False where the system's FCI cannot write LZX (Wine's cabinet.dll).
bool FciCompressesLzx();

// Writes the cabinet. Never replaces an existing file: a cabinet or volume
// that exists already fails the job, and every volume written by a failed
// job is deleted again. Returns a ResultCode; the output names each stored
// member and the cabinets written.
int WriteCabinet(const WriteRequest& request, Progress& progress, OutputText& output);

}  // namespace cab32
