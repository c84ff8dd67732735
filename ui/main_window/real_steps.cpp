#include "real_steps.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>

#include "outbuffer.h"

namespace tarvik {

std::string DialogFilter(const std::string& filter) {
    std::string result = filter;
    for (char& c : result) {
        if (c == '|') c = '\0';
    }
    result.push_back('\0');
    result.push_back('\0');
    return result;
}

std::vector<std::string> DialogNames(const char* buffer) {
    std::vector<std::string> parts;
    for (const char* part = buffer; *part; part += std::strlen(part) + 1) parts.emplace_back(part);
    if (parts.size() <= 1) return parts;
    std::string folder = parts.front();
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    std::vector<std::string> names;
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

FileDialogAnswer RealMainWindowSteps::ShowFileDialog(HWND owner, const FileDialogRequest& request) {
    std::vector<char> buffer(64 * 1024, '\0');
    request.initialName.copy(buffer.data(), std::min(request.initialName.size(), buffer.size() - 1));
    const std::string filter = DialogFilter(request.filter);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags = request.flags;
    const BOOL confirmed = request.kind == FileDialogRequest::Kind::Save ? GetSaveFileNameA(&dialog)
                                                                          : GetOpenFileNameA(&dialog);
    FileDialogAnswer answer;
    answer.confirmed = confirmed != FALSE;
    if (answer.confirmed) answer.names = DialogNames(buffer.data());
    return answer;
}

}  // namespace tarvik
