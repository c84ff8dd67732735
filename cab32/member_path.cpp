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

// Whether the pattern's character at `p` ("?", a letter of either case, or
// the same double-byte character) matches the name's character at `n`.
bool SameCharacter(std::string_view pattern, std::size_t p, std::string_view name, std::size_t n) {
    const std::size_t patternLength = CharLength(pattern, p);
    if (patternLength == 1 && pattern[p] == '?') return true;
    if (patternLength != CharLength(name, n)) return false;
    return patternLength == 2 ? pattern.substr(p, 2) == name.substr(n, 2) : LowerAscii(pattern[p]) == LowerAscii(name[n]);
}

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
    // One pass over the name. At a "*" the match first takes nothing; when
    // a later character fails, the latest "*" takes one more character of
    // the name and the rest of the pattern is tried again from there. Only
    // the latest "*" needs to be tried again (an earlier one taking more
    // could only lead to a state the latest one reaches too), so the work
    // is at most name length x pattern length. "*" and "?" (below 0x40)
    // are never trail bytes.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starPattern = std::string_view::npos;  // pattern position after the latest "*"
    std::size_t starName = 0;                          // name position that "*" has reached
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = ++p;
            starName = n;
            continue;
        }
        if (p < pattern.size() && SameCharacter(pattern, p, name, n)) {
            p += CharLength(pattern, p);
            n += CharLength(name, n);
            continue;
        }
        if (starPattern == std::string_view::npos) return false;
        starName += CharLength(name, starName);
        p = starPattern;
        n = starName;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace cab32
