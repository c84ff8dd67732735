// Creates a new cabinet (or a set of volumes) with the library's own writer:
// real LZX at every window size, MSZIP with history carried across blocks,
// or stored data, on every system.
#pragma once

#include "fci_writer.h"

namespace cab32 {

// Same contract as the FCI writer: never replaces an existing file, deletes
// every volume of a failed job, returns a ResultCode and names each stored
// member and each cabinet written in the output.
int WriteCabinetOwn(const WriteRequest& request, Progress& progress, OutputText& output);

// True when the environment asks for Windows' FCI instead (CAB32_WRITER=fci),
// kept for comparing the two writers.
bool UseSystemWriter();

}  // namespace cab32
