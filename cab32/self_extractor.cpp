#include "self_extractor.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "extract_job.h"
#include "member_path.h"
#include "result_codes.h"
#include "sjis_path.h"

namespace cab32 {

namespace {

bool WriteAll(HANDLE file, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
        DWORD put = 0;
        if (!WriteFile(file, bytes, chunk, &put, nullptr) || put != chunk) return false;
        bytes += chunk;
        size -= chunk;
    }
    return true;
}

bool CopyFileContent(HANDLE from, HANDLE to) {
    std::vector<char> buffer(1 << 20);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
        if (got == 0) return true;
        if (!WriteAll(to, buffer.data(), got)) return false;
    }
}

// The stub bytes carried in the library's resources.
bool FindStub(HMODULE module, const void*& data, std::size_t& size) {
    HRSRC resource = FindResourceA(module, kStubResourceName, MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    data = loaded ? LockResource(loaded) : nullptr;
    size = resource ? SizeofResource(module, resource) : 0;
    return data && size > 0;
}

int CheckWholeCabinet(const std::string& cabinetPath, OutputText& output) {
    const FileCabSource source(cabinetPath, 0);
    CabDirectory directory;
    if (int result = OpenCabinet(source, cabinetPath, DirectoryCheck::Strict, directory, output); result != kOk) {
        return result;
    }
    if (!directory.previousCabinet.empty() || !directory.nextCabinet.empty()) {
        output.Line("分割書庫からは自己解凍書庫を作れません: " + cabinetPath);
        return kNotCabinet;
    }
    return kOk;
}

}  // namespace

int MakeSelfExtractor(HMODULE module, const std::string& cabinetPath, const std::string& folder, OutputText& output) {
    if (int result = CheckWholeCabinet(cabinetPath, output); result != kOk) return result;
    const void* stub = nullptr;
    std::size_t stubSize = 0;
    if (!FindStub(module, stub, stubSize)) {
        output.Line("自己解凍用のプログラムが見つかりません。");
        return kStubMissing;
    }
    const std::string target = JoinPath(folder.empty() ? tarvik::FolderOfPath(cabinetPath) : folder,
                                        tarvik::ReplaceExtension(tarvik::FileNamePart(cabinetPath), ".exe"));
    const std::string temp = target + ".tmp";
    bool written = CreateFoldersFor(target);
    {
        UniqueHandle cabinet = OpenForReading(cabinetPath);
        UniqueHandle out(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
        written = written && cabinet && out && WriteAll(out.get(), stub, stubSize) && CopyFileContent(cabinet.get(), out.get());
    }
    if (!written || !MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temp.c_str());
        output.Line("自己解凍書庫を書き込めません: " + target);
        return kWriteFailed;
    }
    output.Line("自己解凍書庫を作成しました: " + target);
    return kOk;
}

std::int64_t CabinetOffsetInProgram(const std::string& programPath) {
    UniqueHandle file = OpenForReading(programPath);
    IMAGE_DOS_HEADER dos{};
    if (!file || !ReadAt(file.get(), 0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return -1;
    DWORD signature = 0;
    IMAGE_FILE_HEADER header{};
    if (!ReadAt(file.get(), dos.e_lfanew, &signature, sizeof signature) || signature != IMAGE_NT_SIGNATURE ||
        !ReadAt(file.get(), dos.e_lfanew + 4, &header, sizeof header)) {
        return -1;
    }
    const std::int64_t sections = dos.e_lfanew + 4 + std::int64_t{sizeof header} + header.SizeOfOptionalHeader;
    std::int64_t end = 0;
    for (WORD i = 0; i < header.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER section{};
        if (!ReadAt(file.get(), sections + i * std::int64_t{sizeof section}, &section, sizeof section)) return -1;
        end = std::max<std::int64_t>(end, std::int64_t{section.PointerToRawData} + section.SizeOfRawData);
    }
    char magic[4];
    return ReadAt(file.get(), end, magic, 4) && std::memcmp(magic, "MSCF", 4) == 0 ? end : -1;
}

}  // namespace cab32
