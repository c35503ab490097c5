#pragma once
// Adds lines to the [rename] section of a WININIT.INI text, keeping every other
// byte of it.

#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace Tarnbolt {

// The whole new text for the whole old text: the lines (without line endings)
// go right after the last entry of the first [rename] section, or after a new
// header at the end when there is none; each ends in CR LF. Old lines stay byte
// for byte, whatever their length, line endings or control bytes; empty lines
// that stood between the header and the last entry are written once more after
// the new lines. The text ends at its first Ctrl-Z end-of-file mark or NUL byte,
// wherever it stands: a reader sees nothing after it, so the lines go before it and
// what follows it stays as it was. A line ends at a CR LF, a lone LF or a lone CR.
std::string MergeRenameText(const std::string& old, const std::vector<std::string>& lines);

// The lines "target=source" of the [rename] sections of the text as a reader sees
// it, as (target, source).
std::vector<std::pair<std::string, std::string>> RenameEntries(const std::string& text);

// Whether a line "target=source" of a [rename] section of the text names `source`
// (ASCII case ignored): the boot that carries the section out has not happened yet.
bool RenameSectionHolds(const std::string& text, const std::string& source);

// The texts of two WININIT.INI files as one, for the file an interrupted run set
// aside (`earlier`, never seen by a boot) and the one written since (`later`):
// the entries of the later text's first [rename] section join the first [rename]
// section of the earlier text after its entries (they were queued after them).
// The later text's lines outside any section go in front, its other sections at
// the end. No line of either is lost but the later section's header and empty
// lines; the joined entries end in CR LF. What stood behind a Ctrl-Z mark or a NUL
// stays behind the text.
std::string CombineRenameTexts(const std::string& earlier, const std::string& later);

// The stream's write call; a full disk shows as a short count.
using StreamWrite = size_t (*)(const void*, size_t, size_t, std::FILE*);

// All of `text` into a binary stream, flushed; false when any byte may be missing.
bool WriteWholeText(std::FILE* file, const std::string& text, StreamWrite write = &std::fwrite);

// The rest of a binary stream; false on a read error.
bool ReadWholeText(std::FILE* file, std::string& text);

}  // namespace Tarnbolt
