// Carries out one parsed command of the Cab entry point.
#pragma once

#include <windows.h>

#include "command_line.h"
#include "output_text.h"
#include "progress.h"

namespace cab32 {

// Runs -a, -x, -f, -l or -t and returns a ResultCode. `module` is the
// library's own module, which carries the self-extractor stub.
int RunCommand(CabCommand command, HMODULE module, Progress& progress, OutputText& output);

}  // namespace cab32
