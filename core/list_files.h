// The two text files that carry a file list outside the main window: the
// response file the archiver library reads after "@", and the list files the
// user saves and loads. Entries are code page 932 bytes, written unconverted,
// one per line, each line ending in CR LF.
//
// Whether a write worked is always answered ([[nodiscard]]), and each caller
// says what it does with a failure. The window's list handlers ignore it on
// purpose, through IgnoreSilently: the user is not told, since the response
// file is written once more just before a job reads it, and a list file that
// cannot be saved leaves the list in the window. That write before a job is
// the one that reports its failure (the standard error box): the job would
// otherwise run on an earlier list.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarvik {

// Rewrites the response file whole: one entry per line, in double quotes when
// it contains a blank (0x20). False when the file cannot be created; then
// nothing is written and the file keeps its earlier content.
[[nodiscard]] bool WriteResponseFile(const std::string& responsePath, const std::vector<std::string>& entries);

enum class RefreshResult { NothingToWrite, Written, Failed };

// Brings the response file up to date with the file list. An empty list
// leaves the file alone. With `noDirectories` the first entry's folder becomes
// the process's current folder (and stays so) and only the bare file names are
// written: the library then finds every name in that folder, so no folder
// names get into the archive.
[[nodiscard]] RefreshResult RefreshResponseFile(const std::string& responsePath,
                                  const std::vector<std::string>& fileList, bool noDirectories);

// Deletes the response file; a file that is not there, or one that cannot be
// deleted, is no error (it is rewritten whole before it is read again).
void DeleteResponseFile(const std::string& responsePath);

// Writes a list file: each entry unchanged (never quoted) and CR LF. False
// when the file cannot be created.
[[nodiscard]] bool SaveListFile(const std::string& path, const std::vector<std::string>& entries);

// Reads a list file: one entry per line, a line ending at CR LF or LF, a last
// line without line end included, an empty line giving an empty entry. A NUL
// byte ends an entry's text. Lines of any length come back whole, so a saved
// list loads as the same entries. Nothing when no file exists at the path or
// it cannot be opened; a read error part-way keeps the entries read so far.
std::optional<std::vector<std::string>> LoadListFile(const std::string& path);

// Marks the result of a write whose failure the user is not told of.
template <typename Result>
constexpr void IgnoreSilently(const Result&) noexcept {}

}  // namespace tarvik
