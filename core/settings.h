// The values kept between runs in the per-user registry: the program's own
// two check-box states and the archiver library's compression defaults, which
// the program shares with the library through the library's key.
#pragma once

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "library_key.h"
#include "registry_key.h"

namespace tarvik {

// The program's own key and value names exactly as stored (the library's
// are in library_key.h). "CommpressDir" is misspelt on purpose: settings
// saved by earlier versions use that name.
inline constexpr char kProgramKey[] = "Software\\Tarvik32";
inline constexpr char kNoDirsWhenCompressingValue[] = "CommpressDir";
inline constexpr char kNoDirsWhenExtractingValue[] = "ExtractDir";

// A registry write that failed. what() is the Shift-JIS text
// "'<value name>' の設定に失敗しました", without a closing full stop: the
// window's standard error box adds it.
class SettingsError : public std::runtime_error {
public:
    explicit SettingsError(std::string_view valueName);
};

// The library's compression defaults as found at start-up.
struct CompressionDefaults {
    enum class Kind {
        KeyMissing,  // the library's key does not open: leave the selection as it is
        Unreadable,  // a value is missing or not a DWORD: select MSZIP ("-mz")
        Lzx,         // CompressionMode 1: select "LZX <level>" if such an item exists,
                     // and show "-ml<level>" in any case
        Mszip,       // any other CompressionMode: select MSZIP ("-mz")
    } kind = Kind::KeyMissing;
    int level = 0;  // the LZX level; meaningful for Kind::Lzx only
};

// Reads "CompressionMode" and "LzxCompressLevel" from the library's key. Both
// must read for the key to count as readable, even when the level is unused.
//
// Whatever this answers, the caller goes on to read ReadDirOptions: the
// library's key is often left without values (any job creates it empty), and
// skipping the program's own key then would show unchecked boxes and write
// those back at the next close, losing the user's saved states.
CompressionDefaults ReadCompressionDefaults();

// The two check-box states saved in the program's key; nothing for a state
// that was not read.
struct DirOptions {
    std::optional<bool> noDirsWhenCompressing;
    std::optional<bool> noDirsWhenExtracting;
};

// Reads "CommpressDir", then "ExtractDir" (non-zero means checked). Reading
// stops at the first value that is missing or not a DWORD; a missing key
// gives no states at all.
DirOptions ReadDirOptions();

// Writes both states (1 or 0) into the program's key, creating the key when
// absent. Throws SettingsError naming the value whose write failed, or
// "CommpressDir" when the key itself cannot be opened.
void WriteDirOptions(bool noDirsWhenCompressing, bool noDirsWhenExtracting);

// The two values a Compress job into a new archive stores in the library's key.
struct CompressionDefaultsToWrite {
    DWORD mode = 0;   // CompressionMode: 0 for MSZIP, 1 for every other type
    DWORD level = 0;  // LzxCompressLevel
};

// MSZIP (any letter case) gives 0 and 0. Any other type, "無圧縮" and an empty
// type included, gives mode 1 and the level from the 4th and 5th characters of
// the switch (21 for "-ml21"), or 15 when they do not form a number ("-ms").
CompressionDefaultsToWrite CompressionDefaultsForJob(std::string_view compressionType,
                                                     std::string_view compressionSwitch);

// Opens the library's key with creation, as every job with an archive path
// does; the result is not open when that fails (nothing is reported here).
[[nodiscard]] RegistryKey OpenLibraryKeyForJob();

// Writes "CompressionMode", then "LzxCompressLevel". Throws SettingsError
// naming the value that could not be written ("CompressionMode" when the key
// is not open).
void WriteCompressionDefaults(RegistryKey& key, const CompressionDefaultsToWrite& values);

}  // namespace tarvik
