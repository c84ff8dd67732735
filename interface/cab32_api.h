// The interface of the archiver library "cab32.dll", written once for the
// three that meet at it: the program, which calls it (core/archiver.cpp), the
// library, which offers it (cab32/entry_points.cpp), and the tests' stand-in
// (tests/fake_cab32). Here are every entry point's name, type and function
// number, and the layout of the member record the enumeration fills.
//
// cmake/Cab32Exports.cmake reads the entry-point rows below to write the
// export list of both libraries, so a row here is the one place an entry
// point is named.
#pragma once

#include <windows.h>

#include <cstddef>
#include <iterator>

// The entry points as the library defines them: standard API calling
// convention, 32-bit integers, NUL-terminated code page 932 text. Declared
// here so that a definition whose arguments differ does not compile.
extern "C" {
int WINAPI Cab(HWND owner, LPCSTR commandLine, LPSTR output, DWORD outputSize);
int WINAPI CabGetVersion();
BOOL WINAPI CabGetRunning();
BOOL WINAPI CabCheckArchive(LPCSTR archivePath, int mode);
BOOL WINAPI CabQueryFunctionList(int functionNumber);
BOOL WINAPI CabSetOwnerWindow(HWND owner);
BOOL WINAPI CabClearOwnerWindow();
HANDLE WINAPI CabOpenArchive(HWND owner, LPCSTR archivePath, DWORD mode);
int WINAPI CabCloseArchive(HANDLE archive);
int WINAPI CabFindFirst(HANDLE archive, LPCSTR wildcard, void* record);
int WINAPI CabFindNext(HANDLE archive, void* record);
}

