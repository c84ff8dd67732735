// Names as the disk holds them (UTF-16) beside the code page 932 text the
// program and the library pass around. A name with a character that code
// page 932 lacks ("Café" has one, "한글" has several) has no exact ANSI form:
// the "A" functions see it under a best-fit or "?" name that opens nothing,
// or worse, another file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

// Code page 932 text as UTF-16.
std::wstring WideFromAnsi(std::string_view text);

// The code page 932 form of `text` when every character has one that
// converts back to the same character; nullopt otherwise.
std::optional<std::string> ExactAnsi(std::wstring_view text);

// The code page 932 form for showing: best-fit characters or "?" where no
// exact form exists.
std::string AnsiForDisplay(std::wstring_view text);

std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);

// `folder` and `name` joined with one "\\" (none after "\\" or ":", and none
// when the folder is empty).
std::wstring JoinWidePath(const std::wstring& folder, std::wstring_view name);

// A code page 932 path that names the file or folder at `path`: its exact
// form, or else its short (8.3) form when that has an exact form. nullopt
// when neither exists (a volume without short names, say).
std::optional<std::string> ListablePath(const std::wstring& path);

struct ListablePaths {
    std::vector<std::string> paths;    // in the given order, each ListablePath
    std::vector<std::string> refused;  // best-fit forms of the paths that have none
};
ListablePaths ToListablePaths(const std::vector<std::wstring>& paths);

}  // namespace tarvik
