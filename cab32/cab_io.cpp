#include "cab_io.h"

#include <fcntl.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

namespace cab32::io {

namespace {

std::string g_embeddedPath;
std::int64_t g_embeddedBase = 0;
WriteObserver g_writeObserver = nullptr;
void* g_writeObserverContext = nullptr;

DWORD CreationFor(int oflag, bool createNew) {
    if (!(oflag & _O_CREAT)) return (oflag & _O_TRUNC) ? TRUNCATE_EXISTING : OPEN_EXISTING;
    if (createNew || (oflag & _O_EXCL)) return CREATE_NEW;
    return (oflag & _O_TRUNC) ? CREATE_ALWAYS : OPEN_ALWAYS;
}

DWORD AccessFor(int oflag) {
    switch (oflag & (_O_RDONLY | _O_WRONLY | _O_RDWR)) {
        case _O_WRONLY: return GENERIC_WRITE;
        case _O_RDWR: return GENERIC_READ | GENERIC_WRITE;
        default: return GENERIC_READ;
    }
}

// Open files by handle number. Handles start above the values the cabinet
// API gives a meaning (0 and -1) and only ever grow.
std::mutex g_filesLock;
std::map<INT_PTR, std::unique_ptr<OpenFile>> g_files;
INT_PTR g_nextHandle = 0x100;

INT_PTR Wrap(std::unique_ptr<OpenFile> file) {
    std::lock_guard lock(g_filesLock);
    const INT_PTR handle = g_nextHandle++;
    g_files.emplace(handle, std::move(file));
    return handle;
}

}  // namespace

INT_PTR OpenPath(const char* path, int oflag, bool createNew) {
    const DWORD access = AccessFor(oflag);
    const DWORD share = access == GENERIC_READ ? FILE_SHARE_READ | FILE_SHARE_DELETE : 0;
    UniqueHandle file(CreateFileA(path, access, share, nullptr, CreationFor(oflag, createNew),
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return -1;
    auto open = std::make_unique<OpenFile>();
    open->file = std::move(file);
    if (!g_embeddedPath.empty() && g_embeddedPath == path) {
        open->base = g_embeddedBase;
        LARGE_INTEGER position{};
        position.QuadPart = open->base;
        SetFilePointerEx(open->file.get(), position, nullptr, FILE_BEGIN);
    }
    return Wrap(std::move(open));
}

INT_PTR AdoptFile(UniqueHandle file) {
    auto open = std::make_unique<OpenFile>();
    open->file = std::move(file);
    return Wrap(std::move(open));
}

INT_PTR OpenSink() {
    auto open = std::make_unique<OpenFile>();
    open->sink = true;
    return Wrap(std::move(open));
}

OpenFile* FromHandle(INT_PTR handle) {
    std::lock_guard lock(g_filesLock);
    const auto found = g_files.find(handle);
    return found == g_files.end() ? nullptr : found->second.get();
}

int CloseFile(INT_PTR handle) {
    std::unique_ptr<OpenFile> closing;
    {
        std::lock_guard lock(g_filesLock);
        const auto found = g_files.find(handle);
        if (found == g_files.end()) return -1;
        closing = std::move(found->second);
        g_files.erase(found);
    }
    return 0;  // the file itself is closed here, outside the lock
}

void SetEmbeddedCabinet(const std::string& path, std::int64_t base) {
    g_embeddedPath = path;
    g_embeddedBase = base;
}

void SetWriteObserver(WriteObserver observer, void* context) {
    g_writeObserver = observer;
    g_writeObserverContext = context;
}

FNALLOC(Alloc) { return std::malloc(cb); }

FNFREE(Free) { std::free(pv); }

FNOPEN(FdiOpen) {
    (void)pmode;
    return OpenPath(pszFile, oflag, false);
}

FNREAD(FdiRead) {
    OpenFile* file = FromHandle(hf);
    DWORD got = 0;
    if (!file || file->sink || !ReadFile(file->file.get(), pv, cb, &got, nullptr)) return static_cast<UINT>(-1);
    return got;
}

UINT WriteExactly(INT_PTR handle, const void* data, UINT count) {
    OpenFile* file = FromHandle(handle);
    DWORD put = 0;
    if (!file || file->sink || !WriteFile(file->file.get(), data, count, &put, nullptr) || put != count) {
        return static_cast<UINT>(-1);
    }
    file->written += put;
    return put;
}

// A failed or short write (a full disk, say) is remembered on the file rather
// than reported to FDI: FDI would give up on the whole cabinet, where the
// reader only fails this member and goes on with the next. Once a write has
// failed, the rest of the member is not written at all.
FNWRITE(FdiWrite) {
    OpenFile* file = FromHandle(hf);
    if (!file) return static_cast<UINT>(-1);
    if (g_writeObserver) g_writeObserver(g_writeObserverContext, cb);
    if (file->sink) {
        file->written += cb;
        return cb;
    }
    if (file->writeError != 0) return cb;
    DWORD put = 0;
    if (!WriteFile(file->file.get(), pv, cb, &put, nullptr)) {
        const DWORD error = GetLastError();
        file->writeError = error != 0 ? error : ERROR_DISK_FULL;
    } else if (put != cb) {
        file->writeError = ERROR_DISK_FULL;  // a short write: the volume is full
    }
    file->written += put;
    return cb;
}

FNCLOSE(FdiClose) { return CloseFile(hf); }

FNSEEK(FdiSeek) {
    OpenFile* file = FromHandle(hf);
    if (!file || file->sink) return -1;
    LARGE_INTEGER distance{};
    distance.QuadPart = dist;
    DWORD method = FILE_CURRENT;
    if (seektype == SEEK_SET) {
        distance.QuadPart += file->base;
        method = FILE_BEGIN;
    } else if (seektype == SEEK_END) {
        method = FILE_END;
    }
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(file->file.get(), distance, &position, method)) return -1;
    return static_cast<LONG>(position.QuadPart - file->base);
}

}  // namespace cab32::io
