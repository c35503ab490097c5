#pragma once
// The platform's file-system calls that the file manager is built on, one each,
// with no logic of their own. Paths are NUL-terminated narrow text.

#include "strings/pstring.h"

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

// The platform's full form of path (current drive and directory filled in, "."
// and ".." taken out, doubled separators collapsed); false when it has none.
bool FullPathOf(const char* path, PString& full);

// Whether the entry at path exists and is a link: a junction or symbolic link,
// which a recursive operation removes as it is and never enters.
bool IsLinkAt(const char* path);

// Whether attributes read for the entry named name mark a link. The one place
// that reads the link bit, in a file of its own.
bool IsLinkEntry(const char* name, unsigned long attributes);

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
    // The next entry; false at the end, or when the listing broke off.
    bool Next();
    // After Next answered false: whether that was the end of the entries rather
    // than a failure part-way.
    bool Ended() const;
    // Name and kind of the current entry.
    const char* Name() const;
    bool IsDirectory() const;
    bool IsLink() const;

private:
    struct Record;
    Record* record_;
    void* handle_;
    bool ended_;
};

}  // namespace FileSystemCalls
}  // namespace LumoBase
