// The drive box of the folder chooser: a drop-down list of the system's
// drives. Each item's data is its drive letter (upper case).
#pragma once

#include <windows.h>

namespace tarvik {

class DriveComboBox {
public:
    static constexpr int kItemHeight = 16;
    static constexpr int kVisibleItems = 8;
    // Style bits the combo box must be created with.
    static constexpr DWORD kStyle = CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL;

    // Takes over a combo box created with kStyle, lists the drives and
    // selects `currentDrive`.
    void Attach(HWND comboBox, char currentDrive);
    HWND hwnd() const { return comboBox_; }

    // The letter of the selected drive, or '\0' when none is selected.
    char Drive() const;
    // Selects the drive `letter` without notifying the owner.
    void SetDrive(char letter);

private:
    void FillDrives();

    HWND comboBox_ = nullptr;
};

}  // namespace tarvik
