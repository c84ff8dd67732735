#include "cabinet_job.h"

#include "cabinet_writer.h"
#include "member_path.h"
#include "result_codes.h"
#include "sjis_path.h"
#include "win_handles.h"

namespace cab32 {

namespace {

WriterInputFile WriterInput(const SourceFile& file) {
    WriterInputFile input;
    input.sourcePath = file.path;
    input.displayPath = file.displayPath;
    input.storedName = file.storedName;
    input.nameIsUtf8 = file.nameIsUtf8;
    input.dosDate = file.dosDate;
    input.dosTime = file.dosTime;
    input.attributes = file.attributes;
    return input;
}

int ReportFailure(const WriteResult& result, OutputText& output) {
    switch (result.error) {
    case WriteError::OutputExists:
        output.Line("書庫が既に存在するため作成しません: " + result.failedPath);
        return kArchiveExists;
    case WriteError::SourceUnreadable:
    case WriteError::SourceChanged:
    case WriteError::SourceTooLarge:
        output.Line("ファイルを読めません: " + result.failedPath);
        return kSourceUnreadable;
    case WriteError::TooManyFiles:
        output.Line("ファイルが多すぎます (一つの書庫に 65535 個まで)。");
        return kBadCommand;
    case WriteError::NameTooLong:
    case WriteError::EmptyName:
        output.Line("格納する名前が長すぎるか空です (255 バイトまで): " + result.failedPath);
        return kBadCommand;
    case WriteError::OutputFailed:
    case WriteError::ScratchFailed:
    case WriteError::InputTooLarge:
    case WriteError::VolumeTooSmall:
        output.Line("書庫を書き込めません: " + result.failedPath);
        return kWriteFailed;
    default:
        output.Line("圧縮に失敗しました。");
        return kInternal;
    }
}

}  // namespace

int WriteCabinet(const WriteRequest& request, Progress& progress, OutputText& output) {
    std::vector<WriterInputFile> files;
    for (const SourceFile& file : request.files) files.push_back(WriterInput(file));
    WriterOptions options;
    options.compression = request.compression;
    options.lzxWindowBits = request.lzxWindowBits;
    options.cabinetPath = request.cabinetPath;
    options.volumeSizeBytes = static_cast<std::uint32_t>(request.volumeBytes);
    const std::string basePath = request.cabinetPath;
    options.volumePath = [basePath](int number) { return VolumeFileName(basePath, number); };
    const std::string name(tarvik::FileNamePart(request.cabinetPath));
    options.progress = [&progress, name](std::uint64_t done, std::uint64_t total) {
        progress.Update(name, done, total);
        return true;
    };

    const WriteResult result = WriteCabinet(files, options);
    if (result.error != WriteError::None) {
        const int code = ReportFailure(result, output);
        output.Line("書庫を作成できませんでした。");
        return code;
    }
    for (const SourceFile& file : request.files) output.Line("格納: " + file.displayName);
    for (const std::string& path : result.cabinets) output.Line("作成: " + path);
    return kOk;
}

}  // namespace cab32
