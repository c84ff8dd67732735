// The nine items of the compression box as the program's documentation lists
// them, in the box's order: the switch each one shows, and the values a
// Compress job with it writes into the library's key. The tests of the
// switch lookup, of the box, of the job and of the settings all read this
// one table.
#pragma once

#include <windows.h>

namespace testing_support {

struct CompressionItem {
    const char* item;
    const char* compressionSwitch;
    DWORD mode;   // CompressionMode written by a Compress job
    DWORD level;  // LzxCompressLevel written with it
};

inline constexpr CompressionItem kCompressionItems[] = {
    {"LZX 15", "-ml15", 1, 15}, {"LZX 16", "-ml16", 1, 16}, {"LZX 17", "-ml17", 1, 17},
    {"LZX 18", "-ml18", 1, 18}, {"LZX 19", "-ml19", 1, 19}, {"LZX 20", "-ml20", 1, 20},
    {"LZX 21", "-ml21", 1, 21}, {"MSZIP", "-mz", 0, 0},     {"無圧縮", "-ms", 1, 15},
};

}  // namespace testing_support
