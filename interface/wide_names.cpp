#include "wide_names.h"

#include <windows.h>


namespace tarvik {

namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

// `usedDefault` may be null (UTF-8 accepts no such query).
std::string ToNarrow(UINT codePage, DWORD flags, std::wstring_view text, BOOL* usedDefault) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, usedDefault);
    if (length <= 0) return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), size, narrow.data(), length, nullptr, usedDefault);
    return narrow;
}

}  // namespace

std::wstring WideFromAnsi(std::string_view text) { return ToWide(CP_ACP, text); }

std::optional<std::string> ExactAnsi(std::wstring_view text) {
    BOOL usedDefault = FALSE;
    std::string narrow = ToNarrow(CP_ACP, WC_NO_BEST_FIT_CHARS, text, &usedDefault);
    // The way back is checked too: some characters map one way only.
    if (usedDefault || WideFromAnsi(narrow) != text) return std::nullopt;
    return narrow;
}

std::string AnsiForDisplay(std::wstring_view text) { return ToNarrow(CP_ACP, 0, text, nullptr); }

std::string Utf8FromWide(std::wstring_view text) { return ToNarrow(CP_UTF8, 0, text, nullptr); }

std::wstring WideFromUtf8(std::string_view text) { return ToWide(CP_UTF8, text); }

std::wstring JoinWidePath(const std::wstring& folder, std::wstring_view name) {
    if (folder.empty()) return std::wstring(name);
    if (folder.back() == L'\\' || folder.back() == L':') return folder + std::wstring(name);
    return folder + L'\\' + std::wstring(name);
}

std::optional<std::string> ListablePath(const std::wstring& path) {
    if (std::optional<std::string> exact = ExactAnsi(path)) return exact;
    const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0) return std::nullopt;
    std::vector<wchar_t> shortPath(length);
    const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), length);
    if (written == 0 || written >= length) return std::nullopt;
    return ExactAnsi(std::wstring_view(shortPath.data(), written));
}

ListablePaths ToListablePaths(const std::vector<std::wstring>& paths) {
    ListablePaths result;
    for (const std::wstring& path : paths) {
        if (std::optional<std::string> listable = ListablePath(path)) result.paths.push_back(std::move(*listable));
        else result.refused.push_back(AnsiForDisplay(path));
    }
    return result;
}

}  // namespace tarvik
