#include "command_line.h"

#include <charconv>

namespace cab32 {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = LowerAscii(c);
    return result;
}

bool ParseNumber(std::string_view digits, unsigned& value) {
    if (digits.empty()) return false;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size();
}

bool SetOperation(CabCommand& command, Operation operation) {
    if (command.operation != Operation::None && command.operation != operation) return false;
    command.operation = operation;
    return true;
}

// Applies one switch; false when it is not one the library knows.
bool ApplySwitch(CabCommand& command, std::string_view text) {
    const std::string word = Lower(text);
    if (word == "-a") return SetOperation(command, Operation::Add);
    if (word == "-x" || word == "-e") return SetOperation(command, Operation::Extract);
    if (word == "-f") return SetOperation(command, Operation::SelfExtract);
    if (word == "-l") return SetOperation(command, Operation::List);
    if (word == "-t") return SetOperation(command, Operation::Test);
    if (word == "-j") return command.dropFolders = true;
    if (word == "-k") return command.followVolumes = true;
    if (word == "-mz") return command.compression = Compression::Mszip, true;
    if (word == "-ms" || word == "-mn") return command.compression = Compression::None, true;
    unsigned number = 0;
    if (word.starts_with("-ml") && ParseNumber(std::string_view(word).substr(3), number) &&
        number >= 15 && number <= 21) {
        command.compression = Compression::Lzx;
        command.lzxLevel = static_cast<int>(number);
        return true;
    }
    if (word.starts_with("-v:") && ParseNumber(std::string_view(word).substr(3), number) && number > 0 &&
        number <= 2 * 1024 * 1024) {
        command.volumeKb = number;
        return true;
    }
    return false;
}

bool TakesFolder(Operation operation) {
    return operation == Operation::Extract || operation == Operation::SelfExtract;
}

}  // namespace

std::vector<CommandToken> SplitCommandLine(std::string_view text) {
    std::vector<CommandToken> tokens;
    CommandToken current;
    bool inToken = false;
    bool inQuotes = false;
    for (const char c : text) {
        if (c == '"') {
            if (!inToken) current.startsQuoted = true;
            inQuotes = !inQuotes;
            current.quoted = true;
            inToken = true;
        } else if (IsBlank(c) && !inQuotes) {
            if (inToken) tokens.push_back(std::move(current));
            current = {};
            inToken = false;
        } else {
            current.text += c;
            inToken = true;
        }
    }
    if (inToken) tokens.push_back(std::move(current));
    return tokens;
}

ParsedCommand ParseCommand(std::string_view text) {
    ParsedCommand parsed;
    CabCommand& command = parsed.command;
    std::vector<std::string> positional;
    for (const CommandToken& token : SplitCommandLine(text)) {
        if (!token.quoted && token.text.starts_with('-')) {
            if (!ApplySwitch(command, token.text)) {
                parsed.error = "不明なスイッチです: " + token.text;
                return parsed;
            }
        } else if (!token.startsQuoted && token.text.starts_with('@')) {
            command.listFiles.push_back(token.text.substr(1));
        } else {
            positional.push_back(token.text);
        }
    }
    std::size_t next = 0;
    if (next < positional.size()) command.archive = positional[next++];
    if (TakesFolder(command.operation) && next < positional.size()) command.folder = positional[next++];
    command.names.assign(positional.begin() + static_cast<std::ptrdiff_t>(next), positional.end());

    if (command.operation == Operation::None) {
        parsed.error = "命令 (-a -x -f -l -t) が指定されていません。";
    } else if (command.archive.empty()) {
        parsed.error = "書庫名が指定されていません。";
    } else {
        parsed.ok = true;
    }
    return parsed;
}

}  // namespace cab32
