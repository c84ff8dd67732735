// The files a new cabinet stores, found from the names the caller listed:
// a listed file as it is, a listed folder with everything under it. Every
// file is read through its exact name on disk, so names that code page 932
// cannot spell are stored exactly too (as UTF-8, flagged as such).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output_text.h"

namespace cab32 {

struct SourceFile {
    std::wstring path;        // the file's exact path on disk
    std::string displayPath;  // the same in code page 932 (best fit), for messages
    std::string storedName;   // the bytes stored: code page 932, or UTF-8 when nameIsUtf8
    std::string displayName;  // the stored name in code page 932 (best fit), for output
    bool nameIsUtf8 = false;
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes = 0;  // read-only, hidden, system, archive
};

// Expands `listed` (code page 932 names, relative ones to the current
// folder) into `files`, in list order; each folder's entries sorted by name,
// so a folder always gives the same order. A file reached twice (named
// twice, or through a folder and an entry) is stored once; two files that
// would be stored under one name are refused. Returns kOk, or a ResultCode
// with the reason and the names concerned in the output.
int CollectSources(const std::vector<std::string>& listed, std::vector<SourceFile>& files, OutputText& output);

// The absolute form of a code page 932 path (the path itself when it has none).
std::string FullAnsiPath(const std::string& path);

// How many of a listed path's last components its stored name takes (0
// when "." or ".." steps keep the listed spelling).
std::size_t StoredComponents(const std::string& listed);

// The name a listed path is stored under, in its long form as the disk
// spells it: `fullLongPath` is the listed path made absolute, with (at
// least) its last StoredComponents long.
// A listed "C:\DOCUME~1\x.txt" is stored as "Documents\x.txt".
std::wstring StoredNameOnDisk(const std::string& listed, const std::wstring& fullLongPath);

}  // namespace cab32
