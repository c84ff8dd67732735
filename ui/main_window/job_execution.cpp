// The Execute button: one job from the archive path to the library's output.
#include <stdexcept>

#include "archiver.h"
#include "cab32_api.h"
#include "list_files.h"
#include "main_layout.h"
#include "main_window.h"
#include "outbuffer.h"
#include "settings.h"
#include "sjis_path.h"
#include "window_text.h"

namespace tarvik {

namespace {

constexpr int kOutputBufferSize = 64000;

bool IsChecked(HWND checkBox) { return SendMessageA(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// From version 0.90 on, the library numbers the volumes of a set with two
// digits (a01.cab), before that with one (a1.cab).
constexpr unsigned kTwoDigitVolumesVersion = 90;

std::runtime_error CannotWrite(const std::string& path) {
    return std::runtime_error("'" + path + "' を書き込めません");
}

// The members a selective extraction takes must reach the library, or it
// would extract an earlier list: a failed write is reported. A whole
// extraction reads no list; its response file is emptied where it can be.
void WriteExtractionResponseFile(const JobRequest& request, const std::string& responsePath) {
    if (!request.selectiveExtraction) {
        IgnoreSilently(WriteResponseFile(responsePath, {}));
        return;
    }
    if (!WriteResponseFile(responsePath, CheckedMembers(request.members))) throw CannotWrite(responsePath);
}

// Enables the main window again however the job ends.
class WindowDisabled {
public:
    explicit WindowDisabled(HWND window) : window_(window) { EnableWindow(window_, FALSE); }
    ~WindowDisabled() { Enable(); }
    WindowDisabled(const WindowDisabled&) = delete;
    WindowDisabled& operator=(const WindowDisabled&) = delete;
    void Enable() {
        if (window_) EnableWindow(std::exchange(window_, nullptr), TRUE);
    }

private:
    HWND window_;
};

}  // namespace

JobRequest TfrmCabMain::ReadJobRequest(bool archiveExists) const {
    JobRequest request;
    request.operationSwitch = WindowText(edtPara1);
    request.compressionType = WindowText(cobType);
    request.compressionSwitch = WindowText(edtType);
    request.archivePath = WindowText(edtCab);
    request.extractionFolder = WindowText(edtMelt);
    request.noDirectoriesOnExtraction = IsChecked(CheckBox2);
    request.multiVolume = IsChecked(CheckBox4);
    request.selectiveExtraction = IsChecked(CheckBox3);
    request.members = checkList_.Entries();
    request.archiveExists = archiveExists;
    request.programFolder = ExeFolder();
    request.programFolderShort = ShortPathName(request.programFolder);
    return request;
}

void TfrmCabMain::RefreshResponseFileBeforeCompress(const std::string& responsePath) {
    const std::vector<std::string> entries = FileList();
    // An empty list is written as an empty file, so no earlier list (such as
    // a member selection) is compressed by mistake.
    const bool written = entries.empty()
                             ? WriteResponseFile(responsePath, entries)
                             : RefreshResponseFile(responsePath, entries, IsChecked(CheckBox1)) != RefreshResult::Failed;
    if (!written) throw CannotWrite(responsePath);
}

void TfrmCabMain::cmdExecClick() {
    const std::string archivePath = WindowText(edtCab);
    if (archivePath.empty()) return;
    const bool archiveExists = GetFileAttributesA(archivePath.c_str()) != INVALID_FILE_ATTRIBUTES;
    const std::string responsePath = ResponseFilePath(ExeFolder());
    RegistryKey libraryKey = OpenLibraryKeyForJob();

    const std::optional<JobKind> kind = CurrentJobKind();
    const JobRequest request = ReadJobRequest(archiveExists);
    std::string command;
    if (archiveExists) {
        if (!ArchiverCheckArchive(archivePath.c_str(), cab32::kCheckMode)) return;
        if (kind == JobKind::Extract) WriteExtractionResponseFile(request, responsePath);
        if (kind && kind != JobKind::Compress) command = BuildJobCommand(request);
    } else if (kind == JobKind::Compress) {
        command = BuildJobCommand(request);
        WriteCompressionDefaults(libraryKey,
                                 CompressionDefaultsForJob(request.compressionType, request.compressionSwitch));
        libraryKey = RegistryKey();
        RefreshResponseFileBeforeCompress(responsePath);
    }
    if (command.empty()) return;

    std::vector<char> output(kOutputBufferSize, '\0');
    WindowDisabled disabled(window_);
    RunArchiverCommand(window_, command.c_str(), output.data(), kOutputBufferSize);
    if (request.multiVolume && kind == JobKind::Compress) {
        // The library names the first volume with digits before the file
        // name's extension.
        const char* digits = ArchiverVersion() >= kTwoDigitVolumesVersion ? "01" : "1";
        SetWindowTextA(edtCab, InsertBeforeExtension(archivePath, digits).c_str());
    }
    const bool sound = ArchiverCheckArchive(WindowText(edtCab).c_str(), cab32::kCheckMode);
    if (!sound) {
        options_.steps->ShowMessageBox(window_,
                                       "CABファイルを検査しましたが破損の恐れがあります。\n又は未作成の可能性があります。",
                                       "警告", MB_OK | MB_ICONWARNING);
        return;
    }
    disabled.Enable();
    ShowJobResult(output);
}

void TfrmCabMain::ShowJobResult(const std::vector<char>& output) {
    if (output[0] != '\0') options_.outbuffer->SetText(output.data());
    options_.steps->ShowResultWindow();
}

}  // namespace tarvik
