#pragma once
// The platform's file-system calls that the file manager is built on, one each,
// with no logic of their own. Paths are NUL-terminated narrow text.

namespace LumoBase {
namespace FileSystemCalls {

bool MakeDirectoryAt(const char* path);
bool RemoveDirectoryAt(const char* path);
// Creates the file with no access rights and closes it at once; without overwrite
// an existing file makes it fail.
bool CreateEmptyFileAt(const char* path, bool overwrite);
bool CopyFileTo(const char* source, const char* destination, bool overwrite);
bool DeleteFileAt(const char* path);
// Whether something exists at the path and is a directory.
bool IsDirectoryAt(const char* path);

// One listing of the entries that match a wildcard pattern, closed when the
// object goes away.
class DirectorySearch {
public:
    DirectorySearch();
    ~DirectorySearch();
    DirectorySearch(const DirectorySearch&) = delete;
    DirectorySearch& operator=(const DirectorySearch&) = delete;

    // False when the record for the found entries could not be allocated.
    bool IsUsable() const;
    // The first entry; false when nothing matches or the search cannot start.
    bool First(const char* pattern);
    // The next entry; false at the end.
    bool Next();
    // Name and kind of the current entry.
    const char* Name() const;
    bool IsDirectory() const;

private:
    struct Record;
    Record* record_;
    void* handle_;
};

}  // namespace FileSystemCalls
}  // namespace LumoBase
