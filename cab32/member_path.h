// Member names inside a cabinet and the file paths they map to. All of them
// are code page 932 text; every split steps over double-byte characters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cab32 {

// The parts of a path between "\" or "/" separators (empty parts dropped).
std::vector<std::string> PathComponents(std::string_view path);

// The name stored for a file given as `listed`: without drive, server and
// share, leading separators, "." and ".." parts ("C:\A\x.txt" gives
// "A\x.txt", a bare name stays itself). Separators become "\".
std::string StoredNameFor(std::string_view listed);

// True when a member name stays inside the target folder: not empty, no
// drive or ":", no leading separator, no part made only of dots and blanks
// (Windows reads "..", and also ". ." or "...", as a step up or nothing).
bool IsSafeMemberName(std::string_view name);
// The same rule for a member's exact name as UTF-16 text.
bool IsSafeMemberName(std::wstring_view name);

// True when `name` is a plain file name that stays in its folder: a safe
// name without any separator (the next volume named by a cabinet's header).
bool IsBareFileName(std::string_view name);

// The member name with "/" separators turned into "\".
std::string WithBackslashes(std::string_view name);

// `folder` and `name` joined with one "\" (none added after "\" or ":", and
// none when the folder is empty).
std::string JoinPath(std::string_view folder, std::string_view name);

// The name of volume `number` (1-based) of a set: two digits before the
// extension of the file name ("a.cab", 1 gives "a01.cab").
std::string VolumeFileName(std::string_view cabinetPath, int number);

// Wildcard match with "*" and "?", ASCII letters compared without case; a
// double-byte character counts as one. "*.*" and "*" match every name. The
// work is at most name length x pattern length, whatever the stars.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace cab32
