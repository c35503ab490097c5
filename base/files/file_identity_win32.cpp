// Alone in its file so that a test program can link its own: Wine opens every
// directory and answers an index for it, as Windows 95, 98 and Me never do.
#include "files/file_system_calls.h"

#include <windows.h>

namespace LumoBase {
namespace FileSystemCalls {

bool IdentityOf(const char* path, EntryIdentity& identity) {
    // No access asked for: the attributes can be read even where the contents
    // could not. Backup semantics open a directory.
    HANDLE entry = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (entry == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION information;
    const bool read = GetFileInformationByHandle(entry, &information) != FALSE;
    CloseHandle(entry);
    if (!read || (information.nFileIndexHigh == 0 && information.nFileIndexLow == 0))
        return false;
    identity.volume = information.dwVolumeSerialNumber;
    identity.indexHigh = information.nFileIndexHigh;
    identity.indexLow = information.nFileIndexLow;
    return true;
}

}  // namespace FileSystemCalls
}  // namespace LumoBase
