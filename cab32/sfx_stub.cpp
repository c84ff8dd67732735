// The self-extracting program's stub. The library writes it, followed by a
// cabinet, as <name>.exe. Run, it asks (in Japanese) for a destination
// folder, its own folder by default, and extracts every member there (and
// those of the next volumes beside it, when its cabinet names any).
// "-d <folder>" names the folder on the command line and skips all windows;
// the exit code is then the library's result code.
#include <windows.h>

#include <string>

#include "extract_job.h"
#include "command_line.h"
#include "result_codes.h"
#include "self_extractor.h"
#include "sfx_prompt.h"
#include "sjis_path.h"

namespace {

std::string OwnPath() {
    char buffer[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return length == 0 || length >= sizeof buffer ? std::string() : std::string(buffer, length);
}

// The folder after "-d" on the command line, if any.
bool FolderFromCommandLine(std::string& folder) {
    const auto tokens = cab32::SplitCommandLine(GetCommandLineA());
    for (std::size_t i = 1; i + 1 < tokens.size(); ++i) {
        if (!tokens[i].quoted && (tokens[i].text == "-d" || tokens[i].text == "/d")) {
            folder = tokens[i + 1].text;
            return true;
        }
    }
    return false;
}

int Extract(const std::string& program, std::int64_t offset, const std::string& folder, cab32::OutputText& output) {
    cab32::ReadRequest request;
    request.cabinetPath = program;
    request.base = offset;
    request.folder = folder;
    request.followVolumes = true;  // the next volumes of a set lie beside the program
    cab32::NoProgress progress;
    return cab32::ReadCabinet(request, progress, output);
}

// The stub's work; WinMain below keeps any exception from ending the
// program in a crash.
int Run(HINSTANCE instance, const std::string& program, bool quiet, std::string folder) {
    const std::int64_t offset = program.empty() ? -1 : cab32::CabinetOffsetInProgram(program);
    if (offset < 0) {
        if (!quiet) MessageBoxA(nullptr, "書庫が見つかりません。", "自己解凍", MB_OK | MB_ICONERROR);
        return cab32::kNotCabinet;
    }
    if (!quiet) {
        folder = tarvik::FolderOfPath(program);
        if (!cab32::AskDestinationFolder(instance, folder)) return cab32::kOk;
    }
    cab32::OutputText output(2000);  // what the closing message box shows
    const int result = Extract(program, offset, folder, output);
    if (!quiet) {
        const std::string text = (result == cab32::kOk ? "解凍が終了しました。\r\n\r\n" : "解凍に失敗しました。\r\n\r\n") +
                                 output.Text();
        MessageBoxA(nullptr, text.c_str(), "自己解凍", MB_OK | (result == cab32::kOk ? MB_ICONINFORMATION : MB_ICONERROR));
    }
    return result;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::string folder;
    const bool quiet = FolderFromCommandLine(folder);
    try {
        return Run(instance, OwnPath(), quiet, folder);
    } catch (...) {
        if (!quiet) MessageBoxA(nullptr, "内部エラーのため解凍を中止しました。", "自己解凍", MB_OK | MB_ICONERROR);
        return cab32::kInternal;
    }
}
