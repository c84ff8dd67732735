// File and memory callbacks shared by FCI and FDI. Each open file is an
// OpenFile object kept in a table; the INT_PTR handle the cabinet API sees is
// its number there. Numbers are never reused, so a handle closed twice (FDI
// closes an output file itself when it gives up on a member, and the reader
// may close the same handle afterwards) finds nothing the second time.
#pragma once

#include <windows.h>

#include <fci.h>
#include <fdi.h>

#include <cstdint>
#include <string>

#include "win_handles.h"

namespace cab32::io {

struct OpenFile {
    UniqueHandle file;
    std::int64_t base = 0;   // where the cabinet starts inside the file
    bool sink = false;       // counts written bytes and keeps none (data test)
    std::uint64_t written = 0;  // bytes that really reached the file
    DWORD writeError = 0;       // first failed write (disk full, ...); 0 if none
};

// Opens `path` with C run-time style flags (_O_RDONLY, _O_CREAT, ...);
// `createNew` refuses to replace an existing file. -1 on failure.
INT_PTR OpenPath(const char* path, int oflag, bool createNew);

// Wraps an already open Win32 file.
INT_PTR AdoptFile(UniqueHandle file);
// A handle that swallows what is written to it.
INT_PTR OpenSink();
// The open file behind `handle`; null once it is closed.
OpenFile* FromHandle(INT_PTR handle);
// Closes the file; 0, or -1 when the handle is not (or no longer) open.
int CloseFile(INT_PTR handle);

// The self-extractor reads a cabinet that starts `base` bytes into its own
// file: FDI opens of exactly `path` then see the file from there on.
void SetEmbeddedCabinet(const std::string& path, std::int64_t base);

// Called with the byte count of every write through FdiWrite (extraction
// progress); null for none.
using WriteObserver = void (*)(void* context, unsigned bytes);
void SetWriteObserver(WriteObserver observer, void* context);

// Writes all of `count` bytes or fails with -1 (the writer's callbacks).
UINT WriteExactly(INT_PTR handle, const void* data, UINT count);

FNALLOC(Alloc);
FNFREE(Free);
FNOPEN(FdiOpen);
FNREAD(FdiRead);
FNWRITE(FdiWrite);
FNCLOSE(FdiClose);
FNSEEK(FdiSeek);

}  // namespace cab32::io
