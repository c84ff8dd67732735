// The per-user registry key that the program and the archiver library share:
// the compression that a command without a compression switch gets. The
// program writes it for every Compress job into a new archive and reads it at
// start-up; the library reads it when it makes a cabinet.
#pragma once

#include <windows.h>

namespace tarvik {

inline constexpr char kLibraryKey[] = "Software\\ArchiverDll\\Cab32";
inline constexpr char kCompressionModeValue[] = "CompressionMode";
inline constexpr char kLzxLevelValue[] = "LzxCompressLevel";

// The CompressionMode that means LZX (at LzxCompressLevel); every other
// value means MSZIP, and the program writes this one for MSZIP.
inline constexpr DWORD kCompressionModeLzx = 1;
inline constexpr DWORD kCompressionModeMszip = 0;

}  // namespace tarvik
