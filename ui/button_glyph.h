// A small picture beside a push button's caption (the glyph of OK and Close
// buttons). The picture's magenta pixels are transparent.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "window_handles.h"

namespace tarvik {

class ButtonGlyph {
public:
    static constexpr int kSize = 16;  // pixels, square

    // Puts the bitmap resource `bitmapId` of `instance` on the button. A
    // missing resource leaves the button with its caption only.
    void Attach(HWND button, HINSTANCE instance, int bitmapId) {
        const Bitmap picture(static_cast<HBITMAP>(
            LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, kSize, kSize, 0)));
        if (!picture) return;
        if (!images_) images_ = ImageList(ImageList_Create(kSize, kSize, ILC_COLOR24 | ILC_MASK, 1, 0));
        const int index = ImageList_AddMasked(images_.get(), picture.get(), RGB(255, 0, 255));
        if (index < 0) return;
        BUTTON_IMAGELIST list{};
        list.himl = images_.get();
        list.margin = {4, 0, 0, 0};
        list.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
        SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
    }

private:
    ImageList images_;
};

}  // namespace tarvik
