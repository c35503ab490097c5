#include "files/platform_names.h"

#include <memory>
#include <new>

namespace LumoBase {
namespace {

// Callers answer false on a failure, never an exception.
bool Assign(const char* text, size_t length, std::string& out) {
    try {
        out.assign(text, length);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace

size_t ReadModuleFileName(HMODULE module, char* buffer, size_t size) {
    if (!buffer || size < 2 || size > 0x7fffffff) return 0;
    const DWORD length = GetModuleFileNameA(module, buffer, static_cast<DWORD>(size));
    // A name that fills the buffer was cut short, and need not end in a zero.
    if (length == 0 || length >= size) {
        buffer[0] = '\0';
        return 0;
    }
    buffer[length] = '\0';
    return length;
}

bool ReadModuleFileName(HMODULE module, size_t limit, std::string& name) {
    if (limit == 0 || limit >= 0x7fffffff) return false;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[limit + 1]);
    if (!buffer) return false;
    const size_t length = ReadModuleFileName(module, buffer.get(), limit + 1);
    return length != 0 && Assign(buffer.get(), length, name);
}

unsigned long WindowsDirectoryQuery(char* buffer, unsigned long size) {
    return GetWindowsDirectoryA(buffer, size);
}

bool ReadWindowsDirectory(size_t limit, std::string& directory) {
    const UINT needed = GetWindowsDirectoryA(nullptr, 0);
    if (needed == 0) return false;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[needed + 1]);
    if (!buffer) return false;
    const UINT length = GetWindowsDirectoryA(buffer.get(), needed + 1);
    // A directory that grew between the two calls does not fit: no answer.
    if (length == 0 || length > needed) return false;
    if (limit != 0 && length > limit) return false;
    return Assign(buffer.get(), length, directory);
}

}  // namespace LumoBase
