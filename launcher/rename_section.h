#pragma once
// Adds lines to the [rename] section of a WININIT.INI text, keeping every other
// byte of it.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace Tarnbolt {

// The whole new text for the whole old text: the lines (without line endings)
// go right after the last entry of the first [rename] section, or after a new
// header at the end when there is none; each ends in CR LF. Old lines stay byte
// for byte, whatever their length, line endings or control bytes; empty lines
// that stood between the header and the last entry are written once more after
// the new lines.
std::string MergeRenameText(const std::string& old, const std::vector<std::string>& lines);

// The stream's write call; a full disk shows as a short count.
using StreamWrite = size_t (*)(const void*, size_t, size_t, std::FILE*);

// All of `text` into a binary stream, flushed; false when any byte may be missing.
bool WriteWholeText(std::FILE* file, const std::string& text, StreamWrite write = &std::fwrite);

// The rest of a binary stream; false on a read error.
bool ReadWholeText(std::FILE* file, std::string& text);

}  // namespace Tarnbolt
