// Self-extracting programs: the stub program (carried in the library as a
// resource) followed directly by the cabinet.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "output_text.h"

namespace cab32 {

// Resource name of the stub inside the library (RCDATA).
inline constexpr char kStubResourceName[] = "CAB32SFXSTUB";

// Writes <folder>\<cabinet name>.exe (folder empty: the cabinet's own
// folder) as the stub followed by the cabinet. Only whole, single cabinets
// are accepted. Returns a ResultCode.
int MakeSelfExtractor(HMODULE module, const std::string& cabinetPath, const std::string& folder, OutputText& output);

// Where the cabinet starts in a program file: the end of its last PE section,
// if a cabinet signature stands there; -1 otherwise.
std::int64_t CabinetOffsetInProgram(const std::string& programPath);

}  // namespace cab32
