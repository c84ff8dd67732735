// Owns one handle of the window system and releases it: the program's fonts,
// bitmaps, image lists and the accelerator table.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace tarvik {

// `Release` is a function object that frees a `Handle`.
template <typename Handle, typename Release>
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    ~OwnedHandle() { Reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset() {
        if (handle_) Release{}(std::exchange(handle_, nullptr));
    }

private:
    Handle handle_ = nullptr;
};

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
