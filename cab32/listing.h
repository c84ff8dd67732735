// The Japanese member listing of the -l command.
#pragma once

#include <cstdint>
#include <string>

#include "cab_format.h"
#include "output_text.h"

namespace cab32 {

// "2026/12/08" and "21:05:30" from MS-DOS date and time words.
std::string FormatDosDate(std::uint16_t date);
std::string FormatDosTime(std::uint16_t time);

// A line per member (size, date, time, method, path) and a total line.
void WriteListing(const std::string& cabinetPath, const CabDirectory& directory, OutputText& output);

}  // namespace cab32
