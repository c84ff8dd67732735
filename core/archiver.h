// The program's only access to the archiver library. Every call loads
// "cab32.dll", asks it, and unloads it again before returning; nothing of the
// library survives between calls. Failures are answered by value (false, 0,
// -1, no members); nothing here shows a message.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvik {

// True when the library is present and offers the function with this index.
bool ArchiverHasFunction(int functionIndex);

// The library's version in hundredths (90 = 0.90); 0 when it cannot be asked.
std::uint16_t ArchiverVersion();

// True while the library reports that it is busy; false when it cannot be asked.
bool ArchiverIsRunning();

// True when the library judges the archive sound in the given check mode.
bool ArchiverCheckArchive(const char* archivePath, int mode);

// Hands one command to the library. Returns the library's result, or -1 when
// it was not called; on -1 the output buffer is left untouched. Otherwise the
// output holds the library's text, NUL-terminated within outputSize bytes.
int RunArchiverCommand(HWND owner, const char* commandLine, char* output, std::int32_t outputSize);

// The path of every member of the archive, in the order the library reports
// them; none when the library or the archive cannot be opened.
std::vector<std::string> ArchiveMembers(HWND owner, const char* archivePath);

// The file the DLL search finds for the library, as the loaded module names
// itself; nothing when the library does not load.
std::optional<std::string> ArchiverPath();

}  // namespace tarvik
