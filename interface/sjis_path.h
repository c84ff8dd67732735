// Path helpers for Shift-JIS (code page 932) text.
//
// Paths in this program are byte strings in code page 932. The second byte of a
// double-byte character may be 0x5C ("\"), as in the katakana "ソ" (83 5C), so
// every search for a separator or a dot walks the text character by character.
#pragma once

#include <string>
#include <string_view>

namespace tarvik {

inline constexpr std::size_t npos = std::string_view::npos;

// True for a byte that starts a double-byte character in code page 932.
constexpr bool IsSjisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Position of the last single-byte character equal to one of `chars`, or npos.
std::size_t FindLastSjisChar(std::string_view text, std::string_view chars);
// Position of the first single-byte character equal to one of `chars`, or npos.
std::size_t FindFirstSjisChar(std::string_view text, std::string_view chars);

// Position of the last "\" or ":" of a path, or npos.
std::size_t LastPathSeparator(std::string_view path);

// The part after the last "\" or ":" (the whole text when there is none).
std::string_view FileNamePart(std::string_view path);

// The folder that holds `path`: the text up to its last "\" or ":", without
// that "\" unless the folder is a root ("C:\x" gives "C:\", "C:\d\x" gives
// "C:\d"). Empty when the path has no separator.
std::string FolderOfPath(std::string_view path);

// True when the text ends in a "\" that is a character of its own (not the
// second byte of a double-byte character).
bool EndsWithSeparator(std::string_view path);

// Position of the last "." in the file-name part, or npos.
std::size_t ExtensionDot(std::string_view path);

// The path with the extension of its file-name part replaced by `extension`
// (which includes its dot), or `extension` appended when there is none.
std::string ReplaceExtension(std::string_view path, std::string_view extension);

// The path with `text` inserted before the extension of its file-name part,
// or appended when the file name has no extension.
std::string InsertBeforeExtension(std::string_view path, std::string_view text);

// The text in double quotes when it contains a blank (0x20), else unchanged.
std::string QuoteIfSpaced(std::string_view text);

// The folder of the running program, without a trailing "\" unless it is a
// drive root. Callers append names that begin with "\".
std::string ExeFolder();

// ASCII case-insensitive comparison; bytes of double-byte characters must
// match exactly.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tarvik
