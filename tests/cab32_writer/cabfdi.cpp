// cabfdi: extracts a cabinet (and the volumes after it) with Windows' own
// cabinet reader, FDI, so that the tests check the writer's output against
// the decoder the library reads with. FDICopy extracts the files that start
// in one cabinet (following a continued file into the next one), so each
// volume of a set gets its own call.
//   cabfdi CABINET OUTPUT_FOLDER
// Exit code 0 on success, 1 for a usage error, 2 when FDI fails.
#include <windows.h>

#include <fcntl.h>
#include <fdi.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sjis_path.h"

namespace {

std::string g_outputFolder;
std::string g_nextCabinet;
bool g_sawCabinetInfo = false;

FNALLOC(Allocate) { return std::malloc(cb); }
FNFREE(Release) { std::free(pv); }
FNOPEN(OpenFile) { return _open(pszFile, oflag | _O_BINARY, pmode); }
FNREAD(ReadFile) { return static_cast<UINT>(_read(static_cast<int>(hf), pv, cb)); }
FNWRITE(WriteFile) { return static_cast<UINT>(_write(static_cast<int>(hf), pv, cb)); }
FNCLOSE(CloseFile) { return _close(static_cast<int>(hf)); }
FNSEEK(SeekFile) { return _lseek(static_cast<int>(hf), dist, seektype); }

void EnsureFolder(const std::string& folder) {
    if (folder.empty() || GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    EnsureFolder(tarvik::FolderOfPath(folder));
    CreateDirectoryA(folder.c_str(), nullptr);
}

FNFDINOTIFY(Notify) {
    switch (fdint) {
    case fdintCABINET_INFO:
        // The first report of each call is about the cabinet asked for.
        if (!g_sawCabinetInfo) g_nextCabinet = pfdin->psz1 ? pfdin->psz1 : "";
        g_sawCabinetInfo = true;
        return 0;
    case fdintCOPY_FILE: {
        const std::string path = g_outputFolder + "\\" + pfdin->psz1;
        EnsureFolder(tarvik::FolderOfPath(path));
        return _open(path.c_str(), _O_BINARY | _O_CREAT | _O_WRONLY | _O_TRUNC, _S_IREAD | _S_IWRITE);
    }
    case fdintCLOSE_FILE_INFO:
        _close(static_cast<int>(pfdin->hf));
        return TRUE;
    default:
        return 0;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: cabfdi CABINET OUTPUT_FOLDER\n");
        return 1;
    }
    const std::string cabinet = argv[1];
    g_outputFolder = argv[2];
    EnsureFolder(g_outputFolder);
    std::string name(tarvik::FileNamePart(cabinet));
    std::string folder = cabinet.substr(0, cabinet.size() - name.size());
    ERF error{};
    HFDI fdi = FDICreate(Allocate, Release, OpenFile, ReadFile, WriteFile, CloseFile, SeekFile, cpuUNKNOWN, &error);
    if (!fdi) return 2;
    for (int volume = 0; volume < 1000 && !name.empty(); ++volume) {
        g_sawCabinetInfo = false;
        g_nextCabinet.clear();
        if (!FDICopy(fdi, name.data(), folder.data(), 0, Notify, nullptr, nullptr)) {
            std::fprintf(stderr, "cabfdi: FDI error %d in %s\n", error.erfOper, name.c_str());
            FDIDestroy(fdi);
            return 2;
        }
        name = g_nextCabinet;
    }
    FDIDestroy(fdi);
    return 0;
}
