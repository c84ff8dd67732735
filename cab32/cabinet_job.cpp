#include "cabinet_job.h"

#include "cabinet_writer.h"
#include "member_path.h"
#include "result_codes.h"
#include "sjis_path.h"
#include "win_handles.h"

namespace cab32 {

namespace {

namespace cw = tarvik::cabwriter;

void SetCompression(const WriteRequest& request, cw::WriterOptions& options) {
    switch (request.method) {
    case WriteMethod::Stored: options.compression = cw::Compression::None; break;
    case WriteMethod::Lzx:
        options.compression = cw::Compression::Lzx;
        options.lzxWindowBits = request.lzxWindowBits;
        break;
    case WriteMethod::Mszip: options.compression = cw::Compression::Mszip; break;
    }
}

cw::WriterInputFile WriterInput(const SourceFile& file) {
    cw::WriterInputFile input;
    input.sourcePath = file.path;
    input.displayPath = file.displayPath;
    input.storedName = file.storedName;
    input.nameIsUtf8 = file.nameIsUtf8;
    input.dosDate = file.dosDate;
    input.dosTime = file.dosTime;
    input.attributes = file.attributes;
    return input;
}

int ReportFailure(const cw::WriteResult& result, OutputText& output) {
    switch (result.error) {
    case cw::WriteError::OutputExists:
        output.Line("書庫が既に存在するため作成しません: " + result.failedPath);
        return kArchiveExists;
    case cw::WriteError::SourceUnreadable:
    case cw::WriteError::SourceChanged:
    case cw::WriteError::SourceTooLarge:
        output.Line("ファイルを読めません: " + result.failedPath);
        return kSourceUnreadable;
    case cw::WriteError::TooManyFiles:
        output.Line("ファイルが多すぎます (一つの書庫に 65535 個まで)。");
        return kBadCommand;
    case cw::WriteError::NameTooLong:
    case cw::WriteError::EmptyName:
        output.Line("格納する名前が長すぎるか空です (255 バイトまで): " + result.failedPath);
        return kBadCommand;
    case cw::WriteError::OutputFailed:
    case cw::WriteError::ScratchFailed:
    case cw::WriteError::InputTooLarge:
    case cw::WriteError::VolumeTooSmall:
        output.Line("書庫を書き込めません: " + result.failedPath);
        return kWriteFailed;
    default:
        output.Line("圧縮に失敗しました。");
        return kInternal;
    }
}

}  // namespace

int WriteCabinet(const WriteRequest& request, Progress& progress, OutputText& output) {
    std::vector<cw::WriterInputFile> files;
    for (const SourceFile& file : request.files) files.push_back(WriterInput(file));
    cw::WriterOptions options;
    SetCompression(request, options);
    options.cabinetPath = request.cabinetPath;
    options.volumeSizeBytes = static_cast<std::uint32_t>(request.volumeBytes);
    const std::string basePath = request.cabinetPath;
    options.volumePath = [basePath](int number) { return VolumeFileName(basePath, number); };
    const std::string name(tarvik::FileNamePart(request.cabinetPath));
    options.progress = [&progress, name](std::uint64_t done, std::uint64_t total) {
        progress.Update(name, done, total);
        return true;
    };

    const cw::WriteResult result = cw::WriteCabinet(files, options);
    if (result.error != cw::WriteError::None) {
        const int code = ReportFailure(result, output);
        output.Line("書庫を作成できませんでした。");
        return code;
    }
    for (const SourceFile& file : request.files) output.Line("格納: " + file.displayName);
    for (const std::string& path : result.cabinets) output.Line("作成: " + path);
    return kOk;
}

}  // namespace cab32
