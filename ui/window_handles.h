// The handles of the window system the program owns: its fonts, bitmaps,
// image lists and the accelerator table, each freed by the shared handle owner.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "handle_owner.h"

namespace tarvik {

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DestroyImageList {
    void operator()(HIMAGELIST images) const { ImageList_Destroy(images); }
};
struct DestroyAccelerators {
    void operator()(HACCEL table) const { DestroyAcceleratorTable(table); }
};

using Font = OwnedHandle<HFONT, DeleteGdiObject>;
using Bitmap = OwnedHandle<HBITMAP, DeleteGdiObject>;
using ImageList = OwnedHandle<HIMAGELIST, DestroyImageList>;
using AcceleratorTable = OwnedHandle<HACCEL, DestroyAccelerators>;

// The windows' font: "ＭＳ Ｐゴシック" with the given character height in
// pixels, Shift-JIS character set.
[[nodiscard]] inline Font CreateUiFont(int characterHeight) {
    return Font(CreateFontA(-characterHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            "ＭＳ Ｐゴシック"));
}

}  // namespace tarvik
