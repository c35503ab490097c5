#pragma once
// The platform's file-system calls that the file manager is built on, one each,
// with no logic of their own. Paths are NUL-terminated narrow text.

#include "strings/pstring.h"

struct _WIN32_FIND_DATAA;

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

// Who an entry is to the file system, whatever name it is reached by (a short
// name, another case, a long-path prefix, a substituted drive, a link).
struct EntryIdentity {
    unsigned long volume;
    unsigned long indexHigh;
    unsigned long indexLow;
    bool operator==(const EntryIdentity& other) const {
        return volume == other.volume && indexHigh == other.indexHigh &&
               indexLow == other.indexLow;
    }
};

// The identity of the file or directory at path: its volume's serial number and
// its file index. False where the platform has none to give: Windows 95, 98 and
// Me open no directory this way, and answer no index on FAT.
bool IdentityOf(const char* path, EntryIdentity& identity);

// The calling thread's identifier and the tick count, to make the name of a probe
// file unique.
void ProbeNumbers(unsigned long& thread, unsigned long& tick);

// The long name of the entry at path (its last component), as a listing gives it:
// "Longparentname" for C:\LONGPA~1. False when nothing is there. path must hold no
// wildcard.
bool LongNameOf(const char* path, PString& name);

// Whether the entry at path exists and is a link: a junction or symbolic link,
// which a recursive operation removes as it is and never enters.
bool IsLinkAt(const char* path);

// Whether attributes read for the entry named name mark a link. The one place
// that reads the link bit, in a file of its own.
bool IsLinkEntry(const char* name, unsigned long attributes);

// The platform's two listing calls, alone in a file of their own so that a test
// program can refuse a listing, as Wine cannot. FindFirstEntry answers the search
// handle, or INVALID_HANDLE_VALUE with the reason left for GetLastError.
void* FindFirstEntry(const char* pattern, _WIN32_FIND_DATAA* data);
bool FindNextEntry(void* search, _WIN32_FIND_DATAA* data);

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
    // After First or Next answered false: whether that was the end of the entries
    // (or nothing there to list: no such file or folder) rather than a failure,
    // such as a refused or broken listing.
    bool Ended() const;
    // Name and kind of the current entry.
    const char* Name() const;
    bool IsDirectory() const;
    bool IsLink() const;
    // The entry's short (8.3) name; empty where the long name is one already.
    const char* ShortName() const;

private:
    struct Record;
    Record* record_;
    void* handle_;
    bool ended_;
};

}  // namespace FileSystemCalls
}  // namespace LumoBase
