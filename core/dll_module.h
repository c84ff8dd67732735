// Owns one reference to a loaded DLL and looks up its entry points.
#pragma once

#include <windows.h>

#include "handle_owner.h"

namespace tarvik {

struct FreeModule {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};

class DllModule {
public:
    DllModule() = default;
    [[nodiscard]] static DllModule Load(const char* fileName) {
        return DllModule(LoadLibraryA(fileName));
    }

    explicit operator bool() const { return static_cast<bool>(module_); }
    HMODULE get() const { return module_.get(); }

    // The entry point `name` as a pointer to the function type F, or null.
    template <typename F>
    F* Find(const char* name) const {
        if (!module_) return nullptr;
        // Through a plain function pointer type so that GCC's
        // -Wcast-function-type accepts the conversion.
        auto proc = reinterpret_cast<void (*)()>(GetProcAddress(module_.get(), name));
        return reinterpret_cast<F*>(proc);
    }

    // An entry point described together with its type (Entry::Function)
    // and name (entry.name), as in cab32_api.h.
    template <typename Entry>
    typename Entry::Function* Find(const Entry& entry) const {
        return Find<typename Entry::Function>(entry.name);
    }

    void Reset() { module_.Reset(); }

private:
    explicit DllModule(HMODULE module) : module_(module) {}
    OwnedHandle<HMODULE, FreeModule> module_;
};

}  // namespace tarvik
