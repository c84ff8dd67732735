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

    UINT Count() const { return DragQueryFileA(drop_, 0xFFFFFFFF, nullptr, 0); }
    // The whole path of one dropped file, however long.
    std::string Path(UINT index) const {
        const UINT length = DragQueryFileA(drop_, index, nullptr, 0);
        std::string path(length + 1, '\0');
        path.resize(DragQueryFileA(drop_, index, path.data(), length + 1));
        return path;
    }

private:
    HDROP drop_;
};

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The absolute form of a path, or nullopt when it cannot be formed.
std::optional<std::string> FullPath(const std::string& path) {
    char buffer[MAX_PATH];
    char* filePart = nullptr;
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, &filePart);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    return std::string(buffer, length);
}

}  // namespace

std::vector<std::string> SplitArguments(const std::string& commandLine) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    auto isSeparator = [&](std::size_t at) {
        const auto byte = static_cast<unsigned char>(commandLine[at]);
        return byte >= 0x01 && byte <= 0x20;
    };
    bool first = true;  // the program's own name
    while (i < commandLine.size()) {
        while (i < commandLine.size() && isSeparator(i)) ++i;
        if (i >= commandLine.size()) break;
        // A pair of quotes where an argument would begin is an empty argument: skipped.
        if (commandLine.compare(i, 2, "\"\"") == 0 && (i + 2 >= commandLine.size() || isSeparator(i + 2))) {
            i += 2;
            continue;
        }
        std::string argument;
        bool quoted = false;
        for (; i < commandLine.size() && (quoted || !isSeparator(i)); ++i) {
            if (commandLine[i] == '"') quoted = !quoted;
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
    std::vector<std::string> dropped;
    for (UINT i = 0; i < files.Count(); ++i) {
        std::string path = files.Path(i);
        if (PathExists(path)) dropped.push_back(std::move(path));
    }
    AppendListBoxItems(ListBox1, dropped);
    IgnoreSilently(WriteResponseFile(ResponseFilePath(ExeFolder()), FileList()));
}

void TfrmCabMain::HandleArchiveFieldDrop(HDROP drop) {
    const DropHandle files(drop);
    if (files.Count() == 0) return;
    const std::string path = files.Path(0);
    if (ArchiverCheckArchive(path.c_str(), cab32::kCheckMode)) SetWindowTextA(edtCab, path.c_str());
}

void TfrmCabMain::HandleArguments(const std::vector<std::string>& arguments) {
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
