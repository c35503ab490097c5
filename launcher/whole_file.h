#pragma once
// Whole files read and written with the system's own file calls: the launcher has
// no C library streams.

#include <windows.h>

#include <cstddef>
#include <string>

namespace Tarnbolt {

// The system's write call; a stand-in may fail as a full disk does.
using FileWrite = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);

// The file's bytes, at most `limit` of them; false when it cannot be opened or a
// read fails.
bool ReadWholeFile(const std::string& path, std::string& bytes,
                   size_t limit = static_cast<size_t>(-1));

// The bytes as the whole content of the file, created or emptied first; false when
// any byte may be missing.
bool WriteWholeFile(const std::string& path, const void* bytes, size_t size,
                    FileWrite write = &WriteFile);

// Whether the file can be opened for reading and writing: not when it is read-only
// or held by another program.
bool CanOpenForUpdate(const std::string& path);

}  // namespace Tarnbolt
