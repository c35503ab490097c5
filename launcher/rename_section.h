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
// the new lines. Ctrl-Z end-of-file marks that end the text stay at its end.
std::string MergeRenameText(const std::string& old, const std::vector<std::string>& lines);

// Whether a line "target=source" of a [rename] section of the text names `source`
// (ASCII case ignored): the boot that carries the section out has not happened yet.
bool RenameSectionHolds(const std::string& text, const std::string& source);

// What a run finds beside WININIT.INI from an earlier run that stopped or could not
// clean up: its checked new text (.TBN) and the old file moved aside (.TBO).
struct SideFiles {
    bool file = false;      // WININIT.INI itself
    bool fresh = false;     // .TBN
    bool aside = false;     // .TBO
    // A boot has processed a WININIT.INI (its .BAK copy) no earlier than .TBN was
    // written.
    bool consumedSince = false;
};

// Whether the aside copy goes back to WININIT.INI. Only a run that stopped between
// its two moves leaves the aside copy as the one text of WININIT.INI (its .TBN still
// there); otherwise that text was also in the file that replaced it, and putting it
// back over a later or consumed WININIT.INI would run renames a second time.
// Whatever is not put back is deleted.
bool PutAsideBack(const SideFiles& found);

// The stream's write call; a full disk shows as a short count.
using StreamWrite = size_t (*)(const void*, size_t, size_t, std::FILE*);

// All of `text` into a binary stream, flushed; false when any byte may be missing.
bool WriteWholeText(std::FILE* file, const std::string& text, StreamWrite write = &std::fwrite);

// The rest of a binary stream; false on a read error.
bool ReadWholeText(std::FILE* file, std::string& text);

}  // namespace Tarnbolt
