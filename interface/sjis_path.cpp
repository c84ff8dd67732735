#include "sjis_path.h"

#include <windows.h>

namespace tarvik {

namespace {

// Calls `visit(position)` for the start of every character of `text`.
template <typename Visit>
void ForEachCharacter(std::string_view text, Visit visit) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool doubleByte = IsSjisLeadByte(byte) && i + 1 < text.size();
        if (!doubleByte && !visit(i)) return;
        i += doubleByte ? 2 : 1;
    }
}

unsigned char LowerAscii(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

}  // namespace

std::size_t FindLastSjisChar(std::string_view text, std::string_view chars) {
    std::size_t found = npos;
    ForEachCharacter(text, [&](std::size_t i) {
        if (chars.find(text[i]) != npos) found = i;
        return true;
    });
    return found;
}

std::size_t FindFirstSjisChar(std::string_view text, std::string_view chars) {
    std::size_t found = npos;
    ForEachCharacter(text, [&](std::size_t i) {
        if (chars.find(text[i]) == npos) return true;
        found = i;
        return false;
    });
    return found;
}

std::size_t LastPathSeparator(std::string_view path) {
    return FindLastSjisChar(path, "\\:");
}

std::string_view FileNamePart(std::string_view path) {
    const std::size_t sep = LastPathSeparator(path);
    return sep == npos ? path : path.substr(sep + 1);
}

std::string FolderOfPath(std::string_view path) {
    const std::size_t sep = LastPathSeparator(path);
    if (sep == npos) return {};
    std::string folder(path.substr(0, sep + 1));
    // "C:\", "\" and "C:" are roots and keep their form; any other folder
    // loses its trailing "\".
    const bool root = folder.size() == 1 || path[sep] == ':' ||
                      (folder.size() >= 2 && folder[folder.size() - 2] == ':');
    if (!root && folder.back() == '\\') folder.pop_back();
    return folder;
}

bool EndsWithSeparator(std::string_view path) {
    return !path.empty() && FindLastSjisChar(path, "\\") == path.size() - 1;
}

std::size_t ExtensionDot(std::string_view path) {
    const std::size_t sep = LastPathSeparator(path);
    const std::size_t nameStart = sep == npos ? 0 : sep + 1;
    const std::size_t dot = FindLastSjisChar(path.substr(nameStart), ".");
    return dot == npos ? npos : nameStart + dot;
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
    const std::size_t dot = ExtensionDot(path);
    std::string result(path.substr(0, dot == npos ? path.size() : dot));
    result += extension;
    return result;
}

std::string InsertBeforeExtension(std::string_view path, std::string_view text) {
    const std::size_t dot = ExtensionDot(path);
    std::string result(path);
    result.insert(dot == npos ? result.size() : dot, text);
    return result;
}

std::string QuoteIfSpaced(std::string_view text) {
    if (text.find(' ') == npos) return std::string(text);
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return FolderOfPath(std::string_view(path, length));
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto byte = static_cast<unsigned char>(a[i]);
        if (IsSjisLeadByte(byte) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

}  // namespace tarvik
