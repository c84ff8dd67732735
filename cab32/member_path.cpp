#include "member_path.h"

#include <cstdio>

#include "sjis_path.h"

namespace cab32 {

namespace {

// Length in bytes of the character at `i`.
std::size_t CharLength(std::string_view text, std::size_t i) {
    return tarvik::IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool OnlyDotsAndBlanks(std::string_view part) {
    return part.find_first_not_of(". ") == std::string_view::npos;
}

// The path without a leading drive ("C:") or server and share ("\\srv\share").
std::string_view WithoutRoot(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':' && !tarvik::IsSjisLeadByte(static_cast<unsigned char>(path[0]))) {
        return path.substr(2);
    }
    if (path.starts_with("\\\\") || path.starts_with("//")) {
        path.remove_prefix(2);
        for (int part = 0; part < 2 && !path.empty(); ++part) {
            const std::size_t sep = tarvik::FindFirstSjisChar(path, "\\/");
            path = sep == tarvik::npos ? std::string_view() : path.substr(sep + 1);
        }
    }
    return path;
}

}  // namespace

std::vector<std::string> PathComponents(std::string_view path) {
    std::vector<std::string> parts;
    while (!path.empty()) {
        const std::size_t sep = tarvik::FindFirstSjisChar(path, "\\/");
        if (sep != 0) parts.emplace_back(path.substr(0, sep));
        if (sep == tarvik::npos) break;
        path.remove_prefix(sep + 1);
    }
    return parts;
}

std::string StoredNameFor(std::string_view listed) {
    std::string name;
    for (const std::string& part : PathComponents(WithoutRoot(listed))) {
        if (part == "." || part == "..") continue;
        if (!name.empty()) name += '\\';
        name += part;
    }
    return name;
}

bool IsSafeMemberName(std::string_view name) {
    if (name.empty() || name.front() == '\\' || name.front() == '/') return false;
    if (tarvik::FindFirstSjisChar(name, ":") != tarvik::npos) return false;
    const std::vector<std::string> parts = PathComponents(name);
    if (parts.empty()) return false;
    for (const std::string& part : parts) {
        if (OnlyDotsAndBlanks(part)) return false;
    }
    return true;
}

bool IsSafeMemberName(std::wstring_view name) {
    if (name.empty() || name.front() == L'\\' || name.front() == L'/' || name.find(L':') != name.npos) return false;
    bool anyPart = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != L'\\' && name[i] != L'/') continue;
        const std::wstring_view part = name.substr(start, i - start);
        if (!part.empty()) {
            if (part.find_first_not_of(L". ") == part.npos) return false;
            anyPart = true;
        }
        start = i + 1;
    }
    return anyPart;
}

bool IsBareFileName(std::string_view name) {
    return IsSafeMemberName(name) && tarvik::FindFirstSjisChar(name, "\\/") == tarvik::npos;
}

std::string WithBackslashes(std::string_view name) {
    std::string result(name);
    for (std::size_t i = 0; i < result.size(); i += CharLength(result, i)) {
        if (result[i] == '/') result[i] = '\\';
    }
    return result;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    const bool needsSeparator = !path.empty() && !tarvik::EndsWithSeparator(path) &&
                                tarvik::LastPathSeparator(path) != path.size() - 1;
    if (needsSeparator) path += '\\';
    path += name;
    return path;
}

std::string VolumeFileName(std::string_view cabinetPath, int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", number);
    return tarvik::InsertBeforeExtension(cabinetPath, digits);
}

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    if (pattern == "*" || pattern == "*.*") return true;
    if (pattern.empty()) return name.empty();
    if (pattern.front() == '*') {
        for (std::size_t i = 0;; i += CharLength(name, i)) {
            if (MatchesWildcard(pattern.substr(1), name.substr(i))) return true;
            if (i >= name.size()) return false;
        }
    }
    if (name.empty()) return false;
    const std::size_t patternLength = CharLength(pattern, 0);
    const std::size_t nameLength = CharLength(name, 0);
    bool same = pattern.front() == '?';
    if (!same && patternLength == nameLength) {
        same = patternLength == 2 ? pattern.substr(0, 2) == name.substr(0, 2)
                                  : LowerAscii(pattern[0]) == LowerAscii(name[0]);
    }
    return same && MatchesWildcard(pattern.substr(patternLength), name.substr(nameLength));
}

}  // namespace cab32
