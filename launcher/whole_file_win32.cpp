#include "whole_file.h"

namespace Tarnbolt {
namespace {

// Other programs may read and write the file meanwhile, as they may with the C
// library's streams.
HANDLE Open(const std::string& path, DWORD access, DWORD disposition) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, size_t limit) {
    bytes.clear();
    HANDLE file = Open(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool read = true;
    char buffer[4096];
    while (bytes.size() < limit) {
        const size_t wanted = limit - bytes.size() < sizeof buffer ? limit - bytes.size() : sizeof buffer;
        DWORD got = 0;
        if (!ReadFile(file, buffer, static_cast<DWORD>(wanted), &got, nullptr)) {
            read = false;
            break;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return read;
}

bool WriteWholeFile(const std::string& path, const void* bytes, size_t size, FileWrite write) {
    HANDLE file = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    // A short count without an error is a full disk too.
    bool whole = size == 0 || (write(file, bytes, static_cast<DWORD>(size), &written, nullptr) &&
                               written == size);
    if (!CloseHandle(file)) whole = false;
    return whole;
}

bool CanOpenForUpdate(const std::string& path) {
    HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

}  // namespace Tarnbolt
