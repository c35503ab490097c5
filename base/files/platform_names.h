#pragma once
// The one place that asks the platform for a module's file name and for the
// Windows directory. Callers differ only in the longest name they can use, so
// that is their argument; a name longer than that is never handed out cut.

#include <cstddef>
#include <string>

#include <windows.h>

namespace LumoBase {

// The file name of `module` (null: the running executable), when it has at most
// `limit` characters. False, `name` untouched, when it cannot be had or is longer:
// a cut name is no module's name.
bool ReadModuleFileName(HMODULE module, size_t limit, std::string& name);

// The same into the caller's `size` bytes (limit: size - 1), terminated; the
// length, or 0 with the buffer holding "". Allocates nothing, for callers whose
// outcome must not depend on the heap.
size_t ReadModuleFileName(HMODULE module, char* buffer, size_t size);

// The Windows directory as the platform answers it, when it has at most `limit`
// characters (0: whatever its length). False, `directory` untouched, otherwise.
bool ReadWindowsDirectory(size_t limit, std::string& directory);

// GetWindowsDirectoryA in the shape of a directory query (buffer, size).
unsigned long WindowsDirectoryQuery(char* buffer, unsigned long size);

}  // namespace LumoBase
