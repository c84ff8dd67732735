// A small picture beside a push button's caption (the glyph of OK and Close
// buttons). The picture's magenta pixels are transparent.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace tarvik {

class ButtonGlyph {
public:
    ButtonGlyph() = default;
    ~ButtonGlyph() {
        if (images_) ImageList_Destroy(images_);
    }
    ButtonGlyph(const ButtonGlyph&) = delete;
    ButtonGlyph& operator=(const ButtonGlyph&) = delete;
    ButtonGlyph(ButtonGlyph&& other) noexcept : images_(std::exchange(other.images_, nullptr)) {}

    // Puts the bitmap resource `bitmapId` of `instance` on the button. A
    // missing resource leaves the button with its caption only.
    void Attach(HWND button, HINSTANCE instance, int bitmapId) {
        HBITMAP picture = static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 16, 16, 0));
        if (!picture) return;
        if (!images_) images_ = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 0);
        const int index = ImageList_AddMasked(images_, picture, RGB(255, 0, 255));
        DeleteObject(picture);
        if (index < 0) return;
        BUTTON_IMAGELIST list{};
        list.himl = images_;
        list.margin = {4, 0, 0, 0};
        list.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
        SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
    }

private:
    HIMAGELIST images_ = nullptr;
};

}  // namespace tarvik
