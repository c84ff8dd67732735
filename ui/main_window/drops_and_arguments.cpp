// Files dropped onto the file list or the archive field, and files named on
// the command line.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <utility>

#include "archiver.h"
#include "cab32_api.h"
#include "list_box_items.h"
#include "list_files.h"
#include "main_layout.h"
#include "main_window.h"
#include "sjis_path.h"
#include "wide_names.h"
#include "window_text.h"

namespace tarvik {

namespace {

// Releases a drop with DragFinish on every path.
class DropHandle {
public:
    explicit DropHandle(HDROP drop) : drop_(drop) {}
    ~DropHandle() {
        if (drop_) DragFinish(drop_);
    }
    DropHandle(const DropHandle&) = delete;
    DropHandle& operator=(const DropHandle&) = delete;

    UINT Count() const { return DragQueryFileW(drop_, 0xFFFFFFFF, nullptr, 0); }
    // The whole path of one dropped file as the disk holds it, however long.
    std::wstring Path(UINT index) const {
        const UINT length = DragQueryFileW(drop_, index, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop_, index, path.data(), length + 1));
        return path;
    }

private:
    HDROP drop_;
};

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The absolute form of a path, or nullopt when it cannot be formed.
std::optional<std::string> FullPath(const std::string& path) {
    char buffer[MAX_PATH];
    char* filePart = nullptr;
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, &filePart);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    return std::string(buffer, length);
}

}  // namespace

std::vector<std::wstring> SplitArguments(const std::wstring& commandLine) {
    std::vector<std::wstring> arguments;
    std::size_t i = 0;
    auto isSeparator = [&](std::size_t at) { return commandLine[at] >= 0x01 && commandLine[at] <= 0x20; };
    bool first = true;  // the program's own name
    while (i < commandLine.size()) {
        while (i < commandLine.size() && isSeparator(i)) ++i;
        if (i >= commandLine.size()) break;
        // A pair of quotes where an argument would begin is an empty argument: skipped.
        if (commandLine.compare(i, 2, L"\"\"") == 0 && (i + 2 >= commandLine.size() || isSeparator(i + 2))) {
            i += 2;
            continue;
        }
        std::wstring argument;
        bool quoted = false;
        for (; i < commandLine.size() && (quoted || !isSeparator(i)); ++i) {
            if (commandLine[i] == L'"') quoted = !quoted;
            else argument += commandLine[i];
        }
        if (first) first = false;
        else arguments.push_back(argument);
    }
    return arguments;
}

void TfrmCabMain::InstallDropFilter(HWND control) {
    InstallMessageFilter<TfrmCabMain, &TfrmCabMain::DropFilter>(control, this);
}

LRESULT TfrmCabMain::DropFilter(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                const ControlProcedure& next) {
    if (message != WM_DROPFILES) return next(message, wParam, lParam);
    // Which control takes drops depends on the operation at this moment.
    const bool compress = CurrentJobKind() == JobKind::Compress;
    if (control == ListBox1 && compress) {
        HandleListDrop(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    if (control == edtCab && !compress) {
        HandleArchiveFieldDrop(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return next(message, wParam, lParam);
}

void TfrmCabMain::HandleListDrop(HDROP drop) {
    const DropHandle files(drop);
    std::vector<std::wstring> dropped;
    for (UINT i = 0; i < files.Count(); ++i) {
        std::wstring path = files.Path(i);
        if (PathExists(path)) dropped.push_back(std::move(path));
    }
    const ListablePaths listable = ToListablePaths(dropped);
    AppendListBoxItems(ListBox1, listable.paths);
    IgnoreSilently(WriteResponseFile(ResponseFilePath(ExeFolder()), FileList()));
    ReportUnlistable(listable.refused);
}

void TfrmCabMain::HandleArchiveFieldDrop(HDROP drop) {
    const DropHandle files(drop);
    if (files.Count() == 0) return;
    const std::optional<std::string> path = ListablePath(files.Path(0));
    if (path && ArchiverCheckArchive(path->c_str(), cab32::kCheckMode)) SetWindowTextA(edtCab, path->c_str());
}

FileDialogAnswer TfrmCabMain::ShowFileDialog(const FileDialogRequest& request) {
    FileDialogAnswer answer = options_.steps->ShowFileDialog(window_, request);
    ReportUnlistable(answer.refused);
    return answer;
}

void TfrmCabMain::ReportUnlistable(const std::vector<std::string>& names) {
    if (names.empty()) return;
    std::string text = "次のファイルは、名前を Shift-JIS で表せず短い名前もないため追加できません。";
    for (const std::string& name : names) text += "\n" + name;
    options_.steps->ShowMessageBox(window_, text, "Tarvik32", MB_OK | MB_ICONWARNING);
}

void TfrmCabMain::HandleArguments(const std::vector<std::wstring>& wideArguments) {
    // Each argument in a code page 932 form that names its file; one that
    // has none is left out, and the user is told.
    const ListablePaths listable = ToListablePaths(wideArguments);
    ReportUnlistable(listable.refused);
    const std::vector<std::string>& arguments = listable.paths;
    if (arguments.size() == 1) {
        const std::string& argument = arguments.front();
        if (ArchiverCheckArchive(argument.c_str(), cab32::kCheckMode)) {
            SetWindowTextA(edtCab, argument.c_str());
            SelectOperationItem(JobKind::Extract);
            cobPara1Change();
            return;
        }
        const std::optional<std::string> full = FullPath(argument);
        if (!full || FileNamePart(*full).empty()) return;
        SendMessageA(ListBox1, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(full->c_str()));
    } else {
        std::vector<std::string> entries;
        for (const std::string& argument : arguments) entries.push_back(FullPath(argument).value_or(std::string()));
        AppendListBoxItems(ListBox1, entries);
        if (SendMessageA(ListBox1, LB_GETCOUNT, 0, 0) < 2) return;
    }
    const std::vector<std::string> entries = FileList();
    SetWindowTextA(edtCab, ReplaceExtension(entries.front(), ".cab").c_str());
    cmdExecClick();
}

}  // namespace tarvik
