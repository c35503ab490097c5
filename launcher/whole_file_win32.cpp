#include "whole_file.h"

#include <cstring>

namespace Tarnbolt {
namespace {

// Other programs may read and write the file meanwhile, as they may with the C
// library's streams.
HANDLE Open(const std::string& path, DWORD access, DWORD disposition) {
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

namespace {

// Appends up to `length` bytes read at `offset`, fewer where the file ends first;
// on failure the bytes are as they were.
bool AppendAt(HANDLE file, size_t offset, size_t length, std::string& bytes) {
    // The high half given, the offset counts as unsigned beyond 2 GB.
    LONG high = 0;
    if (SetFilePointer(file, static_cast<LONG>(offset), &high, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    const size_t had = bytes.size();
    bytes.resize(had + length);
    DWORD got = 0;
    if (length > 0 && !ReadFile(file, &bytes[had], static_cast<DWORD>(length), &got, nullptr)) {
        bytes.resize(had);
        return false;
    }
    bytes.resize(had + got);
    return true;
}

}  // namespace

FileReader::FileReader(const std::string& path)
    : file_(Open(path, GENERIC_READ, OPEN_EXISTING)) {}

FileReader::~FileReader() {
    if (IsOpen()) CloseHandle(file_);
}

bool FileReader::ReadAt(size_t offset, size_t length, std::string& bytes) const {
    bytes.clear();
    return IsOpen() && AppendAt(file_, offset, length, bytes);
}

bool FileReader::ReadAll(std::string& bytes, size_t limit) const {
    bytes.clear();
    if (!IsOpen()) return false;
    // Large steps straight into the result: every read is a call into the system,
    // and a library read for its version is hundreds of kilobytes.
    const size_t step = 256u << 10;
    while (bytes.size() < limit) {
        const size_t had = bytes.size();
        if (!AppendAt(file_, had, limit - had < step ? limit - had : step, bytes)) return false;
        if (bytes.size() == had) break;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, size_t limit) {
    return FileReader(path).ReadAll(bytes, limit);
}

namespace {

// Reads the file from its start and compares it with the bytes.
bool SameContent(HANDLE file, const void* bytes, size_t size) {
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
    const char* expected = static_cast<const char*>(bytes);
    char buffer[4096];
    size_t at = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) return false;
        if (got == 0) return at == size;
        if (got > size - at || memcmp(buffer, expected + at, got) != 0) return false;
        at += got;
    }
}

}  // namespace

bool WriteNewFile(const std::string& path, const void* bytes, size_t size, FileWrite write) {
    // No other writer while it is written and checked, and nothing of an earlier
    // file of that name: a new one or none.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    // A short count without an error is a full disk too.
    bool whole = size == 0 || (write(file, bytes, static_cast<DWORD>(size), &written, nullptr) &&
                               written == size);
    whole = whole && FlushFileBuffers(file) && SameContent(file, bytes, size);
    if (!CloseHandle(file)) whole = false;
    if (!whole) DeleteFileA(path.c_str());
    return whole;
}

bool WriteWholeFile(const std::string& path, const void* bytes, size_t size, FileWrite write) {
    DeleteFileA(path.c_str());
    return WriteNewFile(path, bytes, size, write);
}

bool CanOpenForUpdate(const std::string& path) {
    HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

}  // namespace Tarnbolt
