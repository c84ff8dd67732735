// Owns one open registry key and reads and writes its 32-bit integer values.
#pragma once

#include <windows.h>

#include <optional>
#include <utility>

namespace tarvik {

class RegistryKey {
public:
    RegistryKey() = default;

    // Opens an existing key for full access. A key the user may read but not
    // write therefore does not open: callers treat it as absent.
    [[nodiscard]] static RegistryKey Open(HKEY root, const char* subKey) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return {};
        return RegistryKey(key);
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

    ~RegistryKey() { Reset(); }

    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept {
        if (this != &other) {
            Reset();
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }

    explicit operator bool() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

    // The value as a 32-bit integer; nothing when the key is not open, the
    // value is missing or it is of another type than REG_DWORD.
    std::optional<DWORD> ReadDword(const char* name) const {
        if (!key_) return std::nullopt;
        DWORD type = 0;
        DWORD value = 0;
        DWORD size = sizeof(value);
        const LONG status = RegQueryValueExA(key_, name, nullptr, &type,
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
        return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                              sizeof(value)) == ERROR_SUCCESS;
    }

    void Reset() {
        if (key_) RegCloseKey(std::exchange(key_, nullptr));
    }

private:
    explicit RegistryKey(HKEY key) : key_(key) {}
    HKEY key_ = nullptr;
};

}  // namespace tarvik
