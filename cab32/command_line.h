// Reads the command text that the library's Cab entry point receives.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format.h"

namespace cab32 {

// One piece of a command line; `quoted` is true when any part of it stood
// inside double quotes (so "-x" in quotes is a name, not a switch), and
// `startsQuoted` when its first character did.
struct CommandToken {
    std::string text;
    bool quoted = false;
    bool startsQuoted = false;
};

// Splits on blanks and tabs. A double quote opens and closes a quoted part in
// which blanks are ordinary characters; the quote itself is dropped. A
// backslash is always a literal character, so "D:\Work Dir\" is one token
// D:\Work Dir\ . Quotes and blanks never occur as Shift-JIS trail bytes, so
// a byte scan is safe here.
std::vector<CommandToken> SplitCommandLine(std::string_view text);

enum class Operation { None, Add, Extract, SelfExtract, List, Test };

struct CabCommand {
    Operation operation = Operation::None;
    // None, Mszip or Lzx; unset when the line names no method (the
    // registry's default then applies).
    std::optional<Compression> compression;
    int lzxLevel = 21;             // 15..21, used with Compression::Lzx
    unsigned volumeKb = 0;         // -v:N; 0 writes one cabinet
    bool dropFolders = false;      // -j
    bool followVolumes = false;    // -k
    std::string archive;
    std::string folder;            // -x, -f: target folder; empty = default
    std::vector<std::string> listFiles;  // each "@file"
    std::vector<std::string> names;      // names given on the line itself
};

struct ParsedCommand {
    bool ok = false;
    CabCommand command;
    std::string error;  // Japanese text when !ok
};

// Reads switches (-a -x -f -l -t, -ml15..-ml21, -mz, -ms, -v:N, -j, -k), then
// the archive, then (for -x and -f) the folder; "@name" tokens name list files
// and any further tokens are names. The name after "@" may stand in double
// quotes, so a list file in a folder with blanks reads as one token:
// @"C:\Program Files\Tarvik32\Files.txt". A token wholly in quotes ("@x") is
// a name, not a list file.
ParsedCommand ParseCommand(std::string_view text);

}  // namespace cab32
