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

// A file open for reading, read at any offset: parts of it without opening it again.
class FileReader {
public:
    explicit FileReader(const std::string& path);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    // Up to `length` bytes from `offset`, fewer where the file ends first; false when
    // it is not open or the read fails.
    bool ReadAt(size_t offset, size_t length, std::string& bytes) const;
    // As ReadWholeFile.
    bool ReadAll(std::string& bytes, size_t limit = static_cast<size_t>(-1)) const;

private:
    HANDLE file_;
};

// The bytes as the whole content of a new file at `path`, which must not exist: held
// by this process alone while it is written, flushed to the disk (a power cut must
// not leave it zero-filled) and read back and compared. False when any byte may be
// missing or differ; the file is removed then.
bool WriteNewFile(const std::string& path, const void* bytes, size_t size,
                  FileWrite write = &WriteFile);

// The same over a file of that name, which is removed first: never written through,
// for it may be anybody's link to another file.
bool WriteWholeFile(const std::string& path, const void* bytes, size_t size,
                    FileWrite write = &WriteFile);

// Whether the file can be opened for reading and writing: not when it is read-only
// or held by another program.
bool CanOpenForUpdate(const std::string& path);

}  // namespace Tarnbolt
