// The compression used when a command names none: the values the program
// shares with the library in its registry key (library_key.h).
#pragma once

#include "command_line.h"

namespace cab32 {

// "CompressionMode" 1 means LZX at "LzxCompressLevel" (15-21, else 21);
// anything else, or no value, means MSZIP.
void ApplyCompressionDefaults(CabCommand& command);

}  // namespace cab32