namespace tarvik::cab32 {

inline constexpr char kLibraryFileName[] = "cab32.dll";

struct EntryPointInfo {
    const char* name;   // the exported name, looked up with GetProcAddress
    int number;         // what CabQueryFunctionList is asked with
    int argumentBytes;  // bytes of its arguments on 32-bit Windows (the "@N" of its stdcall symbol)
};

// One entry point together with the type it is called through
// (DllModule::Find looks it up by its name as that type).
template <typename F>
struct EntryPoint : EntryPointInfo {
    using Function = F;
};

// Every entry point, in the order of the export list. The program asks only
// for the numbers 0, 1, 8 and 16; 17 to 23 are this library's own numbers
// for the functions the program uses without asking. Each row: the type,
// then {name, number, argument bytes}; the name is the declaration's own.
inline constexpr EntryPoint<decltype(::Cab)> kCab{{"Cab", 0, 16}};
inline constexpr EntryPoint<decltype(::CabGetVersion)> kCabGetVersion{{"CabGetVersion", 1, 0}};
inline constexpr EntryPoint<decltype(::CabGetRunning)> kCabGetRunning{{"CabGetRunning", 8, 0}};
inline constexpr EntryPoint<decltype(::CabCheckArchive)> kCabCheckArchive{{"CabCheckArchive", 16, 8}};
inline constexpr EntryPoint<decltype(::CabQueryFunctionList)> kCabQueryFunctionList{{"CabQueryFunctionList", 17, 4}};
inline constexpr EntryPoint<decltype(::CabSetOwnerWindow)> kCabSetOwnerWindow{{"CabSetOwnerWindow", 18, 4}};
inline constexpr EntryPoint<decltype(::CabClearOwnerWindow)> kCabClearOwnerWindow{{"CabClearOwnerWindow", 19, 0}};
inline constexpr EntryPoint<decltype(::CabOpenArchive)> kCabOpenArchive{{"CabOpenArchive", 20, 12}};
inline constexpr EntryPoint<decltype(::CabCloseArchive)> kCabCloseArchive{{"CabCloseArchive", 21, 4}};
inline constexpr EntryPoint<decltype(::CabFindFirst)> kCabFindFirst{{"CabFindFirst", 22, 12}};
inline constexpr EntryPoint<decltype(::CabFindNext)> kCabFindNext{{"CabFindNext", 23, 8}};

inline constexpr EntryPointInfo kEntryPoints[] = {
    kCab, kCabGetVersion, kCabGetRunning, kCabCheckArchive, kCabQueryFunctionList, kCabSetOwnerWindow,
    kCabClearOwnerWindow, kCabOpenArchive, kCabCloseArchive, kCabFindFirst, kCabFindNext,
};

static_assert(std::size(kEntryPoints) == 11, "every entry point row is in the list");

// True for a number that stands for one of the library's entry points.
constexpr bool IsEntryPointNumber(int number) {
    for (const EntryPointInfo& entry : kEntryPoints) {
        if (entry.number == number) return true;
    }
    return false;
}

// How the program calls the library: CabCheckArchive always with mode 2,
// CabOpenArchive always with mode 0, CabFindFirst always with "*.*".
inline constexpr int kCheckMode = 2;
inline constexpr DWORD kOpenMode = 0;
inline constexpr char kEveryMember[] = "*.*";

// The member record that CabFindFirst and CabFindNext fill: 560 bytes, the
// member's path as NUL-terminated text at byte 26. The program reads only the
// path; the other fields are this library's own. Integers are little-endian.
struct RecordField {
    std::size_t offset;
    std::size_t size;
    constexpr std::size_t end() const { return offset + size; }
};
inline constexpr std::size_t kMemberRecordSize = 560;
// Original size of the member in bytes.
inline constexpr RecordField kRecordOriginalSize{0, 4};
// The member's share of its folder's stored bytes (0 when unknown, e.g. the
// member spans cabinets).
inline constexpr RecordField kRecordCompressedSize{kRecordOriginalSize.end(), 4};
// Date, MS-DOS format (bits 15-9 year-1980, 8-5 month, 4-0 day).
inline constexpr RecordField kRecordDate{kRecordCompressedSize.end(), 2};
// Time, MS-DOS format (bits 15-11 hour, 10-5 minute, 4-0 seconds/2).
inline constexpr RecordField kRecordTime{kRecordDate.end(), 2};
// Attributes: read-only 0x01, hidden 0x02, system 0x04, archive 0x20,
// executable 0x40, name stored as UTF-8 0x80.
inline constexpr RecordField kRecordAttributes{kRecordTime.end(), 2};
// Folder index in the cabinet (0xFFFD-0xFFFF: the member spans cabinets).
inline constexpr RecordField kRecordFolderIndex{kRecordAttributes.end(), 2};
// Compression of the folder: low 4 bits 0 none, 1 MSZIP, 2 Quantum, 3 LZX;
// bits 8-12 the LZX window.
inline constexpr RecordField kRecordCompression{kRecordFolderIndex.end(), 2};
// Position of the member in the cabinet's file table, from 0.
inline constexpr RecordField kRecordPosition{kRecordCompression.end(), 4};
// Offset of the member in its folder's uncompressed data.
inline constexpr RecordField kRecordFolderOffset{kRecordPosition.end(), 4};
// The member's path inside the cabinet, NUL-terminated code page 932 text.
inline constexpr RecordField kRecordPath{kRecordFolderOffset.end(), 264};
// The compression as text ("MSZIP", "LZX:21", "無圧縮"), NUL-terminated.
inline constexpr RecordField kRecordMethod{kRecordPath.end(), 16};
// Zero.
inline constexpr RecordField kRecordReserved{kRecordMethod.end(), kMemberRecordSize - kRecordMethod.end()};

static_assert(kRecordPath.offset == 26, "the program reads the member path at byte 26");
static_assert(kRecordMethod.offset == 290 && kRecordReserved.offset == 306);
static_assert(kRecordReserved.end() == kMemberRecordSize && kRecordReserved.size > 0);

namespace detail {

// The "@N" of a stdcall symbol: every argument takes a multiple of 4 bytes.
template <typename F>
struct StdcallArgumentBytes;
template <typename R, typename... Arguments>
struct StdcallArgumentBytes<R WINAPI(Arguments...)> {
    static constexpr int value = (0 + ... + static_cast<int>((sizeof(Arguments) + 3) / 4 * 4));
};

template <typename F>
constexpr bool ArgumentBytesMatch(const EntryPoint<F>& entry) {
    return sizeof(void*) != 4 || StdcallArgumentBytes<F>::value == entry.argumentBytes;
}

}  // namespace detail

static_assert(detail::ArgumentBytesMatch(kCab) && detail::ArgumentBytesMatch(kCabGetVersion) &&
              detail::ArgumentBytesMatch(kCabGetRunning) && detail::ArgumentBytesMatch(kCabCheckArchive) &&
              detail::ArgumentBytesMatch(kCabQueryFunctionList) && detail::ArgumentBytesMatch(kCabSetOwnerWindow) &&
              detail::ArgumentBytesMatch(kCabClearOwnerWindow) && detail::ArgumentBytesMatch(kCabOpenArchive) &&
              detail::ArgumentBytesMatch(kCabCloseArchive) && detail::ArgumentBytesMatch(kCabFindFirst) &&
              detail::ArgumentBytesMatch(kCabFindNext),
              "argument bytes of an entry point row differ from its type");

}  // namespace tarvik::cab32
