#include "compression_defaults.h"

#include <windows.h>

#include <optional>

#include "library_key.h"
#include "registry_key.h"

namespace cab32 {

void ApplyCompressionDefaults(CabCommand& command) {
    if (command.compression) return;
    // Read only: the library never changes the key it shares with the program.
    const tarvik::RegistryKey key = tarvik::RegistryKey::OpenForReading(HKEY_CURRENT_USER, tarvik::kLibraryKey);
    if (key.ReadDword(tarvik::kCompressionModeValue) == tarvik::kCompressionModeLzx) {
        const std::optional<DWORD> level = key.ReadDword(tarvik::kLzxLevelValue);
        command.compression = Compression::Lzx;
        command.lzxLevel = level && *level >= 15 && *level <= 21 ? static_cast<int>(*level) : 21;
    } else {
        command.compression = Compression::Mszip;
    }
}

}  // namespace cab32
