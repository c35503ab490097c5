#pragma once
// The common steps of setting a FileSpec to a directory that the platform
// names (system, temporary files, current).

#include "strings/pstring.h"

namespace LumoBase {

// A platform directory query in the manner of GetTempPathA: given a buffer of size
// bytes it answers the length written without the NUL, or the size needed with the
// NUL when the buffer is too small (also for a null buffer and size 0), or 0 on
// failure.
using DirectoryQuery = unsigned long (*)(char* buffer, unsigned long size);

// The text a directory query answers, taken as it stands (no check that it names
// a directory): size query, a heap buffer of exactly that size that passes the
// pointer probes, the second call. False on any failure of the query or buffer.
bool QueryDirectoryText(DirectoryQuery query, PString& text);

// Asks query for its directory, which must exist and be a directory, and answers
// it in `directory` without a trailing separator (a drive root C:\ becomes C:).
// False, with `directory` untouched, on any failure, exceptions included.
bool QueryExistingDirectory(DirectoryQuery query, PString& directory);

// Windows only: the system and the temporary-files directory, as
// QueryExistingDirectory answers them (the steps of FileSpec's SetTo... calls).
bool ReadSystemDirectory(PString& directory);
bool ReadTempDirectory(PString& directory);

}  // namespace LumoBase
