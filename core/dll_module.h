// Owns one reference to a loaded DLL and looks up its entry points.
#pragma once

#include <windows.h>

#include <utility>

namespace tarvik {

class DllModule {
public:
    DllModule() = default;
    [[nodiscard]] static DllModule Load(const char* fileName) {
        return DllModule(LoadLibraryA(fileName));
    }
    ~DllModule() { Reset(); }

    DllModule(const DllModule&) = delete;
    DllModule& operator=(const DllModule&) = delete;
    DllModule(DllModule&& other) noexcept : module_(std::exchange(other.module_, nullptr)) {}
    DllModule& operator=(DllModule&& other) noexcept {
        if (this != &other) {
            Reset();
            module_ = std::exchange(other.module_, nullptr);
        }
        return *this;
    }

    explicit operator bool() const { return module_ != nullptr; }
    HMODULE get() const { return module_; }

    // The entry point `name` as a pointer to the function type F, or null.
    template <typename F>
    F* Find(const char* name) const {
        if (!module_) return nullptr;
        // Through a plain function pointer type so that GCC's
        // -Wcast-function-type accepts the conversion.
        auto proc = reinterpret_cast<void (*)()>(GetProcAddress(module_, name));
        return reinterpret_cast<F*>(proc);
    }

    // An entry point described together with its type (Entry::Function)
    // and name (entry.name), as in cab32_api.h.
    template <typename Entry>
    typename Entry::Function* Find(const Entry& entry) const {
        return Find<typename Entry::Function>(entry.name);
    }

    void Reset() {
        if (module_) FreeLibrary(std::exchange(module_, nullptr));
    }

private:
    explicit DllModule(HMODULE module) : module_(module) {}
    HMODULE module_ = nullptr;
};

}  // namespace tarvik
