#include "compression_defaults.h"

#include <windows.h>

namespace cab32 {

namespace {

class RegistryKey {
public:
    [[nodiscard]] static RegistryKey OpenForReading(HKEY parent, const char* path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(parent, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) key = nullptr;
        return RegistryKey(key);
    }
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }

    bool ReadDword(const char* name, DWORD& value) const {
        DWORD type = 0;
        DWORD size = sizeof value;
        return key_ && RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                           ERROR_SUCCESS &&
               type == REG_DWORD;
    }

private:
    explicit RegistryKey(HKEY key) : key_(key) {}
    HKEY key_ = nullptr;
};

}  // namespace

void ApplyCompressionDefaults(CabCommand& command) {
    if (command.compression != Compression::Default) return;
    const RegistryKey key = RegistryKey::OpenForReading(HKEY_CURRENT_USER, "Software\\ArchiverDll\\Cab32");
    DWORD mode = 0;
    DWORD level = 21;
    if (key.ReadDword("CompressionMode", mode) && mode == 1) {
        command.compression = Compression::Lzx;
        command.lzxLevel = key.ReadDword("LzxCompressLevel", level) && level >= 15 && level <= 21
                               ? static_cast<int>(level)
                               : 21;
    } else {
        command.compression = Compression::MsZip;
    }
}

}  // namespace cab32
