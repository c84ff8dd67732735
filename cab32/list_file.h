// Reads the list files named after "@" in a command: one name a line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cab32 {

// Names in list-file text. Lines end in CR LF or LF; blanks around a line are
// dropped; double quotes (written around names with blanks) are removed;
// empty lines give no name.
std::vector<std::string> ParseListText(std::string_view text);

// Reads and parses a list file; nullopt when it cannot be read.
std::optional<std::vector<std::string>> ReadListFile(const std::string& path);

}  // namespace cab32
