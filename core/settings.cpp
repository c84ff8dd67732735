#include "settings.h"

#include "sjis_path.h"

namespace tarvik {

namespace {

std::string SettingFailedText(std::string_view valueName) {
    std::string text = "'";
    text += valueName;
    text += "' の設定に失敗しました";
    return text;
}

// The level written when the switch names none, as with "-ms" or no switch.
constexpr DWORD kDefaultLzxLevel = 15;

// The number formed by the 4th and 5th characters of a switch such as
// "-ml21", or nothing when they are absent or not all digits.
std::optional<DWORD> LevelOfSwitch(std::string_view compressionSwitch) {
    if (compressionSwitch.size() <= 3) return std::nullopt;
    const std::string_view digits = compressionSwitch.substr(3, 2);
    DWORD level = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        level = level * 10 + static_cast<DWORD>(c - '0');
    }
    return level;
}

void WriteOrThrow(RegistryKey& key, const char* valueName, DWORD value) {
    if (!key.WriteDword(valueName, value)) throw SettingsError(valueName);
}

}  // namespace

SettingsError::SettingsError(std::string_view valueName)
    : std::runtime_error(SettingFailedText(valueName)) {}

CompressionDefaults ReadCompressionDefaults() {
    const RegistryKey key = RegistryKey::Open(HKEY_CURRENT_USER, kLibraryKey);
    if (!key) return {CompressionDefaults::Kind::KeyMissing};
    const std::optional<DWORD> mode = key.ReadDword(kCompressionModeValue);
    if (!mode) return {CompressionDefaults::Kind::Unreadable};
    const std::optional<DWORD> level = key.ReadDword(kLzxLevelValue);
    if (!level) return {CompressionDefaults::Kind::Unreadable};
    if (*mode != kCompressionModeLzx) return {CompressionDefaults::Kind::Mszip};
    return {CompressionDefaults::Kind::Lzx, static_cast<int>(*level)};
}

DirOptions ReadDirOptions() {
    DirOptions options;
    const RegistryKey key = RegistryKey::Open(HKEY_CURRENT_USER, kProgramKey);
    if (!key) return options;
    const std::optional<DWORD> compressing = key.ReadDword(kNoDirsWhenCompressingValue);
    if (!compressing) return options;
    options.noDirsWhenCompressing = *compressing != 0;
    const std::optional<DWORD> extracting = key.ReadDword(kNoDirsWhenExtractingValue);
    if (extracting) options.noDirsWhenExtracting = *extracting != 0;
    return options;
}

void WriteDirOptions(bool noDirsWhenCompressing, bool noDirsWhenExtracting) {
    RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, kProgramKey);
    if (!key) throw SettingsError(kNoDirsWhenCompressingValue);
    WriteOrThrow(key, kNoDirsWhenCompressingValue, noDirsWhenCompressing ? 1 : 0);
    WriteOrThrow(key, kNoDirsWhenExtractingValue, noDirsWhenExtracting ? 1 : 0);
}

CompressionDefaultsToWrite CompressionDefaultsForJob(std::string_view compressionType,
                                                     std::string_view compressionSwitch) {
    if (SameTextIgnoringCase(compressionType, "MSZIP")) return {kCompressionModeMszip, 0};
    return {kCompressionModeLzx, LevelOfSwitch(compressionSwitch).value_or(kDefaultLzxLevel)};
}

RegistryKey OpenLibraryKeyForJob() {
    return RegistryKey::Create(HKEY_CURRENT_USER, kLibraryKey);
}

void WriteCompressionDefaults(RegistryKey& key, const CompressionDefaultsToWrite& values) {
    WriteOrThrow(key, kCompressionModeValue, values.mode);
    WriteOrThrow(key, kLzxLevelValue, values.level);
}

}  // namespace tarvik
