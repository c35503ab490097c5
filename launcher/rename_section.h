#pragma once
// Adds lines to the [rename] section of a WININIT.INI stream, keeping every other
// byte of the file.

#include <cstdio>
#include <string>
#include <vector>

namespace Tarnbolt {

// `file` is open for reading and writing ("r+") at its start. The lines (without
// line feeds) go right after the last entry of the first [rename] section, or after
// a new header at the end when there is none; what followed is written again
// behind them. False when reading or writing failed.
bool MergeRenameLines(std::FILE* file, const std::vector<std::string>& lines);

// For a new file opened with "w": the header and the lines.
bool WriteNewRenameSection(std::FILE* file, const std::vector<std::string>& lines);

}  // namespace Tarnbolt
