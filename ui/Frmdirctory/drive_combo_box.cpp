#include "drive_combo_box.h"

#include <string>
#include <vector>

#include "drive_access.h"

namespace tarvik {

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// "c: [SYSTEM]" for a fixed drive with a label, "d:" for a removable or
// optical drive, whose medium is not touched just to list it.
std::string DriveCaption(char letter) {
    const std::string root = std::string(1, letter) + ":\\";
    std::string caption = std::string(1, LowerAscii(letter)) + ":";
    const UINT type = GetDriveTypeA(root.c_str());
    if (type != DRIVE_FIXED && type != DRIVE_RAMDISK) return caption;
    char label[MAX_PATH + 1] = {};
    QuietDriveErrors quiet;
    if (GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0) &&
        label[0] != '\0')
        caption += std::string(" [") + label + "]";
    return caption;
}

std::vector<char> SystemDrives() {
    std::vector<char> drives;
    const DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (mask & (1u << i)) drives.push_back(static_cast<char>('A' + i));
    return drives;
}

}  // namespace

void DriveComboBox::Attach(HWND comboBox, char currentDrive) {
    comboBox_ = comboBox;
    SendMessageA(comboBox_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kItemHeight);
    SendMessageA(comboBox_, CB_SETITEMHEIGHT, 0, kItemHeight);
    FillDrives();
    SetDrive(currentDrive);
}

void DriveComboBox::FillDrives() {
    SendMessageA(comboBox_, CB_RESETCONTENT, 0, 0);
    for (char letter : SystemDrives()) {
        const std::string caption = DriveCaption(letter);
        const LRESULT index = SendMessageA(comboBox_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption.c_str()));
        if (index >= 0) SendMessageA(comboBox_, CB_SETITEMDATA, static_cast<WPARAM>(index), letter);
    }
    // The drop-down part shows a few drives; its height is part of the
    // combo box's window height.
    RECT place{};
    GetWindowRect(comboBox_, &place);
    const int shownHeight = place.bottom - place.top;
    SetWindowPos(comboBox_, nullptr, 0, 0, place.right - place.left,
                 shownHeight + kVisibleItems * kItemHeight + 2, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

char DriveComboBox::Drive() const {
    const LRESULT index = SendMessageA(comboBox_, CB_GETCURSEL, 0, 0);
    if (index < 0) return '\0';
    return static_cast<char>(SendMessageA(comboBox_, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void DriveComboBox::SetDrive(char letter) {
    const LRESULT count = SendMessageA(comboBox_, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto data = static_cast<char>(SendMessageA(comboBox_, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        if (data == UpperAscii(letter)) {
            SendMessageA(comboBox_, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    }
    SendMessageA(comboBox_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

}  // namespace tarvik
