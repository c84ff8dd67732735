#include "real_steps.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>

#include "outbuffer.h"
#include "wide_names.h"

namespace tarvik {

std::wstring DialogFilter(const std::string& filter) {
    std::wstring result = WideFromAnsi(filter);
    std::replace(result.begin(), result.end(), L'|', L'\0');
    result.push_back(L'\0');
    result.push_back(L'\0');
    return result;
}

std::vector<std::wstring> DialogNames(const wchar_t* buffer) {
    std::vector<std::wstring> parts;
    for (const wchar_t* part = buffer; *part; part += std::wcslen(part) + 1) parts.emplace_back(part);
    if (parts.size() <= 1) return parts;
    std::wstring folder = parts.front();
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    std::vector<std::wstring> names;
    for (std::size_t i = 1; i < parts.size(); ++i) names.push_back(folder + parts[i]);
    return names;
}

int RealMainWindowSteps::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                                        UINT type) {
    return MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

void RealMainWindowSteps::ShowHelp(HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data) {
    WinHelpA(owner, helpFile.c_str(), command, data);
}

void RealMainWindowSteps::ShowResultWindow() { outbuffer_.ShowModal(); }

std::string RealMainWindowSteps::ShowFolderChooser() { return showFolderChooser_ ? showFolderChooser_() : std::string(); }

// The wide dialog gives the names as the disk holds them; each is handed on
// in a code page 932 form that still names the file (in the answer's
// `refused` when there is none).
FileDialogAnswer RealMainWindowSteps::ShowFileDialog(HWND owner, const FileDialogRequest& request) {
    std::vector<wchar_t> buffer(64 * 1024, L'\0');
    const std::wstring initialName = WideFromAnsi(request.initialName);
    initialName.copy(buffer.data(), std::min(initialName.size(), buffer.size() - 1));
    const std::wstring filter = DialogFilter(request.filter);
    const std::wstring defaultExtension = WideFromAnsi(request.defaultExtension);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    dialog.Flags = request.flags;
    const BOOL confirmed = request.kind == FileDialogRequest::Kind::Save ? GetSaveFileNameW(&dialog)
                                                                          : GetOpenFileNameW(&dialog);
    FileDialogAnswer answer;
    answer.confirmed = confirmed != FALSE;
    if (answer.confirmed) {
        ListablePaths names = ToListablePaths(DialogNames(buffer.data()));
        answer.names = std::move(names.paths);
        answer.refused = std::move(names.refused);
    }
    return answer;
}

}  // namespace tarvik
