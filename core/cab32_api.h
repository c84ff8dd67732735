// The entry points of the archiver library "cab32.dll", as this program calls
// them: standard API calling convention, 32-bit integers, NUL-terminated
// code page 932 text.
#pragma once

#include <windows.h>

namespace tarvik::cab32 {

inline constexpr char kLibraryFileName[] = "cab32.dll";

// Indices asked through CabQueryFunctionList.
inline constexpr int kFunctionCab = 0;
inline constexpr int kFunctionGetVersion = 1;
inline constexpr int kFunctionGetRunning = 8;
inline constexpr int kFunctionCheckArchive = 16;

// One member record filled by CabFindFirst / CabFindNext: 560 bytes, the
// member's path as NUL-terminated text at byte 26.
inline constexpr int kMemberRecordSize = 560;
inline constexpr int kMemberPathOffset = 26;

using ArchiveHandle = HANDLE;

using CabFn = int WINAPI(HWND owner, LPCSTR commandLine, LPSTR output, DWORD outputSize);
using CabGetVersionFn = int WINAPI();
using CabGetRunningFn = BOOL WINAPI();
using CabCheckArchiveFn = BOOL WINAPI(LPCSTR archivePath, int mode);
using CabQueryFunctionListFn = BOOL WINAPI(int functionIndex);
using CabSetOwnerWindowFn = BOOL WINAPI(HWND owner);
using CabClearOwnerWindowFn = BOOL WINAPI();
using CabOpenArchiveFn = ArchiveHandle WINAPI(HWND owner, LPCSTR archivePath, DWORD mode);
using CabCloseArchiveFn = int WINAPI(ArchiveHandle archive);
using CabFindFirstFn = int WINAPI(ArchiveHandle archive, LPCSTR wildcard, void* record);
using CabFindNextFn = int WINAPI(ArchiveHandle archive, void* record);

}  // namespace tarvik::cab32
