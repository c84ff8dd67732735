#include "cab_io.h"

#include <fcntl.h>

#include <cstdlib>

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

INT_PTR Wrap(OpenFile* file) { return reinterpret_cast<INT_PTR>(file); }

}  // namespace

INT_PTR OpenPath(const char* path, int oflag, bool createNew) {
    const DWORD access = AccessFor(oflag);
    const DWORD share = access == GENERIC_READ ? FILE_SHARE_READ | FILE_SHARE_DELETE : 0;
    UniqueHandle file(CreateFileA(path, access, share, nullptr, CreationFor(oflag, createNew),
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return -1;
    auto* open = new OpenFile{std::move(file)};
    if (!g_embeddedPath.empty() && g_embeddedPath == path) {
        open->base = g_embeddedBase;
        LARGE_INTEGER position{};
        position.QuadPart = open->base;
        SetFilePointerEx(open->file.get(), position, nullptr, FILE_BEGIN);
    }
    return Wrap(open);
}

INT_PTR AdoptFile(UniqueHandle file) { return Wrap(new OpenFile{std::move(file)}); }

INT_PTR OpenSink() {
    auto* open = new OpenFile{};
    open->sink = true;
    return Wrap(open);
}

OpenFile* FromHandle(INT_PTR handle) {
    return (handle == 0 || handle == -1) ? nullptr : reinterpret_cast<OpenFile*>(handle);
}

int CloseFile(INT_PTR handle) {
    delete FromHandle(handle);
    return 0;
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

FNWRITE(FdiWrite) {
    OpenFile* file = FromHandle(hf);
    if (!file) return static_cast<UINT>(-1);
    file->written += cb;
    if (g_writeObserver) g_writeObserver(g_writeObserverContext, cb);
    if (file->sink) return cb;
    DWORD put = 0;
    if (!WriteFile(file->file.get(), pv, cb, &put, nullptr)) return static_cast<UINT>(-1);
    return put;
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
