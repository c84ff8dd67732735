// One owner for every kind of handle the program and the library hold: it
// frees the handle when it goes out of scope, and hands it on when moved.
#pragma once

#include <windows.h>

#include <utility>

namespace tarvik {

// `Release` is a function object that frees a `Handle`. A handle equal to a
// value-initialised one (null) owns nothing; a `Release` that knows further
// such values (INVALID_HANDLE_VALUE, say) names them in a static
// `IsNone(Handle)`.
template <typename Handle, typename Release>
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    ~OwnedHandle() { Reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = other.release();
        }
        return *this;
    }

    explicit operator bool() const { return !IsNone(handle_); }
    Handle get() const { return handle_; }
    // Gives up the handle without freeing it.
    Handle release() { return std::exchange(handle_, Handle{}); }
    void Reset() {
        const Handle handle = release();
        if (!IsNone(handle)) Release{}(handle);
    }

private:
    static bool IsNone(Handle handle) {
        if constexpr (requires { Release::IsNone(handle); }) {
            return Release::IsNone(handle);
        } else {
            return handle == Handle{};
        }
    }

    Handle handle_{};
};

// A kernel object (a file, say), closed with CloseHandle; CreateFile's
// INVALID_HANDLE_VALUE owns nothing either.
struct CloseKernelHandle {
    static bool IsNone(HANDLE handle) { return handle == nullptr || handle == INVALID_HANDLE_VALUE; }
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using KernelHandle = OwnedHandle<HANDLE, CloseKernelHandle>;

}  // namespace tarvik
