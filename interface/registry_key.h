// Owns one open registry key and reads and writes its 32-bit integer values.
#pragma once

#include <windows.h>

#include <optional>

#include "handle_owner.h"

namespace tarvik {

struct CloseRegistryKey {
    void operator()(HKEY key) const { RegCloseKey(key); }
};

class RegistryKey {
public:
    RegistryKey() = default;

    // Opens an existing key for full access. A key the user may read but not
    // write therefore does not open: callers treat it as absent.
    [[nodiscard]] static RegistryKey Open(HKEY root, const char* subKey) {
        return OpenWith(root, subKey, KEY_ALL_ACCESS);
    }

    // Opens an existing key for reading its values only.
    [[nodiscard]] static RegistryKey OpenForReading(HKEY root, const char* subKey) {
        return OpenWith(root, subKey, KEY_QUERY_VALUE);
    }

    // Opens the key for full access, creating it (empty) when it is absent.
    [[nodiscard]] static RegistryKey Create(HKEY root, const char* subKey) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return {};
        }
        return RegistryKey(key);
    }

    explicit operator bool() const { return static_cast<bool>(key_); }
    HKEY get() const { return key_.get(); }

    // The value as a 32-bit integer; nothing when the key is not open, the
    // value is missing or it is of another type than REG_DWORD.
    std::optional<DWORD> ReadDword(const char* name) const {
        if (!key_) return std::nullopt;
        DWORD type = 0;
        DWORD value = 0;
        DWORD size = sizeof(value);
        const LONG status = RegQueryValueExA(key_.get(), name, nullptr, &type,
                                             reinterpret_cast<BYTE*>(&value), &size);
        if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) {
            return std::nullopt;
        }
        return value;
    }

    // Stores the value as REG_DWORD; false when the key is not open or the
    // registry refuses the write.
    bool WriteDword(const char* name, DWORD value) {
        if (!key_) return false;
        return RegSetValueExA(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof(value)) == ERROR_SUCCESS;
    }

    void Reset() { key_.Reset(); }

private:
    explicit RegistryKey(HKEY key) : key_(key) {}

    [[nodiscard]] static RegistryKey OpenWith(HKEY root, const char* subKey, REGSAM access) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, subKey, 0, access, &key) != ERROR_SUCCESS) return {};
        return RegistryKey(key);
    }

    OwnedHandle<HKEY, CloseRegistryKey> key_;
};

}  // namespace tarvik
