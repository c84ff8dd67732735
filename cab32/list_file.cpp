#include "list_file.h"

#include <windows.h>

#include "win_handles.h"

namespace cab32 {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string NameOfLine(std::string_view line) {
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    std::string name;
    for (const char c : line) {
        if (c != '"') name += c;  // '"' is never a Shift-JIS trail byte
    }
    return name;
}

}  // namespace

std::vector<std::string> ParseListText(std::string_view text) {
    std::vector<std::string> names;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');  // LF is never a trail byte
        std::string name = NameOfLine(text.substr(0, end));
        if (!name.empty()) names.push_back(std::move(name));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return names;
}

std::optional<std::vector<std::string>> ReadListFile(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) return std::nullopt;
    // A NUL ends the useful text, as in a C string.
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return ParseListText(text);
}

}  // namespace cab32
